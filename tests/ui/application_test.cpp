// The application on all of its windows: start, the selector and the back buttons, exit, dragging,
// the fixed sizes, minimising and the web pages. The cases run on stand-ins for the multi-length
// and sawn-timber windows, built from tables with those windows' shell controls and sizes; the
// RealWindows instantiation at the bottom runs the same cases on the program's own windows.

#include "app/calculators.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QWindow>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/desktop_services.h"
#include "app/setup.h"
#include "recording_host.h"
#include "sheet/layout_builders.h"
#include "ui_test_support.h"

namespace quenby {
namespace {

using app::Calculators;
using layout::Action;
using layout::Face;

class StandInSheet : public Sheet {
 public:
  void calculate() override {}
  void clear() override {}
  Field& length = add({"Text1", 0});
};

const SheetExport kNoExport = {};

class StandIn : public shell::SheetWindow {
 public:
  explicit StandIn(const layout::Window& table) : SheetWindow(table) { attach(sheet_, kNoExport, {}); }

 private:
  StandInSheet sheet_;
};

const layout::Window& multiLengthStandIn() {
  static const layout::Window table = [] {
    layout::Window w;
    w.clientWidth = 7500;
    w.clientHeight = 9645;
    w.controls = {
        layout::label({"Label13"}, {375, 1200, 3000, 255}, "单位：米、厘米、元、立方米"),
        layout::text({"Text1", 0}, {375, 1755, 600, 315}),
        layout::button({"Command6"}, {5700, 3885, 1215, 495}, "返回", Face::BlueWhite, Action::Back),
        layout::button({"Command3"}, {5700, 6525, 1215, 495}, "退出", Face::BlueWhite, Action::Quit),
        layout::plainButton({"Command5"}, {5805, 8280, 1215, 375}, "更多速算器", Face::Grey, Action::WebPage),
    };
    w.initialFocus = {"Text1", 0};
    w.backdrop = {.title = "Quenby", .bandHeight = 1125, .panel = {}, .style = layout::PanelStyle::Dotted};
    w.size = layout::SizePolicy::KeepFixed;
    w.onClose = layout::CloseAction::Quit;
    return w;
  }();
  return table;
}

const layout::Window& sawnTimberStandIn() {
  static const layout::Window table = [] {
    layout::Window w;
    w.clientWidth = 9425;
    w.clientHeight = 7230;
    w.caption = "Marlo";
    w.controls = {
        layout::label({"Label5"}, {4800, 1200, 2000, 255}, "单位：立方米、元"),
        layout::text({"Text1", 0}, {375, 1755, 600, 315}),
        layout::button({"Command5"}, {7200, 3030, 1200, 490}, "返 回", Face::BlueWhite, Action::Back),
        layout::button({"Command2"}, {7200, 5430, 1200, 450}, "更多速算器", Face::LightDark, Action::WebPage),
    };
    w.initialFocus = {"Text1", 0};
    w.backdrop = {.title = "Quenby", .bandHeight = 1125, .panel = {}};
    w.size = layout::SizePolicy::SetOnce;
    w.onClose = layout::CloseAction::Back;
    return w;
  }();
  return table;
}

const char* const kNames[3] = {"Form1", "Form2", "Form3"};

struct Windows {
  const char* name;
  bool standIns;
};
void PrintTo(const Windows& w, std::ostream* out) { *out << w.name; }

class ShellTest : public ::testing::TestWithParam<Windows> {
 protected:
  void SetUp() override {
    calculators = makeCalculators();
    window(Calculators::LogTally)->show();
  }

  // A fresh application; web pages asked for land in `opened` unless `openUrl` is given.
  std::unique_ptr<Calculators> makeCalculators(std::function<void(const QUrl&)> openUrl = {}) {
    if (!openUrl) openUrl = [this](const QUrl& url) { opened.push_back(url.toString().toStdString()); };
    auto made = std::make_unique<Calculators>(ExportServices{}, std::move(openUrl));
    if (GetParam().standIns) {
      made->adopt(Calculators::MultiLength, std::make_unique<StandIn>(multiLengthStandIn()));
      made->adopt(Calculators::SawnTimber, std::make_unique<StandIn>(sawnTimberStandIn()));
    }
    return made;
  }

