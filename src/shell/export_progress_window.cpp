#include "shell/export_progress_window.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace quenby {

namespace {

constexpr int kPollMs = 50;

}  // namespace

ExportProgressWindow::ExportProgressWindow(QWidget* over, const ExportProgress& progress,
                                           std::function<void()> cancel, std::chrono::milliseconds delay)
    : QDialog(over), progress_(progress), cancel_(std::move(cancel)) {
  setWindowTitle(QStringLiteral("导出账单"));
  setObjectName(QStringLiteral("exportProgress"));
  text_ = new QLabel(describe(progress_), this);
  text_->setMinimumWidth(
      text_->fontMetrics().horizontalAdvance(QStringLiteral("正在写入第 888 / 888 个单元格…")));
  bar_ = new QProgressBar(this);
  bar_->setTextVisible(false);
  bar_->setAccessibleName(QStringLiteral("导出进度"));
  cancelButton_ = new QPushButton(QStringLiteral("取消"), this);
  cancelButton_->setDefault(true);
  connect(cancelButton_, &QPushButton::clicked, this, &ExportProgressWindow::pressCancel);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cancelButton_);
  auto* column = new QVBoxLayout(this);
  column->addWidget(text_);
  column->addWidget(bar_);
  column->addLayout(buttons);
  setFixedSize(sizeHint());

  appear_.setSingleShot(true);
  appear_.setInterval(static_cast<int>(delay.count()));
  connect(&appear_, &QTimer::timeout, this, [this] {
    refresh();
    show();
  });
  poll_.setInterval(kPollMs);
  connect(&poll_, &QTimer::timeout, this, &ExportProgressWindow::refresh);
}

void ExportProgressWindow::arm() {
  if (!appear_.isActive() && !isVisible()) appear_.start();
}

void ExportProgressWindow::refresh() {
  const QString text = cancelPressed_ ? QStringLiteral("正在取消导出…") : describe(progress_);
  if (text_->text() != text) text_->setText(text);
  cancelButton_->setEnabled(!cancelPressed_ && progress_.cancellable());
  // How many cells are written while they are; a busy bar (no maximum) for every other step.
  const bool writing = progress_.step() == ExportProgress::Step::Writing;
  bar_->setMaximum(writing ? progress_.cells() : 0);
  if (writing) bar_->setValue(progress_.cellsWritten());
}

void ExportProgressWindow::paintNow() {
  refresh();
  if (isVisible()) repaint();
}

QString ExportProgressWindow::describe(const ExportProgress& progress) {
  using Step = ExportProgress::Step;
  switch (progress.step()) {
    case Step::Starting:
      return QStringLiteral("正在启动电子表格程序…");
    case Step::Opening:
      return QStringLiteral("正在打开账单…");
    case Step::Writing: {
      const int cell = std::min(progress.cellsWritten() + 1, progress.cells());
      return QStringLiteral("正在写入第 %1 / %2 个单元格…").arg(cell).arg(progress.cells());
    }
    case Step::Saving:
      return QStringLiteral("正在保存账单…");
    case Step::Pdf:
      return QStringLiteral("正在生成 PDF…");
    case Step::Showing:
      return QStringLiteral("正在显示账单…");
  }
  return {};
}

void ExportProgressWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  poll_.start();
  // Still busy, but 取消 may be clicked: the arrow with the busy sign.
  if (QApplication::overrideCursor()) QApplication::changeOverrideCursor(Qt::BusyCursor);
}

void ExportProgressWindow::reject() {
  // Escape and the close button: 取消 while it is offered; the window stays until the export ends.
  pressCancel();
}

void ExportProgressWindow::pressCancel() {
  if (cancelPressed_ || !progress_.cancellable()) return;
  cancelPressed_ = true;
  cancel_();
  refresh();
}

}  // namespace quenby
