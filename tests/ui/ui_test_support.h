#pragma once
// Helpers for the window tests: answering a modal message box from inside its own event loop,
// naming the focused control, typing a field's text anew.

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <string>
#include <vector>

#include "shell/sheet_window.h"

namespace quenby::testing {

// While alive, watches for application-modal QMessageBoxes, records each one and presses its OK
// button. seen() is the first.
class MessageBoxAnswerer {
 public:
  struct Seen {
    bool shown = false;
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
  };

  MessageBoxAnswerer() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
    timer_.start();
  }
  const Seen& seen() const { return all_.empty() ? none_ : all_.front(); }
  const std::vector<Seen>& all() const { return all_; }

 private:
  void poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || box == answered_) return;
    answered_ = box;
    all_.push_back({true, box->windowTitle(), box->text(), box->standardButtons(), box->icon()});
    if (QAbstractButton* ok = box->button(QMessageBox::Ok)) ok->click();
  }

  QTimer timer_;
  const QMessageBox* answered_ = nullptr;
  std::vector<Seen> all_;
  Seen none_;
};

// The address of the control of `window` that holds the focus, e.g. "Text1(0)".
inline std::string focusName(const shell::SheetWindow& window) {
  auto id = window.addressOf(QApplication::focusWidget());
  return id ? toString(*id) : "(nothing)";
}

// Replaces the whole text as typed, keystroke by keystroke; the first key replaces the selection.
inline void retype(QLineEdit* target, const QString& keys) {
  target->setFocus();
  target->selectAll();
  if (keys.isEmpty()) QTest::keyClick(target, Qt::Key_Backspace);
  QTest::keyClicks(target, keys);
}

}  // namespace quenby::testing
