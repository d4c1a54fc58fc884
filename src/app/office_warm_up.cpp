#include "app/office_warm_up.h"

#include <QApplication>
#include <QEvent>
#include <QSettings>
#include <optional>

#include "office/office_reserve.h"
#include "shell/sheet_window.h"

namespace quenby::app {

std::shared_ptr<OfficeReserve> officeReserve() {
  const QSettings settings(QStringLiteral("Quenby"), QStringLiteral("Quenby"));
  if (prestartOffInEnvironment() || !settings.value(QStringLiteral("office/prestart"), true).toBool())
    return nullptr;
  bool given = false;
  const int idleSeconds = qEnvironmentVariableIntValue("QUENBY_OFFICE_IDLE_SECONDS", &given);
  const std::chrono::milliseconds idle =
      given && idleSeconds > 0 ? std::chrono::seconds(idleSeconds) : OfficeReserve::kIdleTime;
  return std::make_shared<OfficeReserve>(OfficeOptions{}, idle);
}

OfficeWarmUp::OfficeWarmUp(OfficeReserve& reserve) : reserve_(reserve) { qApp->installEventFilter(this); }

OfficeWarmUp::~OfficeWarmUp() { qApp->removeEventFilter(this); }

namespace {

// Whether `widget` is, or is inside, an export button of `window`.
bool isExportButton(const shell::SheetWindow& window, const QWidget* widget) {
  const std::optional<FieldId> id = window.addressOf(widget);
  if (!id) return false;
  for (const layout::Control& c : window.table().controls)
    if (c.id == *id) return c.action == layout::Action::Export;
  return false;
}

}  // namespace

bool OfficeWarmUp::eventFilter(QObject* receiver, QEvent* event) {
  if (event->type() != QEvent::KeyPress && event->type() != QEvent::MouseButtonPress) return false;
  auto* widget = qobject_cast<QWidget*>(receiver);
  auto* window = widget ? qobject_cast<shell::SheetWindow*>(widget->window()) : nullptr;
  // The export button is left to the export, which needs its office at once: an office started
  // for it now would start at the lower priority and be waited for. The next one comes after it.
  if (window && !isExportButton(*window, widget)) reserve_.touch();
  return false;
}

}  // namespace quenby::app
