// The application on all of its windows: start, the selector and the back buttons, and each
// window's own export count. The cases run on stand-ins for the multi-length and sawn-timber
// windows; the RealWindows instantiation at the bottom runs the same cases on the program's own
// windows.

#include "windows/calculators.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QWindow>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "application_test_support.h"
#include "recording_host.h"
#include "ui_test_support.h"

namespace quenby {
namespace {

using app::Calculators;
using testing::kWindowNames;
using testing::runAndDo;
using testing::ShowHideRecorder;
using testing::Windows;
using ShellTest = testing::ShellTest;

TEST_P(ShellTest, StartsWithOnlyForm1ShownAndCombo3ReadingLogTally) {
  auto fresh = makeCalculators();
  std::vector<std::string> shown;
  QString selector;
  const auto code = runAndDo(*fresh, [&] {
    shown = visible(*fresh);
    selector = fresh->window(Calculators::LogTally)->control<QComboBox>({"Combo3"})->currentText();
    QCoreApplication::exit(0);
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(shown, std::vector<std::string>{"Form1"});
  EXPECT_EQ(selector, "原木计算");
  if (!GetParam().standIns) {
    EXPECT_EQ(fresh->window(Calculators::MultiLength), nullptr);
    EXPECT_EQ(fresh->window(Calculators::SawnTimber), nullptr);
  }
}

TEST_P(ShellTest, ChoosingLogTallyWhileShownCreatesTheOtherTwoHidden) {
  choose("原木计算");
  EXPECT_EQ(visible(), std::vector<std::string>{"Form1"});
  for (auto which : {Calculators::MultiLength, Calculators::SawnTimber}) {
    ASSERT_NE(window(which), nullptr) << kWindowNames[which];
    EXPECT_TRUE(window(which)->isHidden()) << kWindowNames[which];
  }
}

TEST_P(ShellTest, EverySwitchShowsTheTargetFirstAndLeavesOneWindowShown) {
  choose("原木计算");  // every window exists from here on
  ShowHideRecorder recorder;
  for (auto which : {Calculators::LogTally, Calculators::MultiLength, Calculators::SawnTimber})
    recorder.watch(window(which), kWindowNames[which]);

  struct Step {
    const char* what;
    std::function<void()> act;
    std::vector<std::string> events;
    std::vector<std::string> shown;
  };
  const Step steps[] = {
      {"choose 多 材 长", [&] { choose("多 材 长"); }, {"Form2 shown", "Form1 hidden"}, {"Form2"}},
      {"back with Command6 on Form2",
       [&] { click(Calculators::MultiLength, "Command6"); },
       {"Form1 shown", "Form2 hidden"},
       {"Form1"}},
      {"choose 锯材计算", [&] { choose("锯材计算"); }, {"Form3 shown", "Form1 hidden"}, {"Form3"}},
      {"back with Command5 on Form3",
       [&] { click(Calculators::SawnTimber, "Command5"); },
       {"Form1 shown", "Form3 hidden"},
       {"Form1"}},
      {"choose 锯材计算 again", [&] { choose("锯材计算"); }, {"Form3 shown", "Form1 hidden"}, {"Form3"}},
      {"close Form3 by the window system",
       [&] { window(Calculators::SawnTimber)->close(); },
       {"Form3 closed", "Form1 shown", "Form3 hidden"},
       {"Form1"}},
      {"choose 原木计算 while Form1 is shown", [&] { choose("原木计算"); }, {}, {"Form1"}},
      {"an entry of no calculator", [&] { calculators->switchTo("原木"); }, {}, {"Form1"}},
      {"choose 多 材 长 from Form1 again",
       [&] { choose("多 材 长"); },
       {"Form2 shown", "Form1 hidden"},
       {"Form2"}},
  };
  for (const Step& step : steps) {
    step.act();
    EXPECT_EQ(recorder.take(), step.events) << step.what;
    EXPECT_EQ(visible(), step.shown) << step.what;
  }
}

TEST_P(ShellTest, TypedContentSurvivesGoingBackAndForth) {
  struct Row {
    const char* what;
    QString entry;
    Calculators::Calculator which;
    std::string_view back;
    bool closedInstead;  // closed by the window system rather than by the back button
  };
  const Row rows[] = {
      {"Form2 left by its back button", "多 材 长", Calculators::MultiLength, "Command6", false},
      {"Form3 left by its back button", "锯材计算", Calculators::SawnTimber, "Command5", false},
      {"Form3 closed by the window system", "锯材计算", Calculators::SawnTimber, "Command5", true}};
  for (const Row& r : rows) {
    choose(r.entry);
    shell::SheetWindow* w = window(r.which);
    auto* length = w->control<QLineEdit>({"Text1", 0});
    ASSERT_NE(length, nullptr) << r.what;
    length->setFocus();
    length->selectAll();
    QTest::keyClicks(length, "5.8");
    if (r.closedInstead)
      w->windowHandle()->close();
    else
      click(r.which, r.back);
    ASSERT_EQ(visible(), std::vector<std::string>{"Form1"}) << r.what;
    choose("原木计算");
    choose(r.entry);
    EXPECT_EQ(window(r.which), w) << r.what;
    EXPECT_EQ(length->text(), "5.8") << r.what;
    EXPECT_EQ(visible(), std::vector<std::string>{kWindowNames[r.which]}) << r.what;
    click(r.which, r.back);
  }
}

TEST_P(ShellTest, BackButtonsLeaveCombo3ShowingTheLastChoice) {
  struct Row {
    const char* what;
    QString entry;
    Calculators::Calculator from;
    std::string_view back;
  };
  const Row rows[] = {{"back from Form2 leaves 多 材 长", "多 材 长", Calculators::MultiLength, "Command6"},
                      {"back from Form3 leaves 锯材计算", "锯材计算", Calculators::SawnTimber, "Command5"}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    choose(r.entry);
    click(r.from, r.back);
    EXPECT_EQ(visible(), std::vector<std::string>{"Form1"});
    EXPECT_EQ(combo3(), r.entry);
  }
}

// Each window counts its own exports: the reminder comes on the first export of each, once.
TEST(Application, EachWindowRemindsOnItsOwnFirstExport) {
  testing::Recording rec;
  Calculators calculators(testing::recordingServices(rec), [](const QUrl&) {});
  calculators.window(Calculators::LogTally)->show();
  struct Step {
    const char* what;
    const char* entry;
    Calculators::Calculator which;
    std::string_view button;
    size_t reminders;
  };
  const Step steps[] = {
      {"Form1's first export reminds", "原木计算", Calculators::LogTally, "Command3", 1},
      {"Form2's first export reminds after Form1's", "多 材 长", Calculators::MultiLength, "Command2", 1},
      {"Form3's first export reminds after the others'", "锯材计算", Calculators::SawnTimber, "Command4", 1},
      {"Form2's second export does not", "多 材 长", Calculators::MultiLength, "Command2", 0},
      {"Form1's second export does not", "原木计算", Calculators::LogTally, "Command3", 0},
      {"Form3's second export does not", "锯材计算", Calculators::SawnTimber, "Command4", 0},
  };
  for (const Step& step : steps) {
    calculators.switchTo(step.entry);
    testing::MessageBoxAnswerer answerer;
    QTest::mouseClick(calculators.window(step.which)->control({step.button}), Qt::LeftButton);
    ASSERT_EQ(answerer.all().size(), step.reminders) << step.what;
    if (step.reminders) {
      EXPECT_EQ(answerer.seen().text, "每次打印前请先关闭*账单明细*") << step.what;
    }
  }
  EXPECT_EQ(rec.worksheets, (std::vector<std::u16string>{u"原木一", u"原木二", u"锯材账单", u"原木二",
                                                         u"原木一", u"锯材账单"}));
  for (auto which : {Calculators::LogTally, Calculators::MultiLength, Calculators::SawnTimber})
    EXPECT_EQ(calculators.window(which)->exportCount().value(), 2) << kWindowNames[which];
}

INSTANTIATE_TEST_SUITE_P(StandIns, ShellTest, ::testing::Values(Windows{"stand-ins", true}));

// Every case above on the program's own windows.
INSTANTIATE_TEST_SUITE_P(RealWindows, ShellTest, ::testing::Values(Windows{"real windows", false}));

}  // namespace
}  // namespace quenby
