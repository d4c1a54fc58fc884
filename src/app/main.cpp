// Quenby starts with the log tally window; the other calculators come when the selector names
// them.

#include <QApplication>

#include "app/application.h"
#include "app/desktop_services.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  quenby::app::prepareApplication();
  quenby::app::Calculators calculators(quenby::app::desktopExportServices(), quenby::app::openWebPage);
  return quenby::app::run(calculators);
}
