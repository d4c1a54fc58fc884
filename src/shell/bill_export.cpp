#include "shell/bill_export.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QMessageBox>
#include <QStandardPaths>
#include <QUrl>

#include "calc/error.h"
#include "export/libreoffice_host.h"

namespace quenby {

namespace {

const QString kBillFileName = QStringLiteral("账单明细.xls");

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

std::string billWorkbookPath() {
#ifdef Q_OS_WIN
  return QStringLiteral("d:\\%1").arg(kBillFileName).toStdString();
#else
  QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (documents.isEmpty()) documents = QDir::homePath() + QStringLiteral("/Documents");
  return QDir(documents).filePath(kBillFileName).toStdString();
#endif
}

void DesktopBillViewer::show(const std::string& pathUtf8, const std::u16string&) {
  const QString path = QString::fromStdString(pathUtf8);
  if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
    throw QuenbyError(ErrorCode::BillNotShown,
                      "账单已保存，但没有程序能打开它：" + pathUtf8 + "。请安装电子表格程序后手动打开。");
}

void MessageBoxPrompter::remind(const std::u16string& text) {
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Quenby"), QString::fromStdU16String(text),
                  QMessageBox::Ok, window_);
  QApplication::setOverrideCursor(Qt::ArrowCursor);
  box.exec();
  QApplication::restoreOverrideCursor();
}

void exportFromWindow(QWidget* window, const ExportJob& job, ExportCounter& exportCount) {
  MessageBoxPrompter prompter(window);
  DesktopBillViewer viewer;
  BusyCursor busy;
  InputBlocker blocker(window);
  LibreOfficeHost host;
  runExport(job, exportCount, host, viewer, prompter);
}

}  // namespace quenby
