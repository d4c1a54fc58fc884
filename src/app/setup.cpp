#include "app/setup.h"

#include <QApplication>

#include "app/calculators.h"
#include "shell/appearance.h"

namespace quenby::app {

void prepareApplication() {
  QApplication::setApplicationName(QStringLiteral("Quenby"));
  // The installed desktop entry, so that the desktop shows its name and icon for the windows.
  QGuiApplication::setDesktopFileName(QStringLiteral("quenby"));
  QApplication::setWindowIcon(shell::applicationIcon());
  QApplication::setQuitOnLastWindowClosed(false);
  shell::installFontSubstitutions();
}

int run(Calculators& calculators) {
  // Not quit(): since Qt 6 it first asks every window to close, and here closing a window is
  // itself a request (to end, or to go back), which may show a window again or refuse. exit()
  // leaves every running event loop as it stands.
  QObject::connect(&calculators, &Calculators::quitRequested, qApp, [] { QCoreApplication::exit(0); });
  // The start-up window, unless a window brought back from the last run is shown already.
  if (!calculators.shown()) calculators.startWindow()->show();
  return QApplication::exec();
}

}  // namespace quenby::app
