// Every button of every window, by its role, in the running application on the program's own
// windows: a click brings the role's own effect and nothing else (no other role's effect, no
// message box, no field changed but by the role). The table is every button the windows have, so
// a button added, dropped or given another role fails it; the sawn-timber window has no exit.
// Clearing, run as the button does it, leaves the keyboard focus where it was.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "app/setup.h"
#include "application_test_support.h"
#include "logtally/form1.h"
#include "multilength/form2.h"
#include "recording_host.h"
#include "sawn/form3.h"
#include "ui_test_support.h"
#include "windows/calculators.h"

namespace quenby {
namespace {

using app::Calculators;
using layout::Action;
using testing::kWindowNames;

const char* const kEntries[3] = {"原木计算", "多 材 长", "锯材计算"};
const char kPageA[] = "https://quenby.example.com/calculators/";
const char kPageB[] = "https://quenby.example.com/calculators/multi-length/";
const char kReminder[] = "每次打印前请先关闭*账单明细*";

// What a click brought about, seen from outside the windows.
struct Effects {
  bool ended = false;                          // the application was asked to end
  std::vector<std::string> shown;              // windows visible afterwards
  std::vector<std::string> minimised;          // windows minimised afterwards
  std::vector<std::string> opened;             // web pages handed to the desktop
  int exports = 0;                             // spreadsheet instances asked for
  std::vector<std::string> boxes;              // texts of the message boxes shown
  std::map<std::string, std::string> changed;  // "Form1 Text9(2)" -> its new text
  bool operator==(const Effects&) const = default;

  // The effects of a row: `shown` visible afterwards, and what the role does.
  static Effects showing(std::vector<std::string> windows) {
    Effects e;
    e.shown = std::move(windows);
    return e;
  }
  Effects ending() const {
    return with([](Effects& e) { e.ended = true; });
  }
  Effects minimising(std::string window) const {
    return with([&](Effects& e) { e.minimised.push_back(window); });
  }
  Effects opening(std::string page) const {
    return with([&](Effects& e) { e.opened.push_back(page); });
  }
  Effects exportingOnce() const {  // the first export of the window: the reminder comes first
    return with([](Effects& e) {
      e.exports = 1;
      e.boxes.push_back(kReminder);
    });
  }
  Effects changing(std::map<std::string, std::string> fields) const {
    return with([&](Effects& e) { e.changed = fields; });
  }

