#pragma once
// Helpers for the window tests: answering modal message boxes from inside their own event loop,
// failing fast on a box that nobody answers, naming the focused control, typing a field anew.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <string>
#include <vector>

#include "shell/sheet_window.h"

namespace quenby::testing {

// Set on every box a helper has answered. A box shown after another may live at the same
// address; only this mark tells an answered box from a new one.
inline constexpr char kAnsweredProperty[] = "quenbyTestAnswered";

// The modal message box showing now that no helper has answered yet, or nullptr.
inline QMessageBox* unansweredBox() {
  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  return box && !box->property(kAnsweredProperty).toBool() ? box : nullptr;
}

// Marks the box answered and presses its OK button; a box without one is rejected.
inline void answer(QMessageBox* box) {
  box->setProperty(kAnsweredProperty, true);
  if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
    ok->click();
  } else {
    box->reject();
  }
}

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
    QMessageBox* box = unansweredBox();
    if (!box) return;
    all_.push_back({true, box->windowTitle(), box->text(), box->standardButtons(), box->icon()});
    answer(box);
  }

  QTimer timer_;
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

// Alive for the whole run: a message box left unanswered for kPatienceMs fails the running test
// and is closed, so that a box nobody expected ends the test at once instead of hanging it.
class UnansweredBoxGuard {
 public:
  static constexpr int kPatienceMs = 1000;

  UnansweredBoxGuard() {
    timer_.setInterval(50);
    QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
    timer_.start();
  }

 private:
  void poll() {
    QMessageBox* box = unansweredBox();
    if (box != waiting_) {
      waiting_ = box;
      since_.start();
      return;
    }
    if (!box || since_.elapsed() < kPatienceMs) return;
    ADD_FAILURE() << "a message box nobody answered: \"" << box->text().toStdString() << "\"";
    answer(box);
    waiting_ = nullptr;
  }

  QTimer timer_;
  QPointer<QMessageBox> waiting_;  // null again once the box is gone, whatever comes at its address
  QElapsedTimer since_;
};

}  // namespace quenby::testing