  shell::SheetWindow* window(Calculators::Calculator which) const { return calculators->window(which); }
  QWidget* control(Calculators::Calculator which, FieldId id) const {
    QWidget* w = calculators->window(which)->control(id);
    EXPECT_NE(w, nullptr) << kNames[which] << " has no " << toString(id);
    return w;
  }

  // Picks `entry` from Combo3's list with the mouse, as the user does.
  static void choose(Calculators& c, const QString& entry) {
    auto* selector = c.window(Calculators::LogTally)->control<QComboBox>({"Combo3"});
    const int index = selector->findText(entry);
    ASSERT_GE(index, 0) << entry.toStdString();
    selector->showPopup();
    QAbstractItemView* list = selector->view();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(index, 0)).center());
  }
  void choose(const QString& entry) { choose(*calculators, entry); }
  static void click(Calculators& c, Calculators::Calculator which, std::string_view button) {
    QWidget* b = c.window(which)->control({button});
    ASSERT_NE(b, nullptr) << kNames[which] << " has no " << button;
    QTest::mouseClick(b, Qt::LeftButton);
  }
  void click(Calculators::Calculator which, std::string_view button) { click(*calculators, which, button); }

  static std::vector<std::string> visible(const Calculators& c) {
    std::vector<std::string> names;
    for (auto which : {Calculators::LogTally, Calculators::MultiLength, Calculators::SawnTimber})
      if (c.window(which) && c.window(which)->isVisible()) names.push_back(kNames[which]);
    return names;
  }
  std::vector<std::string> visible() const { return visible(*calculators); }
  QString combo3() const {
    return window(Calculators::LogTally)->control<QComboBox>({"Combo3"})->currentText();
  }

  // Runs the application as the program does; `act` runs once its event loop is up. Returns what
  // run() returned, or nothing when the application was still running after three seconds.
  static std::optional<int> runAndDo(Calculators& c, const std::function<void()>& act) {
    bool timedOut = false;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
      timedOut = true;
      QCoreApplication::exit(99);
    });
    watchdog.start(3000);
    QTimer::singleShot(0, qApp, act);
    const int code = app::run(c);
    if (timedOut) return std::nullopt;
    return code;
  }

  std::unique_ptr<Calculators> calculators;
  std::vector<std::string> opened;
};

// Records the Show, Hide and Close events of the windows it watches, in the order they arrive.
class ShowHideRecorder : public QObject {
 public:
  void watch(QWidget* window, const char* name) {
    names_[window] = name;
    window->installEventFilter(this);
  }
  std::vector<std::string> take() { return std::exchange(events_, {}); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) events_.push_back(names_[watched] + " shown");
    if (event->type() == QEvent::Hide) events_.push_back(names_[watched] + " hidden");
    if (event->type() == QEvent::Close) events_.push_back(names_[watched] + " closed");
    return false;
  }

 private:
  std::map<QObject*, std::string> names_;
  std::vector<std::string> events_;
};

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
    ASSERT_NE(window(which), nullptr) << kNames[which];
    EXPECT_TRUE(window(which)->isHidden()) << kNames[which];
  }
}

