// The application's windows through app::Calculators: the selector shows the multi-length window
// and hides the log tally window (the target first), the back button returns, windows named by a
// hide are created hidden, and each window keeps its fields and its own export count.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "logtally/form1.h"
#include "multilength/form2.h"
#include "recording_host.h"
#include "support/utf.h"
#include "ui_test_support.h"

namespace quenby {
namespace {

using app::Calculators;

// Notes the order in which the calculator windows are shown and hidden, also of windows that do
// not exist yet when it starts.
class ShowHideLog : public QObject {
 public:
  ShowHideLog() { qApp->installEventFilter(this); }
  ~ShowHideLog() override { qApp->removeEventFilter(this); }
  std::vector<std::string> events;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Show && event->type() != QEvent::Hide) return false;
    const char* name = qobject_cast<Form1*>(watched)   ? "Form1"
                       : qobject_cast<Form2*>(watched) ? "Form2"
                                                       : nullptr;
    if (name) events.push_back((event->type() == QEvent::Show ? "show " : "hide ") + std::string(name));
    return false;
  }
};

class CalculatorsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    calculators = std::make_unique<Calculators>(testing::recordingServices(rec),
                                                [this](const QUrl& url) { opened.push_back(url); });
    form1()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form1()));
  }

  Form1* form1() const { return static_cast<Form1*>(calculators->window(Calculators::LogTally)); }
  Form2* form2() const { return static_cast<Form2*>(calculators->window(Calculators::MultiLength)); }
  QComboBox* selector() const { return form1()->control<QComboBox>({"Combo3"}); }
  // Picks `entry` from Combo3's list as the user would.
  void choose(const QString& entry) {
    QComboBox* combo = selector();
    const int index = combo->findText(entry);
    ASSERT_GE(index, 0) << entry.toStdString();
    combo->setFocus();
    combo->setCurrentIndex(index == 0 ? 1 : index - 1);
    QTest::keyClick(combo, index == 0 ? Qt::Key_Up : Qt::Key_Down);
    ASSERT_EQ(combo->currentText(), entry);
  }

  testing::Recording rec;
  std::vector<QUrl> opened;
  std::unique_ptr<Calculators> calculators;
};

TEST_F(CalculatorsTest, ChoosingTheMultiLengthEntryShowsForm2FirstThenHidesForm1) {
  EXPECT_EQ(form2(), nullptr);
  EXPECT_EQ(selector()->currentText(), "原木计算");
  ShowHideLog log;
  choose("多 材 长");
  ASSERT_NE(form2(), nullptr);
  EXPECT_TRUE(form2()->isVisible());
  EXPECT_FALSE(form1()->isVisible());
  EXPECT_EQ(log.events, (std::vector<std::string>{"show Form2", "hide Form1"}));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form2()));
  EXPECT_EQ(form2()->focusWidget(), form2()->control({"Text6", 18}));
}

TEST_F(CalculatorsTest, TargetIsShownBeforeTheOthersAreHidden) {
  choose("多 材 长");
  calculators->back();
  ShowHideLog log;
  choose("多 材 长");
  EXPECT_EQ(log.events, (std::vector<std::string>{"show Form2", "hide Form1"}));
  log.events.clear();
  QTest::mouseClick(form2()->control({"Command6"}), Qt::LeftButton);
  EXPECT_EQ(log.events, (std::vector<std::string>{"show Form1", "hide Form2"}));
}

TEST_F(CalculatorsTest, BackButtonReturnsToForm1AndLeavesTheSelectorAlone) {
  choose("多 材 长");
  QTest::mouseClick(form2()->control({"Command6"}), Qt::LeftButton);
  EXPECT_TRUE(form1()->isVisible());
  EXPECT_FALSE(form2()->isVisible());
  EXPECT_EQ(selector()->currentText(), "多 材 长");
  EXPECT_EQ(u8(form1()->sheet().field("Combo3").text()), "多 材 长");
}

TEST_F(CalculatorsTest, ChoosingTheLogTallyEntryCreatesForm2Hidden) {
  ASSERT_EQ(form2(), nullptr);
  ShowHideLog log;
  choose("原木计算");  // the entry already showing, chosen again
  ASSERT_NE(form2(), nullptr);
  EXPECT_FALSE(form2()->isVisible());
  EXPECT_TRUE(form1()->isVisible());
  EXPECT_EQ(log.events, (std::vector<std::string>{}));
}

TEST_F(CalculatorsTest, Form2KeepsItsFieldsAndExportCountAcrossSwitches) {
  choose("多 材 长");
  Form2* first = form2();
  QLineEdit* length = first->control<QLineEdit>({"Text1", 3});
  length->setFocus();
  QTest::keyClicks(length, "6.5");
  first->sheet().averageUnitPrice().setText(u"720");
  {
    testing::MessageBoxAnswerer answerer;
    QTest::mouseClick(first->control({"Command2"}), Qt::LeftButton);
    ASSERT_EQ(answerer.all().size(), 1u);  // Form2's reminder
  }
  QTest::mouseClick(first->control({"Command6"}), Qt::LeftButton);
  choose("原木计算");
  choose("多 材 长");
  EXPECT_EQ(form2(), first);
  EXPECT_TRUE(first->isVisible());
  EXPECT_EQ(first->control<QLineEdit>({"Text1", 3})->text(), "6.5");
  EXPECT_EQ(first->control<QLineEdit>({"Text22", 7})->text(), "720");
  EXPECT_EQ(first->exportCount().value(), 1);
  EXPECT_EQ(form1()->exportCount().value(), 0);
  {
    testing::MessageBoxAnswerer answerer;
    QTest::mouseClick(first->control({"Command2"}), Qt::LeftButton);
    EXPECT_TRUE(answerer.all().empty());  // no second reminder on Form2
  }
  EXPECT_EQ(rec.saves, 2);
}

TEST_F(CalculatorsTest, Form2QuitsOnItsExitButtonAndWhenClosedAndOpensPageB) {
  choose("多 材 长");
  QSignalSpy quit(calculators.get(), &Calculators::quitRequested);
  QTest::mouseClick(form2()->control({"Command3"}), Qt::LeftButton);
  EXPECT_EQ(quit.count(), 1);
  form2()->close();
  EXPECT_EQ(quit.count(), 2);
  QTest::mouseClick(form2()->control({"Command5"}), Qt::LeftButton);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].toString(), "https://quenby.example.com/calculators/multi-length/");
}

}  // namespace
}  // namespace quenby
