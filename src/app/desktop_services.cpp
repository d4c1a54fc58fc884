#include "app/desktop_services.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <optional>
#include <utility>

#include "export/export_error.h"
#include "office/office_module.h"
#include "office/termination.h"
#include "office_loading/office_on_demand.h"
#include "windows/bill_pdf_name.h"

namespace quenby::app {

namespace {

const QString kBillFileName = QStringLiteral("账单明细.xls");

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
// xdg-open starts without telling whether anything can open what it is given, so Qt reports success
// either way; ask the desktop's MIME database first, so that what nobody can open is reported
// instead of silently not opened. When the database cannot tell, xdg-open gets its chance.
std::optional<QString> askXdgMime(const QStringList& query) {
  QProcess xdgMime;
  xdgMime.start(QStringLiteral("xdg-mime"), QStringList{QStringLiteral("query")} + query);
  if (!xdgMime.waitForFinished(5000) || xdgMime.exitStatus() != QProcess::NormalExit ||
      xdgMime.exitCode() != 0)
    return std::nullopt;
  return QString::fromUtf8(xdgMime.readAllStandardOutput()).trimmed();
}

bool desktopHasApplicationForType(const QString& type) {
  const std::optional<QString> application = askXdgMime({QStringLiteral("default"), type});
  return !application || !application->isEmpty();
}

bool desktopHasApplicationFor(const QString& path) {
  const std::optional<QString> type = askXdgMime({QStringLiteral("filetype"), path});
  return !type || desktopHasApplicationForType(*type);
}

// xdg-open also falls back to the browser the user names in BROWSER.
bool desktopHasBrowserFor(const QUrl& url) {
  return !qEnvironmentVariableIsEmpty("BROWSER") ||
         desktopHasApplicationForType(QStringLiteral("x-scheme-handler/") + url.scheme());
}
#else
bool desktopHasApplicationFor(const QString&) { return true; }
bool desktopHasBrowserFor(const QUrl&) { return true; }
#endif

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

std::string billPdfFolder() {
  const QSettings settings(QStringLiteral("Quenby"), QStringLiteral("Quenby"));
  if (!settings.value(QStringLiteral("bill/pdf"), true).toBool()) return {};
  const QString bill = QString::fromStdString(billWorkbookPath());
  return QDir(QFileInfo(bill).absolutePath()).filePath(QString::fromUtf16(kPdfFolderName)).toStdString();
}

std::string billTemplatePath() {
  const QString program = QCoreApplication::applicationDirPath();
  const QString name = QStringLiteral("quenby/") + kBillFileName;
  for (const QString& candidate : {program + QStringLiteral("/../share/") + name,
                                   QStandardPaths::locate(QStandardPaths::GenericDataLocation, name),
                                   program + QStringLiteral("/resources/") + kBillFileName}) {
    if (!candidate.isEmpty() && QFileInfo(candidate).isFile())
      return QDir::cleanPath(candidate).toStdString();
  }
  return {};
}

void DesktopBillViewer::beginPrepare(const std::string& pathUtf8) {
  endPrepare();
  openable_.reset();
  asking_ = std::async(std::launch::async,
                       [path = QString::fromStdString(pathUtf8)] { return desktopHasApplicationFor(path); });
}

void DesktopBillViewer::endPrepare() noexcept {
  if (!asking_.valid()) return;
  try {
    openable_ = asking_.get();
  } catch (...) {
    openable_.reset();
  }
}

void DesktopBillViewer::show(const std::string& pathUtf8, const std::u16string&) {
  const QString path = QString::fromStdString(pathUtf8);
  const bool openable = openable_ ? *std::exchange(openable_, std::nullopt) : desktopHasApplicationFor(path);
  if (!openable || !QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
    throw QuenbyError(ExportError::BillNotShown, "账单已保存到 " + pathUtf8 +
                                                     "，但本机没有能打开它的电子表格程序，所以没有显示。请安"
                                                     "装 LibreOffice Calc，再用它打开这个文件。");
}

QStringList officeModuleFolders() {
  const QString program = QCoreApplication::applicationDirPath();
  return {program + QStringLiteral("/../" QUENBY_OFFICE_MODULE_DIR), program};
}

std::unique_ptr<OfficeSupply> loadOfficeModule(const QStringList& folders,
                                               const OfficeSupplySettings& settings) {
  QString tried;
  for (const QString& folder : folders) {
    const QString path = QDir(folder).filePath(QString::fromLatin1(kOfficeModuleFile));
    if (!QFileInfo::exists(path)) continue;
    // Loaded once for the rest of the run: QLibrary never unloads on its own.
    QLibrary module(path);
    auto entry = reinterpret_cast<NewOfficeSupply>(module.resolve(kOfficeModuleEntry));
    if (entry) return std::unique_ptr<OfficeSupply>(entry(&ownOfficeLinks(), &settings));
    tried = module.errorString();
    break;
  }
  if (tried.isEmpty())
    tried = QStringLiteral("%1 不在 %2")
                .arg(QString::fromLatin1(kOfficeModuleFile), folders.join(QStringLiteral("、")));
  throw QuenbyError(ExportError::SpreadsheetMissing, "无法载入 Quenby 的 LibreOffice Calc 接口（" +
                                                         QDir::toNativeSeparators(tried).toStdString() +
                                                         "）。请确认 LibreOffice Calc 与 Quenby 已正确安装");
}

std::shared_ptr<OfficeSupply> desktopOffices(const OfficeSupplySettings& settings) {
  return std::make_shared<OfficeOnDemand>(
      [folders = officeModuleFolders(), settings] { return loadOfficeModule(folders, settings); },
      settings.startAhead);
}

ExportServices desktopExportServices(std::shared_ptr<OfficeSupply> offices) {
  if (!offices) offices = desktopOffices({.startAhead = false});
  auto newHost = [offices] { return offices->newHost(); };
  ExportServices services{billWorkbookPath(), newHost, [] { return std::make_unique<DesktopBillViewer>(); },
                          billTemplatePath};
  services.pdfFolder = billPdfFolder();
  return services;
}

void openWebPage(const QUrl& url) {
  if (!desktopHasBrowserFor(url) || !QDesktopServices::openUrl(url))
    throw QuenbyError(DesktopError::WebPageNotOpened, "无法打开网页 " + url.toString().toStdString() +
                                                          "：本机没有可用的网页浏览器，请安装浏览器后再试");
}

}  // namespace quenby::app
