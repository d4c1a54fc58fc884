#pragma once
// The calculator windows of the application. Form1 is created at start;
// the other windows are created the first time the selector names them (by a show or a hide: a
// window created by a hide stays hidden) and live until the application ends, so every sheet
// keeps its fields and its export count across switches. Switching shows the target first, then
// hides the others. The windows announce quitting, going back and the web page; this class acts.

#include <QObject>
#include <QString>
#include <QUrl>
#include <array>
#include <functional>
#include <memory>

#include "shell/sheet_window.h"
#include "shell/window_export.h"

namespace quenby::app {

class Calculators : public QObject {
  Q_OBJECT

 public:
  enum Calculator { LogTally = 0, MultiLength = 1, SawnTimber = 2 };

  // `openUrl` opens a web page; it raises an error when the desktop refuses.
  Calculators(ExportServices services, std::function<void(const QUrl&)> openUrl);
  ~Calculators() override;

  // The window of a calculator, or nullptr while it has not been created.
  shell::SheetWindow* window(Calculator which) const { return windows_[which].get(); }

  // The selector's algorithm: compare the text exactly with "原木计算", "多 材 长", "锯材计算";
  // show the target, then hide the other two, creating them as named; any other text does nothing.
  void switchTo(const QString& entry);
  // Back to the log tally window: show Form1, hide the others.
  void back();

  // Stands `window` in for a calculator that has no window yet, wired as the windows the selector
  // creates are; returns it. The switching does not depend on the make of the windows, and the
  // tests exercise it this way.
  shell::SheetWindow* adopt(Calculator which, std::unique_ptr<shell::SheetWindow> window);

 signals:
  // A window asked to end the application (its exit button, or closing a window that ends it).
  void quitRequested();

 private:
  void show(Calculator which);
  void hide(Calculator which);
  // The calculator's window, created on first use; nullptr for one the program does not have.
  shell::SheetWindow* ensure(Calculator which);
  void openWebPage(Calculator from);

  ExportServices services_;
  std::function<void(const QUrl&)> openUrl_;
  std::array<std::unique_ptr<shell::SheetWindow>, 3> windows_;
};

}  // namespace quenby::app
