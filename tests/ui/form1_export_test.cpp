// Command3 on Form1 with a recording spreadsheet host: the reminder box, the cells the bill
// receives (typed combo captions included), the busy cursor, input made while the export runs,
// and failures reported while every field stays as it was.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "calc/numeric_text.h"
#include "export/export_error.h"
#include "logtally/form1.h"
#include "recording_host.h"
#include "support/utf.h"
#include "ui_test_support.h"

namespace quenby {
namespace {

using testing::Recording;

class Form1ExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<Form1>(testing::recordingServices(rec));
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  }
  std::map<std::string, std::string> fields() const {
    std::map<std::string, std::string> m;
    for (const NamedField& f : form->sheet().fields()) m[toString(f.id)] = u8(f.field->text());
    return m;
  }
  void clickExport() { QTest::mouseClick(form->control({"Command3"}), Qt::LeftButton); }

  Recording rec;
  std::unique_ptr<Form1> form;
};

TEST_F(Form1ExportTest, FirstExportRemindsThenWritesTheSheetAsShown) {
  auto* buyerCaption = form->control<QComboBox>({"Combo4"});
  ASSERT_TRUE(buyerCaption && buyerCaption->isEditable());
  buyerCaption->lineEdit()->selectAll();
  QKeyEvent typed(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("收货单位"));
  QApplication::sendEvent(buyerCaption->lineEdit(), &typed);
  QTest::keyClicks(form->control<QLineEdit>({"Text9", 1}), QStringLiteral("3"));
  QTest::keyClicks(form->control<QLineEdit>({"Text18", 0}), QStringLiteral("=1+1"));
  const auto before = fields();

  testing::MessageBoxAnswerer answerer;
  clickExport();
  ASSERT_EQ(answerer.all().size(), 1u);
  EXPECT_EQ(answerer.seen().title, "Quenby");
  EXPECT_EQ(answerer.seen().text, "每次打印前请先关闭*账单明细*");
  EXPECT_EQ(answerer.seen().buttons, QMessageBox::Ok);
  EXPECT_EQ(answerer.seen().icon, QMessageBox::NoIcon);

  EXPECT_EQ(rec.cells.size(), 203u);
  EXPECT_EQ((rec.cells[{3, 1}]), "收货单位");
  EXPECT_EQ((rec.cells[{15, 2}]), "3");  // Text9(1): no calculation first, so no volume
  EXPECT_EQ((rec.cells[{15, 3}]), "");
  EXPECT_EQ((rec.cells[{23, 1}]), "=1+1");
  EXPECT_EQ((rec.cells[{26, 8}]), "联系人");
  EXPECT_EQ(rec.saves, 1);
  EXPECT_EQ(rec.shown, 1);
  EXPECT_EQ(rec.paths, std::vector<std::string>{"/bills/账单明细.xls"});
  EXPECT_EQ(rec.worksheets, std::vector<std::u16string>{u"原木一"});
  EXPECT_TRUE(rec.busyWhileWriting);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(fields(), before);

  testing::MessageBoxAnswerer second;
  clickExport();
  EXPECT_TRUE(second.all().empty());
  EXPECT_EQ(rec.saves, 2);
}