TEST_P(ShellTest, EverySwitchShowsTheTargetFirstAndLeavesOneWindowShown) {
  choose("原木计算");  // every window exists from here on
  ShowHideRecorder recorder;
  for (auto which : {Calculators::LogTally, Calculators::MultiLength, Calculators::SawnTimber})
    recorder.watch(window(which), kNames[which]);

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
    QString entry;
    Calculators::Calculator which;
    std::string_view back;
    bool closedInstead;  // closed by the window system rather than by the back button
  };
  const Row rows[] = {{"多 材 长", Calculators::MultiLength, "Command6", false},
                      {"锯材计算", Calculators::SawnTimber, "Command5", false},
                      {"锯材计算", Calculators::SawnTimber, "Command5", true}};
  for (const Row& r : rows) {
    const std::string what = kNames[r.which] + std::string(r.closedInstead ? " closed" : " back");
    choose(r.entry);
    shell::SheetWindow* w = window(r.which);
    auto* length = w->control<QLineEdit>({"Text1", 0});
    ASSERT_NE(length, nullptr) << what;
    length->setFocus();
    length->selectAll();
    QTest::keyClicks(length, "5.8");
    if (r.closedInstead)
      w->windowHandle()->close();
    else
      click(r.which, r.back);
    ASSERT_EQ(visible(), std::vector<std::string>{"Form1"}) << what;
    choose("原木计算");
    choose(r.entry);
    EXPECT_EQ(window(r.which), w) << what;
    EXPECT_EQ(length->text(), "5.8") << what;
    EXPECT_EQ(visible(), std::vector<std::string>{kNames[r.which]}) << what;
    click(r.which, r.back);
  }
}

TEST_P(ShellTest, BackButtonsLeaveCombo3ShowingTheLastChoice) {
  struct Row {
    QString entry;
    Calculators::Calculator from;
    std::string_view back;
  };
  const Row rows[] = {{"多 材 长", Calculators::MultiLength, "Command6"},
                      {"锯材计算", Calculators::SawnTimber, "Command5"}};
  for (const Row& r : rows) {
    choose(r.entry);
    click(r.from, r.back);
    EXPECT_EQ(visible(), std::vector<std::string>{"Form1"}) << r.entry.toStdString();
    EXPECT_EQ(combo3(), r.entry);
  }
}

TEST_P(ShellTest, ExitEndsTheApplicationAtOnceAskingNothing) {
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
        EXPECT_EQ(visible(*fresh), std::vector<std::string>{"Form2"});
      }
      for (auto which : {Calculators::LogTally, Calculators::MultiLength, Calculators::SawnTimber})
        if (fresh->window(which)) recorder.watch(fresh->window(which), kNames[which]);
      r.exit(*fresh);
    });
    EXPECT_EQ(code, 0) << r.what;
    EXPECT_EQ(recorder.take(), r.events) << r.what;
    EXPECT_TRUE(answerer.all().empty()) << r.what;
  }
}

TEST_P(ShellTest, RightButtonOnTheBackgroundDragsEveryWindowButNotOnItsControls) {
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
    ASSERT_EQ(w->childAt(background), nullptr) << kNames[r.which];
    struct Press {
      Qt::MouseButton button;
      Qt::KeyboardModifiers modifiers;
    };
    for (Press p : {Press{Qt::RightButton, Qt::NoModifier}, Press{Qt::LeftButton, Qt::ShiftModifier},
                    Press{Qt::MiddleButton, Qt::ControlModifier | Qt::AltModifier}}) {
      w->move(200, 150);
      testing::dragFrom(w, background, p.button, {40, 25}, p.modifiers);
      EXPECT_EQ(w->pos(), QPoint(240, 175)) << kNames[r.which] << " button " << p.button;
    }
    for (FieldId id : r.controls) {
      w->move(200, 150);
      testing::dragFrom(control(r.which, id), {3, 3}, Qt::RightButton, {40, 25});
      EXPECT_EQ(w->pos(), QPoint(200, 150)) << kNames[r.which] << " " << toString(id);
    }
  }
}

