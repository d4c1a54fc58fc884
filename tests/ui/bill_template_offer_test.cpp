// A first export without a bill: after the error box, the offer to create the bill from the
// template. Enter takes 创建并导出: the folder is made, the template copied and the sheet exported
// once more as a further click; Escape creates nothing; without a template nothing follows the
// error; a bill that cannot be created is reported and not exported.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "app/desktop_services.h"
#include "calc/error.h"
#include "export/export_error.h"
#include "logtally/form1.h"
#include "recording_host.h"
#include "ui_test_support.h"

namespace quenby {
namespace {

const QString kReminder = QStringLiteral("每次打印前请先关闭*账单明细*");
const QString kOffer = QStringLiteral("账单明细.xls 不存在。要从模板创建它并重新导出吗？");
const QByteArray kTemplateBytes("\xD0\xCF\x11\xE0 账单模板", 17);

struct OfferCase {
  const char* name;
  bool withTemplate;
  Qt::Key answer;
  bool folderBlocked;  // the documents folder would have to be made below a plain file
  int failOpens;       // opening attempts that find no bill
  bool writeFails;     // the first attempt that opens the bill fails at its first cell
  QStringList boxes;   // how each box's text begins
  int instances;       // attempts made
  bool billCreated;    // holding the template's bytes
  int saves;
};
void PrintTo(const OfferCase& c, std::ostream* os) { *os << c.name; }

class BillTemplateOfferTest : public ::testing::TestWithParam<OfferCase> {};

TEST_P(BillTemplateOfferTest, FollowsTheMissingBillError) {
  const OfferCase& c = GetParam();
  QTemporaryDir home;
  const QString templatePath = home.filePath(QStringLiteral("template.xls"));
  QFile templateFile(templatePath);
  ASSERT_TRUE(templateFile.open(QIODevice::WriteOnly) && templateFile.write(kTemplateBytes) > 0);
  templateFile.close();
  QString documents = home.filePath(QStringLiteral("Documents"));
  if (c.folderBlocked) {
    QFile blocker(home.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    documents = home.filePath(QStringLiteral("blocker/Documents"));
  }
  const QString bill = documents + QStringLiteral("/账单明细.xls");

  testing::Recording rec;
  rec.failOpens = c.failOpens;
  QByteArray billWhenWritten;
  rec.duringFirstWrite = [&] {
    QFile written(bill);
    if (written.open(QIODevice::ReadOnly)) billWhenWritten = written.readAll();
    if (c.writeFails) throw QuenbyError(ExportError::SpreadsheetFailed, "写入失败");
  };
  ExportServices services = testing::recordingServices(rec, bill.toStdString());
  if (c.withTemplate) services.billTemplate = [&] { return templatePath.toStdString(); };
  Form1 form(services);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

  testing::KeyAnswerer answerer(c.answer);
  QTest::mouseClick(form.control({"Command3"}), Qt::LeftButton);

  std::vector<std::string> expected;
  for (const QString& box : c.boxes) expected.push_back(box.toStdString());
  EXPECT_EQ(answerer.texts(c.boxes), expected);
  for (const testing::KeyAnswerer::Seen& box : answerer.seen()) {
    EXPECT_EQ(box.title, "Quenby");
    if (box.text != kOffer) continue;
    EXPECT_EQ(box.buttons, QStringList({QStringLiteral("创建并导出"), QStringLiteral("取消")}));
    EXPECT_EQ(box.defaultButton, "创建并导出");
  }
  EXPECT_EQ(rec.instances, c.instances);
  EXPECT_EQ(rec.saves, c.saves);
  EXPECT_EQ(form.exportCount().value(), c.instances);  // so no second reminder
  if (c.billCreated) {
    QFile created(bill);
    ASSERT_TRUE(created.open(QIODevice::ReadOnly));
    EXPECT_EQ(created.readAll(), kTemplateBytes);
  } else {
    EXPECT_FALSE(QFile::exists(documents)) << "created " << documents.toStdString();
  }
  if (c.saves > 0) {
    EXPECT_EQ(billWhenWritten, kTemplateBytes);  // copied before the export wrote its first cell
    EXPECT_EQ(rec.cells.size(), 203u);
    EXPECT_EQ(rec.shown, 1);
    EXPECT_EQ(rec.paths.back(), bill.toStdString());
  }
}

const QString kMissing = QStringLiteral("错误 1003：找不到账单工作簿：");

INSTANTIATE_TEST_SUITE_P(
    BillTemplateOffer, BillTemplateOfferTest,
    ::testing::Values(
        OfferCase{"EnterCreatesAndExports",
                  true,
                  Qt::Key_Return,
                  false,
                  2,
                  false,
                  {kReminder, kMissing, kOffer},
                  3,
                  true,
                  1},
        OfferCase{"EscapeCreatesNothing",
                  true,
                  Qt::Key_Escape,
                  false,
                  2,
                  false,
                  {kReminder, kMissing, kOffer},
                  2,
                  false,
                  0},
        OfferCase{
            "NoTemplateNoOffer", false, Qt::Key_Return, false, 2, false, {kReminder, kMissing}, 2, false, 0},
        OfferCase{"NoOfferWhenTheLastErrorIsAnother",
                  true,
                  Qt::Key_Return,
                  false,
                  1,
                  true,
                  {kReminder, QStringLiteral("错误 1007：")},
                  2,
                  false,
                  0},
        OfferCase{"MissingAgainIsNotOfferedAgain",
                  true,
                  Qt::Key_Return,
                  false,
                  4,
                  false,
                  {kReminder, kMissing, kOffer, kMissing},
                  4,
                  true,
                  0},
        OfferCase{"AFolderThatCannotBeMadeIsReported",
                  true,
                  Qt::Key_Return,
                  true,
                  2,
                  false,
                  {kReminder, kMissing, kOffer, QStringLiteral("错误 1013：无法从模板 ")},
                  2,
                  false,
                  0}),
    [](const auto& info) { return std::string(info.param.name); });

// Where the desktop's services find the template: in the desktop's data folders, where the
// package installs it as quenby/账单明细.xls; nowhere when it is not there.
TEST(BillTemplatePath, IsTheInstalledTemplateElseNone) {
  testing::ScopedDesktop desktop;
  QTemporaryDir data;
  desktop.set("XDG_DATA_DIRS", data.path());
  EXPECT_EQ(app::desktopExportServices().billTemplate(), "");
  ASSERT_TRUE(QDir(data.path()).mkpath(QStringLiteral("quenby")));
  QFile installed(data.filePath(QStringLiteral("quenby/账单明细.xls")));
  ASSERT_TRUE(installed.open(QIODevice::WriteOnly) && installed.write(kTemplateBytes) > 0);
  installed.close();
  EXPECT_EQ(app::desktopExportServices().billTemplate(), installed.fileName().toStdString());
}

}  // namespace
}  // namespace quenby