// A click on 导出表格 and keys pressed while the export blocks the window, both as delivered at
// once and as queued for after the export, neither export again nor reach a field.
TEST_F(Form1ExportTest, ClicksAndKeysDuringAnExportAreDropped) {
  QWidget* exportButton = form->control({"Command3"});
  QLineEdit* count = form->control<QLineEdit>({"Text9", 1});
  QLineEdit* length = form->control<QLineEdit>({"Text23"});
  count->setFocus();
  const auto before = fields();
  rec.duringFirstWrite = [&] {
    QTest::mouseClick(exportButton, Qt::LeftButton);
    QTest::keyClick(count, Qt::Key_7);
    const QPoint centre = exportButton->rect().center();
    const QPoint global = exportButton->mapToGlobal(centre);
    QCoreApplication::postEvent(exportButton,
                                new QMouseEvent(QEvent::MouseButtonPress, centre, global, Qt::LeftButton,
                                                Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(exportButton, new QMouseEvent(QEvent::MouseButtonRelease, centre, global,
                                                              Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
    QCoreApplication::postEvent(count, new QKeyEvent(QEvent::KeyPress, Qt::Key_8, Qt::NoModifier, "8"));
    QCoreApplication::postEvent(length, new QKeyEvent(QEvent::KeyPress, Qt::Key_9, Qt::NoModifier, "9"));
  };

  testing::MessageBoxAnswerer answerer;
  clickExport();
  QCoreApplication::processEvents();     // anything the export left queued
  EXPECT_EQ(answerer.all().size(), 1u);  // the reminder
  EXPECT_EQ(rec.instances, 1);
  EXPECT_EQ(rec.saves, 1);
  EXPECT_EQ(rec.shown, 1);
  EXPECT_EQ(fields(), before);
  EXPECT_EQ(count->text(), "");
  EXPECT_EQ(length->text(), "4");

  // Once the export is over the window takes input again.
  QTest::keyClick(count, Qt::Key_7);
  EXPECT_EQ(u8(form->sheet().field("Text9", 1).text()), "7");
  clickExport();
  EXPECT_EQ(rec.saves, 2);
}

TEST_F(Form1ExportTest, FailingTwiceIsReportedOnceAndTheProgramGoesOn) {
  QTest::keyClicks(form->control<QLineEdit>({"Text3", 4}), QStringLiteral("7"));
  const auto before = fields();
  rec.failOpens = 2;

  testing::MessageBoxAnswerer answerer;
  clickExport();
  ASSERT_EQ(answerer.all().size(), 2u);  // the reminder, then the error of the second attempt
  EXPECT_EQ(answerer.all()[0].text, "每次打印前请先关闭*账单明细*");
  EXPECT_EQ(answerer.all()[1].title, "Quenby");
  EXPECT_EQ(answerer.all()[1].text, "错误 1003：找不到账单工作簿：/bills/账单明细.xls");
  EXPECT_EQ(rec.instances, 2);
  EXPECT_EQ(rec.saves, 0);
  EXPECT_EQ(fields(), before);

  // The window still works: the next export goes through without a reminder.
  testing::MessageBoxAnswerer next;
  clickExport();
  EXPECT_TRUE(next.all().empty());
  EXPECT_EQ(rec.saves, 1);
  QTest::mouseClick(form->control({"Command7"}), Qt::LeftButton);
  EXPECT_FALSE(form->sheet().volume(3, 1).text().empty());
}

// Fault: an error of the hook that records the saved bill would count as a failed attempt: the
// export would start over and save the bill again, or the bill would not be shown. It is told
// after the bill is shown, and the bill is saved once.
TEST(Form1ExportHooks, AnErrorRecordingTheSavedBillIsToldAfterTheBillIsShown) {
  Recording rec;
  ExportServices services = testing::recordingServices(rec);
  int shownAtTheHook = -1;
  services.afterSave = [&](const KeptPdf&) {
    shownAtTheHook = rec.shown;
    throw QuenbyError(1206, "账单已导出，但没有记入账单记录");
  };
  Form1 form(services);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  testing::MessageBoxAnswerer answerer;
  QTest::mouseClick(form.control({"Command3"}), Qt::LeftButton);
  EXPECT_EQ(shownAtTheHook, 0);  // recorded once saved, before the bill is shown
  EXPECT_EQ(rec.instances, 1);
  EXPECT_EQ(rec.saves, 1);
  EXPECT_EQ(rec.shown, 1);
  ASSERT_EQ(answerer.all().size(), 2u);  // the reminder, then the record's error
  EXPECT_EQ(answerer.all()[1].text, "错误 1206：账单已导出，但没有记入账单记录");
}

}  // namespace
}  // namespace quenby
