#include "logtally/form1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

#include "logtally/log_tally_export.h"
#include "logtally/log_tally_layout.h"

namespace quenby {

namespace {

shell::Backdrop backdrop() {
  return {.title = QStringLiteral("Quenby"),
          .bandHeight = 1125,
          .panel = {435, 1710, 10095, 7560},
          .tabs = {{690, 1230, 1275, 480}, {5490, 1230, 1245, 480}}};
}

}  // namespace

Form1::Form1(QWidget* parent) : SheetWindow(logTallyLayout(), backdrop(), parent) {
  bind(sheet_.fields());
  for (int row = 1; row <= LogTallySheet::kRows; ++row) {
    for (int index = 0; index < LogTallySheet::kColumns; ++index) {
      if (auto* cell = control<QLineEdit>({LogTallySheet::rowArray(row), index})) {
        cells_.insert(cell, {row, index});
        cell->installEventFilter(this);
      }
    }
  }
  onClick({"Command7"}, [this] { sheet_.calculate(); });
  onClick({"Command4"}, [this] { sheet_.clear(); });
  onClick({"Command3"}, [this] {
    exportFromWindow(this, logTallyExportJob(sheet_, exportServices_.workbookPath), sheet_.exportCount(),
                     exportServices_);
  });
  onClick({"Command2"}, [this] { showMinimized(); });
  onClick({"Command6"}, [] { QApplication::quit(); });
  onClick({"Command1"}, [this] { openMoreCalculators(); });
  if (auto* selector = control<QComboBox>({"Combo3"})) {
    connect(selector, &QComboBox::textActivated, this,
            [this](const QString& entry) { guard([&] { emit calculatorChosen(entry); }); });
  }
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
  auto found = cells_.constFind(watched);
  if (found == cells_.constEnd()) return SheetWindow::eventFilter(watched, event);
  auto* cell = static_cast<QLineEdit*>(watched);
  bool consumed = false;
  guard([&] {
    switch (event->type()) {
      case QEvent::FocusIn:
        cell->selectAll();
        // A click focuses the cell before the line edit places the caret under the mouse, which
        // would undo the selection: select once more after that press.
        if (static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason) selectAfterPress_ = cell;
        break;
      case QEvent::FocusOut:
        if (selectAfterPress_ == cell) selectAfterPress_ = nullptr;
        break;
      case QEvent::MouseButtonPress:
        if (selectAfterPress_ == cell) {
          selectAfterPress_ = nullptr;
          static_cast<QObject*>(cell)->event(event);
          cell->selectAll();
          consumed = true;
        }
        break;
      case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Down) moveAlongRow(*found, +1);
        if (key == Qt::Key_Up) moveAlongRow(*found, -1);
        break;  // the key goes on to the line edit, which ignores it
      }
      default:
        break;
    }
  });
  return consumed;
}

void Form1::moveAlongRow(const CellAddress& from, int step) {
  const int columns = LogTallySheet::kColumns;
  const int index = (from.index + step + columns) % columns;
  if (QWidget* target = control({LogTallySheet::rowArray(from.row), index})) target->setFocus(Qt::OtherFocusReason);
}

void Form1::closeEvent(QCloseEvent* event) {
  event->accept();
  guard([] { QApplication::quit(); });
}

}  // namespace quenby
