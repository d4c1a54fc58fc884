#include "shell/window_export.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <filesystem>
#include <mutex>
#include <optional>
#include <utility>

#include "calc/error.h"
#include "export/bill_holder.h"
#include "export/export_error.h"
#include "shell/error_guard.h"
#include "shell/export_progress_window.h"
#include "shell/off_ui_thread.h"
#include "shell/question.h"

namespace quenby {

namespace {

// From an export's click until its last box is answered, no input reaches a window of the program
// but a modal box (the reminder, an error, the template offer) and the export's progress window,
// whose 取消 is the one way out: no switching, going back, quitting or second export meanwhile.
// Nothing is disabled, so the fields keep their look. Input that queued up is delivered (and
// dropped) before the blocker goes, so that nothing fires late.
class InputBlocker final : public QObject {
 public:
  InputBlocker() { qApp->installEventFilter(this); }
  ~InputBlocker() override {
    QCoreApplication::processEvents();  // deliver (and drop) what queued up
    qApp->removeEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override {
    switch (event->type()) {
      case QEvent::KeyPress:
        if (!blocked(receiver)) return false;
        // Escape presses 取消 wherever the focus is: a click on a sheet window takes it there.
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
          for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* progress = qobject_cast<ExportProgressWindow*>(window);
                progress && progress->isVisible())
              progress->pressCancel();
        return true;
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::KeyRelease:
      case QEvent::Wheel:
      case QEvent::Shortcut:
      case QEvent::ShortcutOverride:
      case QEvent::ContextMenu:
        return blocked(receiver);
      case QEvent::Close:
        // Closing a sheet window ends the program or goes back; the window stays open.
        if (!blocked(receiver)) return false;
        event->ignore();
        return true;
      default:
        return false;
    }
  }

 private:
  static bool blocked(QObject* receiver) {
    auto* widget = qobject_cast<QWidget*>(receiver);
    if (!widget) return false;
    QWidget* window = widget->window();
    return !window->isModal() && !qobject_cast<ExportProgressWindow*>(window);
  }
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

const char16_t kBillTemplateOffer[] = u"账单明细.xls 不存在。要从模板创建它并重新导出吗？";

}  // namespace

void MessageBoxPrompter::remind(const std::u16string& text) {
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Quenby"), QString::fromStdU16String(text),
                  QMessageBox::Ok, window_);
  QApplication::setOverrideCursor(Qt::ArrowCursor);
  box.exec();
  QApplication::restoreOverrideCursor();
}

namespace {

// The host of one click, made at its first call, on the export's own thread: making it may load
// the office's libraries, which the window's thread does not wait for. A cancel that comes first
// reaches the host once it is made.
class HostMadeOnFirstUse final : public SpreadsheetHost {
 public:
  explicit HostMadeOnFirstUse(std::function<std::unique_ptr<SpreadsheetHost>()> make)
      : make_(std::move(make)) {}

  void newInstance() override { host().newInstance(); }
  void openWorkbook(const std::string& path) override { host().openWorkbook(path); }
  void selectWorksheet(const std::u16string& name) override { host().selectWorksheet(name); }
  void setCellText(int row, int column, const std::u16string& text) override {
    host().setCellText(row, column, text);
  }
  void save() override { host().save(); }
  void exportSheetPdf(const std::string& path) override { host().exportSheetPdf(path); }
  void closeAllWorkbooks() override { host().closeAllWorkbooks(); }
  void quit() override { host().quit(); }
  void release() noexcept override {
    std::lock_guard lock(mutex_);
    if (host_) host_->release();
  }
  void interrupt() noexcept override {
    std::lock_guard lock(mutex_);
    interrupted_ = true;
    if (host_) host_->interrupt();
  }

 private:
  SpreadsheetHost& host() {
    {
      std::lock_guard lock(mutex_);
      if (host_) return *host_;
    }
    std::unique_ptr<SpreadsheetHost> made = make_();
    if (!made) throw QuenbyError(ErrorCode::Unexpected, "这个窗口没有可用的电子表格程序");
    std::lock_guard lock(mutex_);
    host_ = std::move(made);
    if (interrupted_) host_->interrupt();
    return *host_;
  }

