#pragma once
// The small window over a sheet window while its export takes long, titled 导出账单: what the
// export is doing (starting the spreadsheet, opening the bill, writing cell k of n, saving, showing
// the bill; named again as they come when the export starts over), a bar (cells written, or busy)
// and
// 取消, which Escape and the window's close button press too. It appears only once the export has
// run for its delay, and polls the export's progress, which the office's thread writes. It is not
// modal, so that the event loop runs on; the export's input blocker lets its input through alone.
// Once the save has begun 取消 is greyed out.

#include <QDialog>
#include <QTimer>
#include <chrono>
#include <functional>

#include "export/export_progress.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace quenby {

class ExportProgressWindow final : public QDialog {
  Q_OBJECT

 public:
  // `cancel` runs on 取消 while it is offered.
  ExportProgressWindow(QWidget* over, const ExportProgress& progress, std::function<void()> cancel,
                       std::chrono::milliseconds delay);

  // The export's work begins: the window appears when it is still running after the delay. Once:
  // a restart of the export keeps the time already waited.
  void arm();
  // Paints the step now, ahead of work that blocks this thread.
  void paintNow();

  // 取消, when it is offered.
  void pressCancel();

  // What the window says for `progress`, e.g. "正在写入第 3 / 203 个单元格…".
  static QString describe(const ExportProgress& progress);

 protected:
  void reject() override;
  void showEvent(QShowEvent* event) override;

 private:
  // The step and 取消 as they stand; Qt paints them when the event loop runs.
  void refresh();

  const ExportProgress& progress_;
  std::function<void()> cancel_;
  bool cancelPressed_ = false;
  QLabel* text_;
  QProgressBar* bar_;
  QPushButton* cancelButton_;
  QTimer appear_;
  QTimer poll_;
};

}  // namespace quenby
