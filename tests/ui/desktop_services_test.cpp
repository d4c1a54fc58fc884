// The desktop side of an export: where the bill lives, and how the saved bill is handed to the
// desktop. A fake xdg-mime first on PATH answers the viewer's questions, and a handler for file
// addresses stands in for the desktop's launcher.

#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QUrl>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/desktop_services.h"
#include "calc/error.h"

namespace quenby {
namespace {

// Sets an environment variable, or unsets it for a null value, until the end of the scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::optional<QByteArray>& value) : name_(name) {
    if (qEnvironmentVariableIsSet(name)) old_ = qgetenv(name);
    value ? qputenv(name, *value) : qunsetenv(name);
  }
  ~ScopedEnv() { old_ ? qputenv(name_, *old_) : qunsetenv(name_); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<QByteArray> old_;
};

// Catches the addresses handed to the desktop.
class Launcher : public QObject {
  Q_OBJECT

 public:
  Launcher() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
  ~Launcher() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
  std::vector<QUrl> opened;

 public slots:
  void open(const QUrl& url) { opened.push_back(url); }
};

// An xdg-mime that knows the bill's type and answers `defaultApp` (exit status `status`) when asked
// for the application of that type. It notes every question in a file beside itself.
class FakeXdgMime {
 public:
  FakeXdgMime(const QString& defaultApp, int status) {
    const QString script = dir_.filePath(QStringLiteral("xdg-mime"));
    QFile file(script);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("#!/bin/sh\n"
                              "echo \"$*\" >> \"%1\"\n"
                              "case \"$2\" in\n"
                              "  filetype) echo application/vnd.ms-excel ;;\n"
                              "  default) echo '%2'; exit %3 ;;\n"
                              "esac\n")
                   .arg(questionsPath(), defaultApp)
                   .arg(status)
                   .toUtf8());
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    path_.emplace("PATH", (dir_.path() + ":" + qEnvironmentVariable("PATH")).toUtf8());
  }
  QStringList questions() const {
    QFile file(questionsPath());
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
  }

 private:
  QString questionsPath() const { return dir_.filePath(QStringLiteral("questions")); }
  QTemporaryDir dir_;
  std::optional<ScopedEnv> path_;
};

const std::string kBill = "/home/甲/Documents/账单明细.xls";

TEST(DesktopBillViewer, HandsTheBillToTheDesktopWhenAnApplicationIsThere) {
  const struct {
    const char* what;
    QString defaultApp;
    int status;
  } rows[] = {
      {"an application for spreadsheets", "libreoffice-calc.desktop", 0},
      {"xdg-mime cannot tell: the desktop's launcher tries", "", 2},
  };
  for (const auto& r : rows) {
    FakeXdgMime xdgMime(r.defaultApp, r.status);
    Launcher launcher;
    app::DesktopBillViewer().show(kBill, u"原木一");
    ASSERT_EQ(launcher.opened.size(), 1u) << r.what;
    EXPECT_EQ(launcher.opened[0].scheme(), "file") << r.what;
    EXPECT_EQ(launcher.opened[0].toLocalFile(), "/home/甲/Documents/账单明细.xls") << r.what;
    EXPECT_EQ(xdgMime.questions(),
              (QStringList{QStringLiteral("query filetype /home/甲/Documents/账单明细.xls"),
                           QStringLiteral("query default application/vnd.ms-excel")}))
        << r.what;
  }
}

TEST(DesktopBillViewer, NoApplicationForTheBillIsError1006AndNothingIsHandedOver) {
  FakeXdgMime xdgMime("", 0);
  Launcher launcher;
  try {
    app::DesktopBillViewer().show(kBill, u"原木一");
    ADD_FAILURE() << "no error";
  } catch (const QuenbyError& e) {
    EXPECT_EQ(e.number(), 1006);
    EXPECT_NE(e.description().find(kBill), std::string::npos) << e.description();
  }
  EXPECT_TRUE(launcher.opened.empty());
  EXPECT_EQ(xdgMime.questions().size(), 2);
}

