// The names a screen reader says for the controls of the three windows: every control has one,
// no two fields, boxes or buttons of a window share one, and the names say the control's role.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QComboBox>
#include <map>
#include <memory>
#include <string>

#include "logtally/form1.h"
#include "logtally/log_tally_layout.h"
#include "multilength/form2.h"
#include "multilength/multi_length_layout.h"
#include "sawn/form3.h"
#include "sawn/sawn_timber_layout.h"

namespace quenby {
namespace {

// What a screen reader says as the control's name. Qt on Linux names a combo box after the entry
// it shows; there the role is its description.
std::string spokenName(QWidget* widget) {
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
  if (!accessible) return {};
  const bool combo = qobject_cast<QComboBox*>(widget) != nullptr;
  return accessible->text(combo ? QAccessible::Description : QAccessible::Name).toStdString();
}

struct Windows {
  Form1 form1{{}, {QStringLiteral("原木计算")}};
  Form2 form2;
  Form3 form3;
  shell::SheetWindow& byName(const std::string& name) {
    return name == "Form1"   ? static_cast<shell::SheetWindow&>(form1)
           : name == "Form2" ? static_cast<shell::SheetWindow&>(form2)
                             : form3;
  }
};

TEST(AccessibleNames, EveryControlHasOneAndNoTwoFieldsBoxesOrButtonsShareIt) {
  Windows windows;
  const std::map<std::string, const layout::Window*> tables = {
      {"Form1", &logTallyLayout()}, {"Form2", &multiLengthLayout()}, {"Form3", &sawnTimberLayout()}};
  for (const auto& [window, table] : tables) {
    std::map<std::string, std::string> owners;  // name -> address
    for (const layout::Control& c : table->controls) {
      const std::string address = window + "." + toString(c.id);
      QWidget* widget = windows.byName(window).control(c.id);
      ASSERT_NE(widget, nullptr) << address;
      const std::string name = spokenName(widget);
      EXPECT_FALSE(name.empty()) << address << " has no name";
      if (c.kind == layout::Kind::Label || name.empty()) continue;  // a caption may repeat, as on screen
      const auto [it, fresh] = owners.emplace(name, address);
      EXPECT_TRUE(fresh) << address << " and " << it->second << " are both \"" << name << "\"";
    }
  }
}

TEST(AccessibleNames, SayTheRole) {
  Windows windows;
  // A caption box keeps its name whichever caption it shows.
  windows.form1.control<QComboBox>({"Combo4"})->setCurrentText(QStringLiteral("地点"));
  struct Case {
    std::string window;
    FieldId id;
    std::string name;
  };
  const Case cases[] = {
      {"Form1", {"Text3", 1}, "第1组 第3行 件数"},
      {"Form1", {"Text16", 3}, "第2组 材积小计"},
      {"Form1", {"Text17"}, "购货单位栏"},
      {"Form1", {"Combo4"}, "购货单位栏的名称"},
      {"Form1", {"Command7"}, "计算"},
      {"Form2", {"Text22", 4}, "合计材积"},
      {"Form3", {"Text2", 7}, "第8行 宽"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(spokenName(windows.byName(c.window).control(c.id)), c.name)
        << c.window << "." << toString(c.id);
  }
}

}  // namespace
}  // namespace quenby
