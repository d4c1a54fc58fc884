// Start-up probe: the program's own start (libraries, application, fonts, Form1) up to the first
// frame of the window drawn on an exposed window (see first_frame.h).

#include <QApplication>

#include "first_frame.h"

#include "app/calculators.h"
#include "app/desktop_services.h"
#include "app/setup.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  quenby::app::prepareApplication();
  quenby::app::Calculators calculators(quenby::app::desktopExportServices(), quenby::app::openWebPage);
  QWidget* form1 = calculators.window(quenby::app::Calculators::LogTally);
  bench::leaveAtFirstFrame(form1);
  form1->show();
  return QApplication::exec();
}
