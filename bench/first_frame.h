#pragma once
// The end of a start-up probe: at the first frame painted on an exposed window the probe prints
// its resident memory ("VmRSS: <n> kB") and leaves at once, so that timing it from outside
// (bench/startup.sh, hyperfine under Xvfb) measures the start alone and not the tear-down. A
// window never exposed ends the probe with status 1 after QUENBY_PROBE_TIMEOUT seconds (10 by
// default; a run under valgrind wants more).

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>

namespace bench {

inline std::string residentMemory() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return line;
  }
  return "VmRSS: unknown";
}

class FirstFrame : public QObject {
 public:
  FirstFrame(QObject* parent, std::function<void()> then) : QObject(parent), then_(std::move(then)) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !seen_) {
      auto* widget = static_cast<QWidget*>(watched);
      if (widget->windowHandle() && widget->windowHandle()->isExposed()) {
        seen_ = true;
        QTimer::singleShot(0, qApp, then_);  // after this paint has completed
      }
    }
    return false;
  }

 private:
  std::function<void()> then_;
  bool seen_ = false;
};

// Runs `then` once the window's first frame is painted; call before showing it.
inline void atFirstFrame(QWidget* window, std::function<void()> then) {
  window->installEventFilter(new FirstFrame(window, std::move(then)));
  const char* seconds = std::getenv("QUENBY_PROBE_TIMEOUT");
  const int timeout = seconds && std::atoi(seconds) > 0 ? std::atoi(seconds) : 10;
  QTimer::singleShot(timeout * 1000, qApp, [] { QCoreApplication::exit(1); });  // never exposed
}

// Prints the resident memory at the window's first frame and leaves at once.
inline void leaveAtFirstFrame(QWidget* window) {
  atFirstFrame(window, [] {
    std::cout << residentMemory() << std::endl;
    std::_Exit(0);
  });
}

}  // namespace bench