// setFixedSize alone would hold the size against resize(): the window system may ignore the
// constraints, so they are lifted first.
void liftSizeConstraints(QWidget* w) {
  w->setMinimumSize(0, 0);
  w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

TEST_P(ShellTest, Form1AndForm2KeepTheirSizeForm3IsSizedOnce) {
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
    EXPECT_EQ(w->size(), r.fixed) << kNames[r.which];
    liftSizeConstraints(w);
    w->resize(400, 300);
    EXPECT_EQ(w->size(), r.kept ? r.fixed : QSize(400, 300)) << kNames[r.which];
    w->showMaximized();
    EXPECT_EQ(w->size() == r.fixed, r.kept) << kNames[r.which] << " maximised";
    w->showNormal();
  }
}

TEST_P(ShellTest, MinimisedForm1ComesBackAtItsFixedSize) {
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

TEST_P(ShellTest, WebPageButtonsHandTheirAddressToTheDesktop) {
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
    choose(r.entry);
    opened.clear();
    click(r.which, r.button);
    EXPECT_EQ(opened, std::vector<std::string>{r.address}) << kNames[r.which];
    EXPECT_EQ(visible(), std::vector<std::string>{kNames[r.which]});
  }
}

TEST_P(ShellTest, WebPageRefusedByTheDesktopIsReportedAndTheWindowStaysAsItWas) {
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
    choose(r.entry);
    shell::SheetWindow* w = window(r.which);
    auto* length = w->control<QLineEdit>({"Text1", 0});
    length->setText("7");
    w->move(120, 80);
    testing::MessageBoxAnswerer answerer;
    click(r.which, r.button);
    EXPECT_EQ(answerer.seen().title, "Quenby") << kNames[r.which];
    EXPECT_EQ(answerer.seen().text, r.message);
    EXPECT_EQ(answerer.all().size(), 1u);
    EXPECT_EQ(visible(), std::vector<std::string>{kNames[r.which]});
    EXPECT_FALSE(w->isMinimized());
    EXPECT_EQ(w->pos(), QPoint(120, 80));
    EXPECT_EQ(length->text(), "7");
  }
}

// Each window counts its own exports: the reminder comes on the first export of each, once.
TEST(Application, EachWindowRemindsOnItsOwnFirstExport) {
  testing::Recording rec;
  Calculators calculators(testing::recordingServices(rec), [](const QUrl&) {});
  calculators.window(Calculators::LogTally)->show();
  struct Step {
    const char* entry;
    Calculators::Calculator which;
    std::string_view button;
    size_t reminders;
  };
  const Step steps[] = {
      {"原木计算", Calculators::LogTally, "Command3", 1},
      {"多 材 长", Calculators::MultiLength, "Command2", 1},
      {"锯材计算", Calculators::SawnTimber, "Command4", 1},
      {"多 材 长", Calculators::MultiLength, "Command2", 0},
      {"原木计算", Calculators::LogTally, "Command3", 0},
      {"锯材计算", Calculators::SawnTimber, "Command4", 0},
  };
  for (const Step& step : steps) {
    calculators.switchTo(step.entry);
    testing::MessageBoxAnswerer answerer;
    QTest::mouseClick(calculators.window(step.which)->control({step.button}), Qt::LeftButton);
    ASSERT_EQ(answerer.all().size(), step.reminders) << step.entry;
    if (step.reminders) {
      EXPECT_EQ(answerer.seen().text, "每次打印前请先关闭*账单明细*") << step.entry;
    }
  }
  EXPECT_EQ(rec.worksheets, (std::vector<std::u16string>{u"原木一", u"原木二", u"锯材账单", u"原木二",
                                                         u"原木一", u"锯材账单"}));
  for (auto which : {Calculators::LogTally, Calculators::MultiLength, Calculators::SawnTimber})
    EXPECT_EQ(calculators.window(which)->exportCount().value(), 2) << kNames[which];
}

INSTANTIATE_TEST_SUITE_P(StandIns, ShellTest, ::testing::Values(Windows{"stand-ins", true}));

// Every case above on the program's own windows.
INSTANTIATE_TEST_SUITE_P(RealWindows, ShellTest, ::testing::Values(Windows{"real windows", false}));

}  // namespace
}  // namespace quenby
