#pragma once
// Helpers for the window tests: answering a modal message box from inside its own event loop, and
// a desktop of the test's own making for the code that asks the desktop what it can open.

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <optional>
#include <utility>
#include <vector>

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
