#include "app/office_warm_up.h"

#include <QApplication>
#include <QEvent>
#include <QSettings>

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

bool OfficeWarmUp::eventFilter(QObject* receiver, QEvent* event) {
  if (event->type() != QEvent::KeyPress && event->type() != QEvent::MouseButtonPress) return false;
  auto* widget = qobject_cast<QWidget*>(receiver);
  if (widget && qobject_cast<shell::SheetWindow*>(widget->window())) reserve_.touch();
  return false;
}

}  // namespace quenby::app
