// The application's window behaviour on all of its windows: exit, dragging, the fixed sizes,
// minimising and the web pages. The cases run on stand-ins for the multi-length and sawn-timber
// windows; the RealWindows instantiation at the bottom runs the same cases on the program's own
// windows.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QWindow>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/desktop_services.h"
#include "app/setup.h"
#include "application_test_support.h"
#include "ui_test_support.h"
#include "windows/calculators.h"

namespace quenby {
namespace {

using app::Calculators;
using testing::kWindowNames;
using testing::runAndDo;
using testing::ShowHideRecorder;
using testing::Windows;

class ShellBehaviourTest : public testing::ShellTest {};

TEST_P(ShellBehaviourTest, ExitEndsTheApplicationAtOnceAskingNothing) {
  struct Row {
    const char* what;
    bool fromForm2;  // Form1 hidden, Form2 shown
    std::function<void(Calculators&)> exit;
    std::vector<std::string> events;  // from the exit on: no window runs anything more
  };
  const Row rows[] = {
      {"Command6 on Form1", false, [](Calculators& c) { click(c, Calculators::LogTally, "Command6"); }, {}},
      {"closing Form1",
       false,
       [](Calculators& c) { c.window(Calculators::LogTally)->close(); },
       {"Form1 closed", "Form1 hidden"}},
      {"Command3 on Form2 while Form1 is hidden",
       true,
       [](Calculators& c) { click(c, Calculators::MultiLength, "Command3"); },
       {}},
      {"closing Form2 while Form1 is hidden",
       true,
       [](Calculators& c) { c.window(Calculators::MultiLength)->close(); },
       {"Form2 closed", "Form2 hidden"}},
  };
  for (const Row& r : rows) {
    auto fresh = makeCalculators();
    testing::MessageBoxAnswerer answerer;
    ShowHideRecorder recorder;
    const auto code = runAndDo(*fresh, [&] {
      if (r.fromForm2) {
        choose(*fresh, "多 材 长");
        EXPECT_EQ(visible(*fresh), std::vector<std::string>{"Form2"}) << r.what;
      }
      for (auto which : {Calculators::LogTally, Calculators::MultiLength, Calculators::SawnTimber})
        if (fresh->window(which)) recorder.watch(fresh->window(which), kWindowNames[which]);
      r.exit(*fresh);
    });
    EXPECT_EQ(code, 0) << r.what;
    EXPECT_EQ(recorder.take(), r.events) << r.what;
    EXPECT_TRUE(answerer.all().empty()) << r.what;
  }
}

TEST_P(ShellBehaviourTest, RightButtonOnTheBackgroundDragsEveryWindowButNotOnItsControls) {
  struct Row {
    QString entry;
    Calculators::Calculator which;
    std::vector<FieldId> controls;  // a field, a label, a button, a choice box where there is one
  };
  const Row rows[] = {
      {"原木计算", Calculators::LogTally, {{"Text1", 0}, {"Label8"}, {"Command1"}, {"Combo3"}, {"Text23"}}},
      {"多 材 长", Calculators::MultiLength, {{"Text1", 0}, {"Label13"}, {"Command5"}, {"Command6"}}},
      {"锯材计算", Calculators::SawnTimber, {{"Text1", 0}, {"Label5"}, {"Command2"}, {"Command5"}}},
  };
  const QPoint background(5, 5);  // in the title band
  for (const Row& r : rows) {
    choose(r.entry);
    shell::SheetWindow* w = window(r.which);
    ASSERT_EQ(w->childAt(background), nullptr) << kWindowNames[r.which];
    struct Press {
      Qt::MouseButton button;
      Qt::KeyboardModifiers modifiers;
    };
    for (Press p : {Press{Qt::RightButton, Qt::NoModifier}, Press{Qt::LeftButton, Qt::ShiftModifier},
                    Press{Qt::MiddleButton, Qt::ControlModifier | Qt::AltModifier}}) {
      w->move(200, 150);
      testing::dragFrom(w, background, p.button, {40, 25}, p.modifiers);
      EXPECT_EQ(w->pos(), QPoint(240, 175)) << kWindowNames[r.which] << " button " << p.button;
    }
    for (FieldId id : r.controls) {
      w->move(200, 150);
      testing::dragFrom(control(r.which, id), {3, 3}, Qt::RightButton, {40, 25});
      EXPECT_EQ(w->pos(), QPoint(200, 150)) << kWindowNames[r.which] << " " << toString(id);
    }
  }
}

// setFixedSize alone would hold the size against resize(): the window system may ignore the
// constraints, so they are lifted first.
void liftSizeConstraints(QWidget* w) {
  w->setMinimumSize(0, 0);
  w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

TEST_P(ShellBehaviourTest, Form1AndForm2KeepTheirSizeForm3IsSizedOnce) {
  struct Row {
    QString entry;
    Calculators::Calculator which;
    QSize fixed;
    bool kept;
  };
  const Row rows[] = {{"原木计算", Calculators::LogTally, {727, 646}, true},
                      {"多 材 长", Calculators::MultiLength, {500, 643}, true},
                      {"锯材计算", Calculators::SawnTimber, {628, 482}, false}};
  for (const Row& r : rows) {
    choose(r.entry);
    shell::SheetWindow* w = window(r.which);
    EXPECT_EQ(w->size(), r.fixed) << kWindowNames[r.which];
    liftSizeConstraints(w);
    w->resize(400, 300);
    EXPECT_EQ(w->size(), r.kept ? r.fixed : QSize(400, 300)) << kWindowNames[r.which];
    w->showMaximized();
    EXPECT_EQ(w->size() == r.fixed, r.kept) << kWindowNames[r.which] << " maximised";
    w->showNormal();
  }
}

TEST_P(ShellBehaviourTest, MinimisedForm1ComesBackAtItsFixedSize) {
  struct Row {
    const char* what;
    std::function<void(QWidget*)> restore;
  };
  const Row rows[] = {
      {"restored through Qt", [](QWidget* w) { w->showNormal(); }},
      {"restored by a window system that keeps the minimised size",
       [](QWidget* w) {
         w->overrideWindowState(Qt::WindowNoState);
         QWindowStateChangeEvent restored(Qt::WindowMinimized);
         QApplication::sendEvent(w, &restored);
       }},
  };
  shell::SheetWindow* form1 = window(Calculators::LogTally);
  for (const Row& r : rows) {
    click(Calculators::LogTally, "Command2");
    EXPECT_TRUE(form1->isMinimized()) << r.what;
    liftSizeConstraints(form1);
    form1->resize(160, 30);  // as a window system may shrink a minimised window
    EXPECT_EQ(form1->size(), QSize(160, 30)) << r.what;
    r.restore(form1);
    EXPECT_FALSE(form1->isMinimized()) << r.what;
    EXPECT_EQ(form1->size(), QSize(727, 646)) << r.what;
  }
}

TEST_P(ShellBehaviourTest, WebPageButtonsHandTheirAddressToTheDesktop) {
  struct Row {
    QString entry;
    Calculators::Calculator which;
    std::string_view button;
    std::string address;
  };
  const Row rows[] = {
      {"原木计算", Calculators::LogTally, "Command1", "https://quenby.example.com/calculators/"},
      {"多 材 长", Calculators::MultiLength, "Command5",
       "https://quenby.example.com/calculators/multi-length/"},
      {"锯材计算", Calculators::SawnTimber, "Command2", "https://quenby.example.com/calculators/"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(kWindowNames[r.which]);
    choose(r.entry);
    opened.clear();
    click(r.which, r.button);
    EXPECT_EQ(opened, std::vector<std::string>{r.address});
    EXPECT_EQ(visible(), std::vector<std::string>{kWindowNames[r.which]});
  }
}

TEST_P(ShellBehaviourTest, WebPageRefusedByTheDesktopIsReportedAndTheWindowStaysAsItWas) {
  testing::ScopedDesktop noBrowser;
  calculators = makeCalculators(app::openWebPage);
  window(Calculators::LogTally)->show();
  struct Row {
    QString entry;
    Calculators::Calculator which;
    std::string_view button;
    QString message;
  };
  const Row rows[] = {
      {"原木计算", Calculators::LogTally, "Command1",
       "错误 1101：无法打开网页 "
       "https://quenby.example.com/calculators/：本机没有可用的网页浏览器，请安装浏览器后再试"},
      {"多 材 长", Calculators::MultiLength, "Command5",
       "错误 1101：无法打开网页 https://quenby.example.com/calculators/multi-length/"
       "：本机没有可用的网页浏览器，请安装浏览器后再试"},
      {"锯材计算", Calculators::SawnTimber, "Command2",
       "错误 1101：无法打开网页 "
       "https://quenby.example.com/calculators/：本机没有可用的网页浏览器，请安装浏览器后再试"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(kWindowNames[r.which]);
    choose(r.entry);
    shell::SheetWindow* w = window(r.which);
    auto* length = w->control<QLineEdit>({"Text1", 0});
    length->setText("7");
    w->move(120, 80);
    testing::MessageBoxAnswerer answerer;
    click(r.which, r.button);
    EXPECT_EQ(answerer.seen().title, "Quenby");
    EXPECT_EQ(answerer.seen().text, r.message);
    EXPECT_EQ(answerer.all().size(), 1u);
    EXPECT_EQ(visible(), std::vector<std::string>{kWindowNames[r.which]});
    EXPECT_FALSE(w->isMinimized());
    EXPECT_EQ(w->pos(), QPoint(120, 80));
    EXPECT_EQ(length->text(), "7");
  }
}

INSTANTIATE_TEST_SUITE_P(StandIns, ShellBehaviourTest, ::testing::Values(Windows{"stand-ins", true}));

// Every case above on the program's own windows.
INSTANTIATE_TEST_SUITE_P(RealWindows, ShellBehaviourTest, ::testing::Values(Windows{"real windows", false}));

}  // namespace
}  // namespace quenby
