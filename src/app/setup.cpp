#include "app/setup.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "shell/appearance.h"
#include "windows/calculators.h"

namespace quenby::app {

namespace {

// Qt's own texts (the message boxes' buttons, the fields' context menu) in Chinese like all of
// the program's, whatever language the system speaks. Without the translation file they stay
// English and the program runs as before.
void installQtTranslation() {
  auto* translator = new QTranslator(qApp);
  if (translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(translator);
  } else {
    delete translator;
  }
}

}  // namespace

void prepareApplication() {
  installQtTranslation();
  QApplication::setApplicationName(QStringLiteral("Quenby"));
  // The installed desktop entry, so that the desktop shows its name and icon for the windows.
  QGuiApplication::setDesktopFileName(QStringLiteral("quenby"));
  QApplication::setWindowIcon(shell::applicationIcon());
  QApplication::setQuitOnLastWindowClosed(false);
  shell::installFontSubstitutions();
}

int run(Calculators& calculators, bool showStartWindow) {
  // Not quit(): since Qt 6 it first asks every window to close, and here closing a window is
  // itself a request (to end, or to go back), which may show a window again or refuse. exit()
  // leaves every running event loop as it stands.
  QObject::connect(&calculators, &Calculators::quitRequested, qApp, [] { QCoreApplication::exit(0); });
  // The start-up window, unless a window brought back from the last run is shown already.
  if (showStartWindow && !calculators.shown()) calculators.startWindow()->show();
  return QApplication::exec();
}

}  // namespace quenby::app
