// Start-up probe: the program's own start (application, fonts, Form1) up to the first frame of the
// window drawn on an exposed window, then the resident memory at that point. Timed from outside:
//   xvfb-run -a hyperfine --warmup 3 build-ui/startup_probe
// Prints "VmRSS: <n> kB".

#include <QApplication>
#include <QTimer>
#include <QWindow>
#include <fstream>
#include <iostream>
#include <string>

#include "logtally/form1.h"
#include "shell/appearance.h"

namespace {

class FirstFrame : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !seen_) {
      auto* widget = static_cast<QWidget*>(watched);
      if (widget->windowHandle() && widget->windowHandle()->isExposed()) {
        seen_ = true;
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);  // after this paint completes
      }
    }
    return false;
  }

 private:
  bool seen_ = false;
};

std::string residentMemory() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return line;
  }
  return "VmRSS: unknown";
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setWindowIcon(quenby::shell::applicationIcon());
  quenby::shell::installFontSubstitutions();
  quenby::Form1 form1;
  FirstFrame firstFrame;
  form1.installEventFilter(&firstFrame);
  form1.show();
  QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(1); });  // never exposed
  const int rc = QApplication::exec();
  std::cout << residentMemory() << '\n';
  return rc;
}
