#pragma once
// Helpers for the tests of the application on all of its windows: picking from the selector and
// clicking as the user does, the windows shown, running the application as the program does, a
// recorder of the windows' show, hide and close events, and the ShellTest fixture whose cases run
// on stand-ins for the multi-length and sawn-timber windows (built from tables with those
// windows' shell controls and sizes) and on the program's own windows.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QTest>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "app/setup.h"
#include "sheet/layout_builders.h"
#include "windows/calculators.h"

namespace quenby::testing {

using app::Calculators;

inline constexpr const char* kWindowNames[3] = {"Form1", "Form2", "Form3"};

// Picks `entry` from Combo3's list with the mouse, as the user does.
inline void choose(Calculators& c, const QString& entry) {
  auto* selector = c.window(Calculators::LogTally)->control<QComboBox>({"Combo3"});
  const int index = selector->findText(entry);
  ASSERT_GE(index, 0) << entry.toStdString();
  selector->showPopup();
  QAbstractItemView* list = selector->view();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualRect(list->model()->index(index, 0)).center());
}

inline void click(Calculators& c, Calculators::Calculator which, std::string_view button) {
  QWidget* b = c.window(which)->control({button});
  ASSERT_NE(b, nullptr) << kWindowNames[which] << " has no " << button;
  QTest::mouseClick(b, Qt::LeftButton);
}

// The windows shown, in the order Form1, Form2, Form3.
inline std::vector<std::string> visible(const Calculators& c) {
  std::vector<std::string> names;
  for (auto which : {Calculators::LogTally, Calculators::MultiLength, Calculators::SawnTimber})
    if (c.window(which) && c.window(which)->isVisible()) names.push_back(kWindowNames[which]);
  return names;
}

// Runs the application as the program does; `act` runs once its event loop is up. Returns what
// run() returned, or nothing when the application was still running three seconds after the start
// or, when `settleMs` is given, that long after `act`.
inline std::optional<int> runAndDo(Calculators& c, const std::function<void()>& act,
                                   std::optional<int> settleMs = std::nullopt) {
  bool timedOut = false;
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [&] {
    timedOut = true;
    QCoreApplication::exit(99);
  });
  watchdog.start(3000);
  QTimer::singleShot(0, qApp, [&] {
    act();
    if (settleMs) watchdog.start(*settleMs);
  });
  const int code = app::run(c);
  if (timedOut) return std::nullopt;
  return code;
}

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

class StandInSheet : public Sheet {
 public:
  void calculate() override {}
  void clear() override {}
  Field& length = add({"Text1", 0});
};

inline const SheetExport kNoExport = {};

class StandIn : public shell::SheetWindow {
 public:
  explicit StandIn(const layout::Window& table) : SheetWindow(table) { attach(sheet_, kNoExport, {}); }

 private:
  StandInSheet sheet_;
};

inline const layout::Window& multiLengthStandIn() {
  using layout::Action;
  using layout::Face;
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

inline const layout::Window& sawnTimberStandIn() {
  using layout::Action;
  using layout::Face;
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

struct Windows {
  const char* name;
  bool standIns;
};
inline void PrintTo(const Windows& w, std::ostream* out) { *out << w.name; }

// A fresh application with Form1 shown, on stand-ins or on the program's own windows.
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
    EXPECT_NE(w, nullptr) << kWindowNames[which] << " has no " << toString(id);
    return w;
  }

  static void choose(Calculators& c, const QString& entry) { testing::choose(c, entry); }
  void choose(const QString& entry) { choose(*calculators, entry); }
  static void click(Calculators& c, Calculators::Calculator which, std::string_view button) {
    testing::click(c, which, button);
  }
  void click(Calculators::Calculator which, std::string_view button) { click(*calculators, which, button); }
  static std::vector<std::string> visible(const Calculators& c) { return testing::visible(c); }
  std::vector<std::string> visible() const { return visible(*calculators); }
  QString combo3() const {
    return window(Calculators::LogTally)->control<QComboBox>({"Combo3"})->currentText();
  }

  std::unique_ptr<Calculators> calculators;
  std::vector<std::string> opened;
};

}  // namespace quenby::testing
