// Start-up probe: the program's own start (libraries, application, fonts, Form1) up to the first
// frame of the window drawn on an exposed window; there it prints the resident memory and leaves
// at once, so that timing it from outside (bench/startup.sh, hyperfine under Xvfb) measures the
// start alone and not the tear-down. Prints "VmRSS: <n> kB".

#include <QApplication>
#include <QTimer>
#include <QWindow>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "app/calculators.h"
#include "app/desktop_services.h"
#include "app/setup.h"

namespace {

std::string residentMemory() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return line;
  }
  return "VmRSS: unknown";
}

class FirstFrame : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !seen_) {
      auto* widget = static_cast<QWidget*>(watched);
      if (widget->windowHandle() && widget->windowHandle()->isExposed()) {
        seen_ = true;
        QTimer::singleShot(0, qApp, [] {  // after this paint has completed
          std::cout << residentMemory() << std::endl;
          std::_Exit(0);
        });
      }
    }
    return false;
  }

 private:
  bool seen_ = false;
};

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  quenby::app::prepareApplication();
  quenby::app::Calculators calculators(quenby::app::desktopExportServices(), quenby::app::openWebPage);
  QWidget* form1 = calculators.window(quenby::app::Calculators::LogTally);
  FirstFrame firstFrame;
  form1->installEventFilter(&firstFrame);
  form1->show();
  QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(1); });  // never exposed
  return QApplication::exec();
}
