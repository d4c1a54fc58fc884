#include "shell/window_export.h"

#include <QApplication>
#include <QMessageBox>

#include "calc/error.h"

namespace quenby {

namespace {

// Swallows mouse and key input to one window while an export blocks the event loop, including
// input that queued up meanwhile, so that a click made during the export does not fire after it.
class InputBlocker final : public QObject {
 public:
  explicit InputBlocker(QWidget* window) : window_(window) { qApp->installEventFilter(this); }
  ~InputBlocker() override {
    QCoreApplication::processEvents();  // deliver (and drop) what queued up
    qApp->removeEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::Wheel:
      case QEvent::Shortcut: {
        auto* widget = qobject_cast<QWidget*>(receiver);
        return widget && widget->window() == window_;
      }
      default:
        return false;
    }
  }

 private:
  QWidget* window_;
};

class BusyCursor {
 public:
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

void MessageBoxPrompter::remind(const std::u16string& text) {
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Quenby"), QString::fromStdU16String(text),
                  QMessageBox::Ok, window_);
  QApplication::setOverrideCursor(Qt::ArrowCursor);
  box.exec();
  QApplication::restoreOverrideCursor();
}

void exportFromWindow(QWidget* window, const ExportJob& job, ExportCounter& exportCount,
                      const ExportServices& services) {
  if (!services.newHost || !services.newViewer)
    throw QuenbyError(ErrorCode::Unexpected, "这个窗口没有可用的导出服务");
  if (services.beforeExport) services.beforeExport();
  MessageBoxPrompter prompter(window);
  BusyCursor busy;
  InputBlocker blocker(window);
  std::unique_ptr<SpreadsheetHost> host = services.newHost();
  std::unique_ptr<BillViewer> viewer = services.newViewer();
  runExport(job, exportCount, *host, *viewer, prompter);
}

}  // namespace quenby