  const std::function<std::unique_ptr<SpreadsheetHost>()> make_;
  std::mutex mutex_;
  bool interrupted_ = false;
  std::unique_ptr<SpreadsheetHost> host_;
};

// One export from `window`: the busy cursor, the office's work off this thread, the progress window
// once the export has run for services.progressDelay; `saved` once the bill is saved. Errors reach
// the caller (the window's error guard); a cancelled export ends with ExportCancelled, which the
// guard does not report.
void exportFromWindow(QWidget* window, ExportJob job, ExportCounter& exportCount,
                      const ExportServices& services, const std::function<void(const KeptPdf&)>& saved) {
  if (!services.newHost || !services.newViewer)
    throw QuenbyError(ErrorCode::Unexpected, "这个窗口没有可用的导出服务");
  if (services.beforeExport) services.beforeExport();
  if (services.pdfRequest) job.pdf = services.pdfRequest();
  MessageBoxPrompter prompter(window);
  BusyCursor busy;
  HostMadeOnFirstUse lazyHost(services.newHost);
  SpreadsheetHost* host = &lazyHost;
  std::unique_ptr<BillViewer> viewer = services.newViewer();
  ExportProgress progress(static_cast<int>(job.cells.size()));
  ExportProgressWindow progressWindow(
      window, progress,
      [&] {
        if (progress.cancel()) host->interrupt();
      },
      services.progressDelay);
  // The desktop is asked on this thread, which blocks meanwhile: the window says so first.
  struct ShowingViewer final : BillViewer {
    BillViewer& viewer;
    ExportProgressWindow& progressWindow;
    ShowingViewer(BillViewer& v, ExportProgressWindow& w) : viewer(v), progressWindow(w) {}
    void beginPrepare(const std::string& path) override { viewer.beginPrepare(path); }
    void endPrepare() noexcept override { viewer.endPrepare(); }
    void show(const std::string& path, const std::u16string& sheet) override {
      progressWindow.paintNow();
      viewer.show(path, sheet);
    }
  } showing(*viewer, progressWindow);
  bool waited = !services.beforeOffice;
  runExport(job, exportCount,
            ExportParties{*host, showing, prompter, &progress,
                          [&](const std::function<void()>& officePart) {
                            progressWindow.arm();
                            runOffUiThread([&] {
                              if (!std::exchange(waited, true)) services.beforeOffice();
                              officePart();
                            });
                          },
                          saved});
}

// Once an export has failed for good because the bill is missing, and its error is shown: when
// there is a template, asks whether to create the bill from it (创建并导出, the default, or 取消).
// Accepted, creates the bill's folder and copies the template there, never over a file, and
// returns true: the caller exports again. Raises BillNotCreated when the copy fails.
bool offerBillTemplate(QWidget* window, const ExportServices& services) {
  const std::string templatePath = services.billTemplate ? services.billTemplate() : std::string();
  if (templatePath.empty()) return false;
  if (shell::ask(window, QString::fromStdU16String(kBillTemplateOffer), QStringLiteral("创建并导出"),
                 QStringLiteral("取消"), shell::Answer::Act) != shell::Answer::Act)
    return false;
  createBillFromTemplate(templatePath, services.workbookPath);
  return true;
}

// Once an export has failed because another program holds the bill, and its error is shown: asks
// whether to export again. A lock that a spreadsheet of this user left on this machine when it
// ended (no process holds the bill open) is offered for removal first; a lock the user says is
// left over (its program is closed) likewise, after a warning when another machine wrote it; a
// bill a program here holds open only for a retry once it is closed. True: the caller exports
// again.
bool offerWhileHeld(QWidget* window, const std::string& billPath) {
  const std::filesystem::path bill(billPath);
  const BillHold hold = billHold(bill);
  if (hold == BillHold::Free) return false;
  const std::optional<BillHolder> holder = readBillHolder(lockFileOf(bill));
  const QString retry = QStringLiteral("重试"), removeLock = QStringLiteral("删除锁定并导出"),
                cancel = QStringLiteral("取消");
  if (hold == BillHold::Leftover) {
    const QString text =
        QStringLiteral(
            "账单的锁定文件是本机用户 %1 打开账单时留下的，现在已经没有程序打开账单。要删除锁定并导出吗？")
            .arg(QString::fromStdString(holder->user));
    if (shell::choose(window, text, {removeLock, cancel}, 0) != 0) return false;
    removeLeftoverLock(bill, *holder);
    return true;
  }
  if (hold == BillHold::Open || !holder)
    return shell::choose(window, QStringLiteral("请先关闭打开账单的程序，再按“重试”。"), {retry, cancel},
                         0) == 0;
  const QString where =
      holder->thisHost ? QStringLiteral("本机用户 %1").arg(QString::fromStdString(holder->user))
                       : QStringLiteral("电脑“%1”上的用户 %2")
                             .arg(QString::fromStdString(holder->host), QString::fromStdString(holder->user));
  const QString text =
      QStringLiteral(
          "账单由%1打开。请先关闭那里的账单，再按“重试”。只有确定那个程序已经关闭时，才删除锁定并导出。")
          .arg(where);
  switch (shell::choose(window, text, {retry, removeLock, cancel}, 0)) {
    case 0:
      return true;
    case 1:
      removeLeftoverLock(bill, *holder);
      return true;
    default:
      return false;
  }
}

}  // namespace

void exportOnClick(QWidget* window, const ExportJob& job, ExportCounter& exportCount,
                   const ExportServices& services) noexcept {
  InputBlocker blocker;
  // A record that failed, and a PDF that could not be written, are told after the export's own
  // boxes.
  std::optional<QuenbyError> unrecorded, pdfMissing;
  auto saved = [&](const KeptPdf& pdf) {
    pdfMissing = pdf.failure;
    if (!services.afterSave) return;
    try {
      services.afterSave(pdf);
    } catch (const QuenbyError& e) {
      unrecorded = e;
    }
  };
  bool billMissing = false, billHeld = false;
  auto exportNoting = [&] {
    billMissing = billHeld = false;
    try {
      exportFromWindow(window, job, exportCount, services, saved);
    } catch (const QuenbyError& e) {
      billMissing = e.is(ExportError::WorkbookMissing);
      billHeld = e.is(ExportError::WorkbookNotSaved);
      throw;
    }
  };
  auto exportGuarded = [&] {
    shell::guarded(window, exportNoting);
    if (unrecorded) shell::guarded(window, [&] { throw std::exchange(unrecorded, std::nullopt).value(); });
    if (pdfMissing) shell::guarded(window, [&] { throw std::exchange(pdfMissing, std::nullopt).value(); });
  };
  exportGuarded();
  bool billCreated = false;
  if (billMissing) shell::guarded(window, [&] { billCreated = offerBillTemplate(window, services); });
  // As one click more, and the last: a bill missing again is not offered again.
  if (billCreated) exportGuarded();
  // A bill another program holds is asked about again after each try, until it is exported or the
  // user gives up.
  while (billHeld) {
    bool again = false;
    shell::guarded(window, [&] { again = offerWhileHeld(window, services.workbookPath); });
    if (!again) break;
    exportGuarded();
  }
  if (services.afterClick) shell::guarded(window, services.afterClick);
}

}  // namespace quenby
