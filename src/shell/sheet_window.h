#pragma once
// SheetWindow: the frameless window every calculator sheet lives in, built from its layout table.
// It makes one widget per control, binds text fields and combo boxes to the sheet's fields by
// address, chains the focus, paints the background picture, gives the entry arrays their
// whole-text selection and Up/Down moves, keeps the window's size, moves the window when the user
// presses a mouse button on the background, and wires the buttons by their role: calculate, clear
// and export go to the sheet; minimise is the window's own; quitting, going back, the web page
// and the calculator selector are announced to the application by signals. Every handler runs
// inside the error guard. Each window owns its export count.

#include <QHash>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "calc/field.h"
#include "export/export_procedure.h"
#include "sheet/layout.h"
#include "sheet/sheet.h"
#include "shell/error_guard.h"
#include "shell/window_export.h"

class QLineEdit;

namespace quenby::shell {

class SheetWindow : public QWidget {
  Q_OBJECT

 public:
  explicit SheetWindow(const layout::Window& table, QWidget* parent = nullptr);

  // The widget built for a control, or nullptr when the table has none of that address.
  QWidget* control(FieldId id) const;
  template <class T>
  T* control(FieldId id) const {
    return qobject_cast<T*>(control(id));
  }
  // The control a widget was built for (a combo box's inner line edit counts as the combo box).
  std::optional<FieldId> addressOf(const QWidget* widget) const;

  const layout::Window& table() const { return table_; }
  QSize fixedClientSize() const;
  // The sheet attach() bound, or nullptr before.
  Sheet* attachedSheet() const { return sheet_; }
  // Shows every field's text in its widget, after the sheet's texts were put back with
  // Sheet::restore (which updates no widget). The sheet hears nothing of it.
  void refreshFromSheet();
  // Export attempts of this window in this run.
  const ExportCounter& exportCount() const { return exportCount_; }

 signals:
  // The selector was chosen with this entry showing; the application switches the windows.
  void calculatorChosen(const QString& entry);
  void backRequested();
  void quitRequested();
  void webPageRequested();

 protected:
  // Binds the sheet's fields to their widgets and wires every button by its role. The sheet and
  // the export description must outlive the window.
  void attach(Sheet& sheet, const SheetExport& exportSpec, ExportServices services);
  // Lists `calculators` in the calculator selector, before attach() binds it to its field.
  void listCalculators(const QStringList& calculators);
  void onClick(FieldId button, std::function<void()> handler);
  template <class Handler>
  void guard(Handler&& handler) {
    guarded(this, std::forward<Handler>(handler));
  }

  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  struct EntryCell {
    std::string_view array;
    int index;
    int count;  // elements of the array
  };

  QWidget* createWidget(const layout::Control& control);
  void chainFocus();
  void setUpEntryArrays();
  void wire(const layout::Control& control);
  void moveWithinArray(const EntryCell& from, int step);
  void restoreFixedSize();

  const layout::Window& table_;
  std::map<std::pair<std::string_view, int>, QWidget*> controls_;
  QHash<const QObject*, EntryCell> entryCells_;
  QLineEdit* selectAfterPress_ = nullptr;  // an entry cell the mouse just focused
  Sheet* sheet_ = nullptr;
  const SheetExport* exportSpec_ = nullptr;
  ExportServices services_;
  ExportCounter exportCount_;
  bool movingByHand_ = false;
  QPoint grabOffset_;  // cursor position relative to the window's top left while moving by hand
};

}  // namespace quenby::shell
