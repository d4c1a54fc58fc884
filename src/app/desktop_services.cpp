#include "app/desktop_services.h"

#include <QDesktopServices>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>

#include "export/export_error.h"
#include "export/libreoffice_host.h"

namespace quenby::app {

namespace {

const QString kBillFileName = QStringLiteral("账单明细.xls");

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
  if (!desktopHasApplicationFor(path) || !QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
    throw QuenbyError(ExportError::BillNotShown, "账单已保存到 " + pathUtf8 +
                                                     "，但本机没有能打开它的电子表格程序。请安装 LibreOffice Calc 后再导出。");
}

ExportServices desktopExportServices() {
  return {billWorkbookPath(), [] { return std::make_unique<LibreOfficeHost>(); },
          [] { return std::make_unique<DesktopBillViewer>(); }};
}

const char kWebPageA[] = "https://quenby.example.com/calculators/";
const char kWebPageB[] = "https://quenby.example.com/calculators/logs/";

void openWebPage(const QUrl& url) {
  if (!QDesktopServices::openUrl(url))
    throw QuenbyError(DesktopError::WebPageNotOpened,
                      "无法打开网页 " + url.toString().toStdString() + "：本机没有可用的网页浏览器，请安装浏览器后再试");
}

}  // namespace quenby::app
