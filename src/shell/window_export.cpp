#include "shell/window_export.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include "calc/error.h"
#include "export/export_error.h"
#include "shell/error_guard.h"

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

// Copies the template to the bill's path, creating its folder. A bill that is there already, or
// appears meanwhile, is kept: QFile::copy refuses an existing file and renames its finished copy
// into place without replacing one, and leaves nothing half-written behind.
void createBillFromTemplate(const std::string& templatePath, const std::string& billPath) {
  const QString bill = QString::fromStdString(billPath);
  const QString folder = QFileInfo(bill).absolutePath();
  auto failed = [&](const QString& why) {
    const std::string what = "无法从模板 " + templatePath + " 创建账单工作簿 " + billPath;
    return QuenbyError(ExportError::BillNotCreated, what + "：" + why.toStdString() + "。请检查文件夹 " +
                                                        folder.toStdString() +
                                                        " 的写入权限和磁盘空间，再重新导出");
  };
  if (!QDir().mkpath(folder)) throw failed(QStringLiteral("无法创建文件夹 ") + folder);
  QFile source(QString::fromStdString(templatePath));
  if (source.copy(bill) || QFileInfo::exists(bill)) return;
  if (!QFileInfo(folder).isWritable()) throw failed(QStringLiteral("不允许在这个文件夹中写入"));
  throw failed(QStringLiteral("复制失败（%1）").arg(source.errorString()));
}

}  // namespace

const char16_t kBillTemplateOffer[] = u"账单明细.xls 不存在。要从模板创建它并重新导出吗？";

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

bool offerBillTemplate(QWidget* window, const ExportServices& services) {
  const std::string templatePath = services.billTemplate ? services.billTemplate() : std::string();
  if (templatePath.empty()) return false;
  QMessageBox box(QMessageBox::Question, QStringLiteral("Quenby"),
                  QString::fromStdU16String(kBillTemplateOffer), QMessageBox::NoButton, window);
  QPushButton* create = box.addButton(QStringLiteral("创建并导出"), QMessageBox::AcceptRole);
  QPushButton* cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
  box.setDefaultButton(create);
  box.setEscapeButton(cancel);
  box.exec();
  if (box.clickedButton() != create) return false;
  createBillFromTemplate(templatePath, services.workbookPath);
  return true;
}

void exportOnClick(QWidget* window, const ExportJob& job, ExportCounter& exportCount,
                   const ExportServices& services) noexcept {
  auto exportOnce = [&] {
    exportFromWindow(window, job, exportCount, services);
    if (services.afterExport) services.afterExport();
  };
  bool billMissing = false;
  shell::guarded(window, [&] {
    try {
      exportOnce();
    } catch (const QuenbyError& e) {
      billMissing = e.is(ExportError::WorkbookMissing);
      throw;
    }
  });
  bool billCreated = false;
  if (billMissing) shell::guarded(window, [&] { billCreated = offerBillTemplate(window, services); });
  // As one click more, and the last: a bill missing again is not offered again.
  if (billCreated) shell::guarded(window, exportOnce);
}

}  // namespace quenby
