#include "shell/off_ui_thread.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <atomic>
#include <chrono>
#include <exception>
#include <thread>

namespace quenby {

void runOffUiThread(const std::function<void()>& work) {
  QEventLoop loop;
  std::atomic<bool> done{false};
  std::exception_ptr error;
  std::thread worker([&] {
    try {
      work();
    } catch (...) {
      error = std::current_exception();
    }
    done = true;
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  while (!done) {
    loop.exec();
    // An application that is quitting leaves every event loop at once; the events that still come
    // are taken here until the work has ended.
    if (!done) {
      QCoreApplication::processEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  worker.join();
  if (error) std::rethrow_exception(error);
}

}  // namespace quenby
