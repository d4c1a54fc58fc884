#pragma once
// The calculators of the application and their windows, driven by the list of calculators with
// their windows (calculator_windows.h): each entry's descriptor names its entry in the selector,
// its web page and its key in the store, and the entry how its window is made.
// The first row's window is created at start and is the one the back buttons return to; the
// others are created the first time the selector names them (by a show or a hide: a window
// created by a hide stays hidden) and live until the application ends, so every sheet keeps its
// fields and its export count across switches. Switching shows the target first, then hides the
// others. The windows announce quitting, going back and the web page; this class acts.

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "shell/sheet_window.h"
#include "shell/window_export.h"
#include "store/snapshot.h"

namespace quenby::app {

// The selector's entries: the calculators' names in the list's order.
QStringList selectorEntries();

class Calculators : public QObject {
  Q_OBJECT

 public:
  // A calculator is its position in the list; the names are those of the program's own three.
  enum Calculator : int { LogTally = 0, MultiLength = 1, SawnTimber = 2 };

  // `openUrl` opens a web page; it raises an error when the desktop refuses.
  Calculators(ExportServices services, std::function<void(const QUrl&)> openUrl);
  ~Calculators() override;

  // The window of a calculator, or nullptr while it has not been created.
  shell::SheetWindow* window(Calculator which) const;
  // The first calculator's window, the one shown at start.
  shell::SheetWindow* startWindow() const;
  // The calculator's window, created hidden when it has none yet.
  shell::SheetWindow* create(Calculator which);
  // The first calculator in the list's order whose window is visible (minimised counts).
  std::optional<Calculator> shown() const;

  // Every calculator, in the list's order.
  static std::vector<Calculator> all();
  // The calculator's entry in the selector, its name for the user.
  static QString name(Calculator which);
  // The key the user's store keeps a calculator's sheet under, and back.
  static std::string_view storeKey(Calculator which);
  static std::optional<Calculator> byStoreKey(std::string_view key);

  // The selector's algorithm: compare the text exactly with each calculator's entry, in the
  // list's order; show the target, then hide the others, creating them as named; any other text
  // does nothing.
  void switchTo(const QString& entry);
  // Back to the start-up window: show it, hide the others.
  void back();
  // Shows the calculator's window (created if need be), then hides the others.
  void showOnly(Calculator which);

  // The texts of a calculator's sheet, the calculator selector aside (it says which window is
  // shown, not what the sheet holds); an empty state while the calculator has no window.
  store::SheetState content(Calculator which) const;
  // What the calculator's window held when it was created (empty while it has none).
  const store::SheetState& freshContent(Calculator which) const;
  // Whether the sheet holds anything but what its window was created with.
  bool holdsTypedText(Calculator which) const;
  // A sheet as the store kept it (its key names the calculator), when it holds anything but what
  // a new window of its calculator holds: its texts as content() gives them. Nothing for a sheet
  // with nothing typed, or of a calculator this version does not have. Makes no window.
  static std::optional<store::SheetState> typedIn(const store::SheetState& saved);

  // Called with the calculator whose export button was clicked (before the export) and whose
  // bill was saved (before it is shown, with its PDF or why there is none), on top of the
  // services' own hooks.
  void setExportHooks(std::function<void(Calculator)> atClick,
                      std::function<void(Calculator, const KeptPdf&)> exported,
                      std::function<void()> clickEnded = {});

  // The services the windows export with, as the application handed them.
  const ExportServices& services() const { return services_; }

  // Stands `window` in for a calculator that has no window yet, wired as the windows the selector
  // creates are; returns it. The switching does not depend on the make of the windows, and the
  // tests exercise it this way.
  shell::SheetWindow* adopt(Calculator which, std::unique_ptr<shell::SheetWindow> window);

 signals:
  // A window asked to end the application (its exit button, or closing a window that ends it).
  void quitRequested();
  // A window was created; it is not shown yet.
  void windowCreated(shell::SheetWindow* window);
  // The selector or a back button switched the windows.
  void switched();

 private:
  // The list's entries are addressed by their position in it.
  void show(size_t row);
  void hide(size_t row);
  // The row's window, created on first use.
  shell::SheetWindow* ensure(size_t row);
  shell::SheetWindow* adoptAt(size_t row, std::unique_ptr<shell::SheetWindow> window);
  // The services with the export hooks of the row's calculator.
  ExportServices servicesFor(size_t row);
  void showOnlyRow(size_t target);

  ExportServices services_;
  std::function<void(const QUrl&)> openUrl_;
  std::vector<std::unique_ptr<shell::SheetWindow>> windows_;  // one per entry of the list
  std::vector<store::SheetState> fresh_;                      // each window's content when created
  std::function<void(Calculator)> atClick_;
  std::function<void(Calculator, const KeptPdf&)> exported_;
  std::function<void()> clickEnded_;
};

}  // namespace quenby::app