// The desktop is asked on the export's thread, around the office's work: the answer found there
// decides what show() does on the window's thread, which asks nothing itself.
TEST(DesktopBillViewer, AsksTheDesktopWhilePreparedOnAnotherThread) {
  for (const bool hasApplication : {true, false}) {
    FakeXdgMime xdgMime(hasApplication ? "libreoffice-calc.desktop" : "", 0);
    Launcher launcher;
    app::DesktopBillViewer viewer;
    std::thread office([&] {
      viewer.beginPrepare(kBill);
      viewer.endPrepare();
    });
    office.join();
    EXPECT_EQ(xdgMime.questions().size(), 2) << hasApplication;
    int number = 0;
    try {
      viewer.show(kBill, u"原木一");
    } catch (const QuenbyError& e) {
      number = e.number();
    }
    EXPECT_EQ(number, hasApplication ? 0 : 1006);
    EXPECT_EQ(launcher.opened.size(), hasApplication ? 1u : 0u);
    EXPECT_EQ(xdgMime.questions().size(), 2) << "show() asked again";
  }
}

TEST(BillWorkbookPath, IsTheBillInTheUsersDocumentsFolder) {
  QTemporaryDir home;
  ScopedEnv homeVar("HOME", home.path().toUtf8());
  {  // no user-dirs.dirs: the folder Documents in the home folder
    ScopedEnv config("XDG_CONFIG_HOME", home.filePath(QStringLiteral("none")).toUtf8());
    const std::string expected = (home.path() + QStringLiteral("/Documents/账单明细.xls")).toStdString();
    EXPECT_EQ(app::billWorkbookPath(), expected);
    EXPECT_EQ(app::desktopExportServices().workbookPath, expected);
  }
  {  // a desktop that names its documents folder in Chinese
    ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("config")));
    QFile dirs(home.filePath(QStringLiteral("config/user-dirs.dirs")));
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_DOCUMENTS_DIR=\"$HOME/\xE6\x96\x87\xE6\xA1\xA3\"\n");  // $HOME/文档
    dirs.close();
    ScopedEnv config("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toUtf8());
    const std::string expected = (home.path() + QStringLiteral("/文档/账单明细.xls")).toStdString();
    EXPECT_EQ(app::billWorkbookPath(), expected);
    EXPECT_EQ(app::desktopExportServices().workbookPath, expected);
  }
}

// Faults: the setting pdf=false under [bill] not read (a PDF made at every export all the same), or
// the PDFs' folder elsewhere than beside the bill.
TEST(BillPdfFolder, IsBesideTheBillUnlessTheSettingTurnsPdfsOff) {
  QTemporaryDir home, config;
  ScopedEnv homeVar("HOME", home.path().toUtf8());
  ScopedEnv noDirs("XDG_CONFIG_HOME", home.filePath(QStringLiteral("none")).toUtf8());
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
  EXPECT_EQ(app::desktopExportServices().pdfFolder,
            (home.path() + QStringLiteral("/Documents/Quenby 账单")).toStdString());
  QSettings(QStringLiteral("Quenby"), QStringLiteral("Quenby")).setValue(QStringLiteral("bill/pdf"), false);
  EXPECT_EQ(app::desktopExportServices().pdfFolder, "");
  QSettings(QStringLiteral("Quenby"), QStringLiteral("Quenby")).clear();
}

// The office hosts come from their module; the program links no UNO itself.
TEST(OfficeHostModule, IsLoadedFromTheFirstFolderThatHoldsItAndRaisesTheProgramsErrors) {
  QTemporaryDir empty;
  const std::unique_ptr<OfficeSupply> offices = app::loadOfficeModule(
      {empty.path(), QStringLiteral(QUENBY_OFFICE_MODULE_BUILT)}, {.startAhead = false});
  ASSERT_NE(offices, nullptr);
  std::unique_ptr<SpreadsheetHost> host = offices->newHost();
  // The module's errors are the program's own type, caught as such: no office is started here.
  try {
    host->openWorkbook("/nowhere/bill.xls");
    ADD_FAILURE() << "no error";
  } catch (const QuenbyError& e) {
    EXPECT_EQ(e.number(), 1007) << e.description();
  }
  host->release();
}

TEST(OfficeHostModule, NoneInTheFoldersIsError1001NamingTheModule) {
  QTemporaryDir empty;
  try {
    app::loadOfficeModule({empty.path()}, {});
    ADD_FAILURE() << "no error";
  } catch (const QuenbyError& e) {
    EXPECT_EQ(e.number(), 1001);
    EXPECT_NE(e.description().find("quenby_office_host.so"), std::string::npos) << e.description();
  }
}

}  // namespace
}  // namespace quenby

#include "desktop_services_test.moc"