 private:
  template <class Change>
  Effects with(Change change) const {
    Effects e = *this;
    change(e);
    return e;
  }
};

template <class T>
void printList(std::ostream* out, const char* name, const T& items) {
  *out << " " << name << "{";
  for (const auto& item : items) *out << " " << item;
  *out << " }";
}

void PrintTo(const Effects& e, std::ostream* out) {
  *out << (e.ended ? "ended" : "running");
  printList(out, "shown", e.shown);
  printList(out, "minimised", e.minimised);
  printList(out, "opened", e.opened);
  *out << " exports " << e.exports;
  printList(out, "boxes", e.boxes);
  *out << " changed{";
  for (const auto& [field, text] : e.changed) *out << " " << field << "=\"" << text << "\"";
  *out << " }";
}

// Inputs on every sheet that a calculation turns into results and a clear empties: 3 logs of
// diameter 20 at the default length 4 on Form1, the same on line 0 of Form2, and on Form3 line 0
// ten boards 4 m x 200 mm x 50 mm.
void typeInputs(Calculators& c) {
  Form1* form1 = qobject_cast<Form1*>(c.window(Calculators::LogTally));
  Form2* form2 = qobject_cast<Form2*>(c.window(Calculators::MultiLength));
  Form3* form3 = qobject_cast<Form3*>(c.window(Calculators::SawnTimber));
  ASSERT_TRUE(form1 && form2 && form3);
  form1->sheet().field("Text9", 1).setText(u"3");
  for (auto [name, text] : {std::pair{"Text1", u"4"}, {"Text2", u"20"}, {"Text3", u"3"}})
    form2->sheet().field(name, 0).setText(text);
  for (auto [name, text] : {std::pair{"Text1", u"4"}, {"Text2", u"200"}, {"Text3", u"50"}, {"Text4", u"10"}})
    form3->sheet().field(name, 0).setText(text);
}

// What every field and choice box of the three windows shows, by "Form1 Text9(2)".
std::map<std::string, std::string> shownTexts(const Calculators& c) {
  std::map<std::string, std::string> texts;
  for (auto which : {Calculators::LogTally, Calculators::MultiLength, Calculators::SawnTimber}) {
    shell::SheetWindow* w = c.window(which);
    for (const layout::Control& control : w->table().controls) {
      const std::string name = std::string(kWindowNames[which]) + " " + toString(control.id);
      if (auto* e = w->control<QLineEdit>(control.id)) texts[name] = e->text().toStdString();
      if (auto* b = w->control<QComboBox>(control.id)) texts[name] = b->currentText().toStdString();
    }
  }
  return texts;
}

const char* roleName(Action role) {
  switch (role) {
    case Action::None:
      return "no role";
    case Action::Calculate:
      return "calculate";
    case Action::Clear:
      return "clear";
    case Action::Export:
      return "export";
    case Action::Minimise:
      return "minimise";
    case Action::Quit:
      return "quit";
    case Action::Back:
      return "back";
    case Action::WebPage:
      return "web page";
    case Action::SwitchCalculator:
      return "switch calculator";
  }
  return "?";
}

struct Row {
  const char* name;
  Calculators::Calculator window;
  std::string_view button;
  Action role;
  Effects expected;
};

const std::map<std::string, std::string> kForm1Calculated = {
    {"Form1 Text9(2)", "0.4800"}, {"Form1 Text16(0)", "3"},     {"Form1 Text16(1)", "0.480"},
    {"Form1 Text19(4)", "3"},     {"Form1 Text19(3)", "0.480"},
};
const std::map<std::string, std::string> kForm2Calculated = {
    {"Form2 Text4(0)", "0.4800"}, {"Form2 Text22(5)", "3"}, {"Form2 Text22(4)", "0.480"}};
const std::map<std::string, std::string> kForm3Calculated = {{"Form3 Text5(0)", "0.4000"},
                                                             {"Form3 Text8", "0.4000"}};

const Row kRows[] = {
    {"Form1 Command7 calculates", Calculators::LogTally, "Command7", Action::Calculate,
     Effects::showing({"Form1"}).changing(kForm1Calculated)},
    {"Form1 Command4 clears", Calculators::LogTally, "Command4", Action::Clear,
     Effects::showing({"Form1"}).changing({{"Form1 Text9(1)", ""}})},
    {"Form1 Command3 exports", Calculators::LogTally, "Command3", Action::Export,
     Effects::showing({"Form1"}).exportingOnce()},
    {"Form1 Command2 minimises", Calculators::LogTally, "Command2", Action::Minimise,
     Effects::showing({"Form1"}).minimising("Form1")},
    {"Form1 Command6 ends the program", Calculators::LogTally, "Command6", Action::Quit,
     Effects::showing({"Form1"}).ending()},
    {"Form1 Command1 opens web page A", Calculators::LogTally, "Command1", Action::WebPage,
     Effects::showing({"Form1"}).opening(kPageA)},
    {"Form1 Combo3 switches calculators", Calculators::LogTally, "Combo3", Action::SwitchCalculator,
     Effects::showing({"Form3"}).changing({{"Form1 Combo3", "锯材计算"}})},

    {"Form2 Command7 calculates", Calculators::MultiLength, "Command7", Action::Calculate,
     Effects::showing({"Form2"}).changing(kForm2Calculated)},
    {"Form2 Command1 clears", Calculators::MultiLength, "Command1", Action::Clear,
     Effects::showing({"Form2"}).changing(
         {{"Form2 Text1(0)", ""}, {"Form2 Text2(0)", ""}, {"Form2 Text3(0)", ""}})},
    {"Form2 Command2 exports", Calculators::MultiLength, "Command2", Action::Export,
     Effects::showing({"Form2"}).exportingOnce()},
    {"Form2 Command6 goes back", Calculators::MultiLength, "Command6", Action::Back,
     Effects::showing({"Form1"})},
    {"Form2 Command3 ends the program", Calculators::MultiLength, "Command3", Action::Quit,
     Effects::showing({"Form2"}).ending()},
    {"Form2 Command5 opens web page B", Calculators::MultiLength, "Command5", Action::WebPage,
     Effects::showing({"Form2"}).opening(kPageB)},

    {"Form3 Command3 calculates", Calculators::SawnTimber, "Command3", Action::Calculate,
     Effects::showing({"Form3"}).changing(kForm3Calculated)},
    {"Form3 Command1 clears", Calculators::SawnTimber, "Command1", Action::Clear,
     Effects::showing({"Form3"}).changing(
         {{"Form3 Text1(0)", ""}, {"Form3 Text2(0)", ""}, {"Form3 Text3(0)", ""}, {"Form3 Text4(0)", ""}})},
    {"Form3 Command4 exports", Calculators::SawnTimber, "Command4", Action::Export,
     Effects::showing({"Form3"}).exportingOnce()},
    {"Form3 Command5 goes back", Calculators::SawnTimber, "Command5", Action::Back,
     Effects::showing({"Form1"})},
    {"Form3 Command2 opens web page A", Calculators::SawnTimber, "Command2", Action::WebPage,
     Effects::showing({"Form3"}).opening(kPageA)},
};

// A fresh application with every window created and the recording export services.
std::unique_ptr<Calculators> makeApplication(testing::Recording& rec, std::vector<std::string>& opened) {
  auto c = std::make_unique<Calculators>(testing::recordingServices(rec), [&opened](const QUrl& url) {
    opened.push_back(url.toString().toStdString());
  });
  c->switchTo(kEntries[Calculators::LogTally]);
  return c;
}

TEST(ButtonRoles, EveryButtonOfEveryWindowIsInTheTableWithItsRole) {
  testing::Recording rec;
  std::vector<std::string> opened;
  auto c = makeApplication(rec, opened);
  std::set<std::string> table, windows;
  for (const Row& r : kRows)
    table.insert(std::string(kWindowNames[r.window]) + " " + std::string(r.button) + ": " + roleName(r.role));
  for (auto which : {Calculators::LogTally, Calculators::MultiLength, Calculators::SawnTimber}) {
    for (const layout::Control& control : c->window(which)->table().controls) {
      const bool button =
          control.kind == layout::Kind::PictureButton || control.kind == layout::Kind::PlainButton;
      if (!button && control.action == Action::None) continue;
      windows.insert(std::string(kWindowNames[which]) + " " + toString(control.id) + ": " +
                     roleName(control.action));
    }
  }
  EXPECT_EQ(windows, table);
}

TEST(ButtonRoles, AClickBringsItsRolesEffectAndNoOther) {
  for (const Row& r : kRows) {
    testing::Recording rec;
    std::vector<std::string> opened;
    auto c = makeApplication(rec, opened);
    testing::MessageBoxAnswerer answerer;
    std::map<std::string, std::string> before;
    const std::optional<int> code = testing::runAndDo(
        *c,
        [&] {
          c->switchTo(kEntries[r.window]);
          typeInputs(*c);
          before = shownTexts(*c);
          if (r.role == Action::SwitchCalculator) {
            testing::choose(*c, kEntries[Calculators::SawnTimber]);
          } else {
            testing::click(*c, r.window, r.button);
          }
        },
        100);

    Effects seen = Effects::showing(testing::visible(*c));
    seen.ended = code == 0;
    seen.opened = opened;
    seen.exports = rec.instances;
    for (auto which : {Calculators::LogTally, Calculators::MultiLength, Calculators::SawnTimber})
      if (c->window(which)->isMinimized()) seen.minimised.push_back(kWindowNames[which]);
    for (const auto& box : answerer.all()) seen.boxes.push_back(box.text.toStdString());
    for (const auto& [field, text] : shownTexts(*c))
      if (before[field] != text) seen.changed[field] = text;
    EXPECT_EQ(seen, r.expected) << r.name;
  }
}

TEST(ButtonRoles, ClearingLeavesTheFocusWhereItWas) {
  struct Focus {
    Calculators::Calculator window;
    std::string_view button;
    FieldId focused;
    FieldId typed;  // emptied by the clear
  };
  const Focus rows[] = {
      {Calculators::LogTally, "Command4", {"Text6", 4}, {"Text9", 1}},
      {Calculators::MultiLength, "Command1", {"Text3", 4}, {"Text1", 0}},
      {Calculators::SawnTimber, "Command1", {"Text6", 5}, {"Text1", 0}},
  };
  testing::Recording rec;
  std::vector<std::string> opened;
  auto c = makeApplication(rec, opened);
  for (const Focus& r : rows) {
    const std::string what = kWindowNames[r.window];
    c->switchTo(kEntries[r.window]);
    typeInputs(*c);
    shell::SheetWindow* w = c->window(r.window);
    auto focus = [w] {
      const auto id = w->addressOf(w->focusWidget());
      return id ? toString(*id) : "(nothing)";
    };
    w->control(r.focused)->setFocus();
    ASSERT_EQ(focus(), toString(r.focused)) << what;
    // As the button runs it, without the mouse press that rightly gives a button the focus.
    w->control<QAbstractButton>({r.button})->click();
    EXPECT_EQ(w->control<QLineEdit>(r.typed)->text(), "") << what;
    EXPECT_EQ(focus(), toString(r.focused)) << what;
  }
}

}  // namespace
}  // namespace quenby
