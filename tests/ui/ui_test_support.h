#pragma once
// Helpers for the window tests: answering a modal message box from inside its own event loop.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

namespace quenby::testing {

// While alive, watches for an application-modal QMessageBox, records the first one and presses
// its OK button.
class MessageBoxAnswerer {
 public:
  struct Seen {
    bool shown = false;
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
  };

  MessageBoxAnswerer() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
    timer_.start();
  }
  const Seen& seen() const { return seen_; }

 private:
  void poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || seen_.shown) return;
    seen_ = {true, box->windowTitle(), box->text(), box->standardButtons()};
    timer_.stop();
    if (QAbstractButton* ok = box->button(QMessageBox::Ok)) ok->click();
  }

  QTimer timer_;
  Seen seen_;
};

}  // namespace quenby::testing
