#pragma once
// Helpers for the window tests: answering modal message boxes from inside their own event loop,
// failing fast on a box that nobody answers, naming the focused control, typing a field anew,
// dragging, and a desktop of the test's own making for the code that asks the desktop what it can
// open.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <optional>
#include <string>
#include <utility>
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

// Answers every message box as it shows: OK where the box has one, else the key `key`. Records
// each box's text and, for the others, caption, buttons and default button.
class KeyAnswerer {
 public:
  struct Seen {
    QString text, title;
    QStringList buttons;
    QString defaultButton;
  };

  explicit KeyAnswerer(Qt::Key key) : key_(key) {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
    timer_.start();
  }
  const std::vector<Seen>& seen() const { return seen_; }
  // The text of each box, or `starts[i]` where the text begins with it.
  std::vector<std::string> texts(const QStringList& starts) const {
    std::vector<std::string> all;
    for (std::size_t i = 0; i < seen_.size(); ++i) {
      const bool begins = i < static_cast<std::size_t>(starts.size()) && seen_[i].text.startsWith(starts[i]);
      all.push_back((begins ? starts[i] : seen_[i].text).toStdString());
    }
    return all;
  }

 private:
  void poll() {
    QMessageBox* box = unansweredBox();
    if (!box) return;
    box->setProperty(kAnsweredProperty, true);
    if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
      seen_.push_back({box->text(), box->windowTitle(), {}, {}});
      ok->click();
      return;
    }
    Seen s{
        box->text(), box->windowTitle(), {}, box->defaultButton() ? box->defaultButton()->text() : QString()};
    for (QAbstractButton* b : box->buttons()) s.buttons << b->text();
    s.buttons.sort();
    seen_.push_back(s);
    QTest::keyClick(box, key_);
  }

  Qt::Key key_;
  QTimer timer_;
  std::vector<Seen> seen_;
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

// Sends a press at `local` in `target` with `button` and `modifiers`, then a move by `delta` with the
// button held, and a release: a drag as the window system delivers it when it moves nothing itself.
inline void dragFrom(QWidget* target, QPoint local, Qt::MouseButton button, QPoint delta,
                     Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  const QPoint global = target->mapToGlobal(local);
  QMouseEvent press(QEvent::MouseButtonPress, local, global, button, button, modifiers);
  QApplication::sendEvent(target, &press);
  QMouseEvent move(QEvent::MouseMove, local + delta, global + delta, Qt::NoButton, button, modifiers);
  QApplication::sendEvent(target, &move);
  QMouseEvent release(QEvent::MouseButtonRelease, local + delta, global + delta, button, Qt::NoButton,
                      modifiers);
  QApplication::sendEvent(target, &release);
}

// While alive, the process sees a desktop of its own: empty XDG data and configuration folders, no
// desktop session and no BROWSER, so xdg-mime knows no application until the test registers one.
class ScopedDesktop {
 public:
  ScopedDesktop() {
    for (const char* name : {"BROWSER", "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                             "GNOME_DESKTOP_SESSION_ID", "XDG_MENU_PREFIX", "DISPLAY", "WAYLAND_DISPLAY"})
      set(name, std::nullopt);
    const QString root = dir_.path();
    for (const char* sub : {"home/applications", "data/applications", "config"}) QDir(root).mkpath(sub);
    set("XDG_DATA_HOME", root + "/home");
    set("XDG_DATA_DIRS", root + "/data");
    set("XDG_CONFIG_HOME", root + "/config");
    set("XDG_CONFIG_DIRS", root + "/config");
  }
  ~ScopedDesktop() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second) {
        qputenv(it->first.constData(), *it->second);
      } else {
        qunsetenv(it->first.constData());
      }
    }
  }
  ScopedDesktop(const ScopedDesktop&) = delete;
  ScopedDesktop& operator=(const ScopedDesktop&) = delete;

  // An installed application that opens `mimeType`, as the desktop's cache of them lists it.
  void registerApplication(const QString& mimeType) {
    QFile cache(dir_.path() + "/data/applications/mimeinfo.cache");
    if (!cache.open(QIODevice::WriteOnly | QIODevice::Text)) return;
    cache.write(("[MIME Cache]\n" + mimeType + "=probe-browser.desktop;\n").toUtf8());
  }
  void set(const char* name, std::optional<QString> value) {
    saved_.emplace_back(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
    if (value) {
      qputenv(name, value->toLocal8Bit());
    } else {
      qunsetenv(name);
    }
  }

 private:
  QTemporaryDir dir_;
  std::vector<std::pair<QByteArray, std::optional<QByteArray>>> saved_;
};

}  // namespace quenby::testing
