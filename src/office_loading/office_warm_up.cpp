#include "office_loading/office_warm_up.h"

#include <QApplication>
#include <QEvent>
#include <QSettings>

#include "shell/sheet_window.h"

namespace quenby::app {

OfficeSupplySettings officeSettings() {
  const QSettings settings(QStringLiteral("Quenby"), QStringLiteral("Quenby"));
  if (prestartOffInEnvironment() || !settings.value(QStringLiteral("office/prestart"), true).toBool())
    return {.startAhead = false};
  bool given = false;
  const int idleSeconds = qEnvironmentVariableIntValue("QUENBY_OFFICE_IDLE_SECONDS", &given);
  if (given && idleSeconds > 0) return {.idleTime = std::chrono::seconds(idleSeconds)};
  return {};
}

OfficeWarmUp::OfficeWarmUp(OfficeSupply& offices) : offices_(offices) { qApp->installEventFilter(this); }

OfficeWarmUp::~OfficeWarmUp() { qApp->removeEventFilter(this); }

bool OfficeWarmUp::eventFilter(QObject* receiver, QEvent* event) {
  if (event->type() != QEvent::KeyPress && event->type() != QEvent::MouseButtonPress) return false;
  auto* widget = qobject_cast<QWidget*>(receiver);
  if (widget && qobject_cast<shell::SheetWindow*>(widget->window())) offices_.touch();
  return false;
}

}  // namespace quenby::app
