#include "shell/bill_export.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include "export/export_error.h"
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

namespace {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
// xdg-open starts without telling whether anything can open the file; ask the desktop's MIME
// database first, so that a bill nobody can show is reported instead of silently not shown.
bool desktopHasApplicationFor(const QString& path) {
  QProcess query;
  query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("filetype"), path});
  if (!query.waitForFinished(5000) || query.exitCode() != 0) return true;  // cannot tell: let xdg-open try
  const QString type = QString::fromUtf8(query.readAllStandardOutput()).trimmed();
  query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), type});
  if (!query.waitForFinished(5000) || query.exitCode() != 0) return true;
  return !query.readAllStandardOutput().trimmed().isEmpty();
}
#else
bool desktopHasApplicationFor(const QString&) { return true; }
#endif
}  // namespace

void DesktopBillViewer::show(const std::string& pathUtf8, const std::u16string&) {
  const QString path = QString::fromStdString(pathUtf8);
  if (!desktopHasApplicationFor(path) || !QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
    throw QuenbyError(ExportError::BillNotShown, "账单已保存到 " + pathUtf8 +
                                                   "，但本机没有能打开它的电子表格程序。请安装 LibreOffice Calc 后再导出。");
}

void MessageBoxPrompter::remind(const std::u16string& text) {
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Quenby"), QString::fromStdU16String(text),
                  QMessageBox::Ok, window_);
  QApplication::setOverrideCursor(Qt::ArrowCursor);
  box.exec();
  QApplication::restoreOverrideCursor();
}

ExportServices ExportServices::desktop() {
  return {billWorkbookPath(), [] { return std::make_unique<LibreOfficeHost>(); },
          [] { return std::make_unique<DesktopBillViewer>(); }};
}

void exportFromWindow(QWidget* window, const ExportJob& job, ExportCounter& exportCount,
                      const ExportServices& services) {
  MessageBoxPrompter prompter(window);
  BusyCursor busy;
  InputBlocker blocker(window);
  std::unique_ptr<SpreadsheetHost> host = services.newHost();
  std::unique_ptr<BillViewer> viewer = services.newViewer();
  runExport(job, exportCount, *host, *viewer, prompter);
}

}  // namespace quenby
