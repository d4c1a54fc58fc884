// What Form1 shows before anything is typed: the red rows of the grid, the fonts of the grid and
// the lengths, the lists and captions of the combo boxes, and the words on the buttons.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <memory>
#include <string>
#include <vector>

#include "logtally/form1.h"
#include "shell/picture_button.h"
#include "windows/calculators.h"

namespace quenby {
namespace {

class Form1LookTest : public ::testing::Test {
 protected:
  void SetUp() override { form = std::make_unique<Form1>(ExportServices{}, app::selectorEntries()); }

  QLineEdit* edit(const std::string& name, int index = -1) {
    QLineEdit* e = form->control<QLineEdit>({name, index});
    EXPECT_NE(e, nullptr) << name << "(" << index << ")";
    return e;
  }

  std::unique_ptr<Form1> form;
};

TEST_F(Form1LookTest, RowsFiveAndTenAreRedInAllTwelveColumnsAndNoOtherRowIs) {
  const QColor red(255, 0, 0);
  for (int row = 1; row <= 14; ++row) {
    const bool redRow = row == 5 || row == 10;
    for (int index = 0; index < 12; ++index) {
      QLineEdit* cell = edit("Text" + std::to_string(row), index);
      ASSERT_NE(cell, nullptr);
      const QColor text = cell->palette().color(QPalette::Text);
      if (redRow) {
        EXPECT_EQ(text, red) << "Text" << row << "(" << index << ")";
      } else {
        EXPECT_NE(text, red) << "Text" << row << "(" << index << ")";
        EXPECT_EQ(text, QApplication::palette(cell).color(QPalette::Text))
            << "Text" << row << "(" << index << ")";
      }
    }
  }
  // Red is the grid's alone: the lengths and the totals keep the default colour.
  for (const char* name : {"Text23", "Text28", "Text17"})
    EXPECT_NE(edit(name)->palette().color(QPalette::Text), red) << name;
}

TEST_F(Form1LookTest, GridAsksForSongAtTenAndAHalfPointsAndTheLengthsForTwelve) {
  auto expectFont = [](QLineEdit* e, double points, const std::string& what) {
    ASSERT_NE(e, nullptr) << what;
    EXPECT_EQ(e->font().family(), "宋体") << what;
    EXPECT_EQ(e->font().pointSizeF(), points) << what;
    EXPECT_EQ(e->font().weight(), QFont::Normal) << what;
    EXPECT_FALSE(e->font().italic()) << what;
  };
  for (int row = 1; row <= 14; ++row)
    for (int index = 0; index < 12; ++index)
      expectFont(edit("Text" + std::to_string(row), index), 10.5,
                 "Text" + std::to_string(row) + "(" + std::to_string(index) + ")");
  for (const char* length : {"Text23", "Text15", "Text26", "Text21"}) expectFont(edit(length), 12, length);
}

TEST_F(Form1LookTest, ComboBoxesListTheirEntriesInOrderAndShowTheFirst) {
  const struct {
    const char* name;
    QString initial;
    QStringList items;
    bool editable;
  } combos[] = {
      {"Combo4", "购货单位", {"购货单位", "单位", "地点", "公司名称", "林班小班"}, true},
      {"Combo2",
       "车号",
       {"车号", "联系人", "联系电话", "银行账号", "地址", "部门", "林班小班", "违法行为人", "小地名"},
       true},
      {"Combo5",
       "出货单位",
       {"出货单位", "单位", "参加人员", "电话", "银行账号", "联系人", "鉴定人", "小地名", "公司名称",
        "林班小班"},
       true},
      {"Combo1",
       "联系人",
       {"联系人", "电话", "银行账号", "地址", "参与人", "见证人", "职称", "小地名", "林班小班"},
       true},
      {"Combo3", "原木计算", {"原木计算", "多 材 长", "锯材计算"}, false},
  };
  for (const auto& c : combos) {
    auto* combo = form->control<QComboBox>({c.name});
    ASSERT_NE(combo, nullptr) << c.name;
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    EXPECT_EQ(items, c.items) << c.name;
    EXPECT_EQ(combo->currentText(), c.initial) << c.name;
    EXPECT_EQ(combo->isEditable(), c.editable) << c.name;
  }
}

TEST_F(Form1LookTest, ButtonsCarryTheirWordsOnTheirFaces) {
  const struct {
    const char* name;
    QString word;
    layout::Face face;
  } buttons[] = {
      {"Command7", "计 算", layout::Face::BlueWhite},    {"Command4", "清除数据", layout::Face::BlueWhite},
      {"Command3", "导出表格", layout::Face::BlueWhite}, {"Command2", "最小化", layout::Face::BlueWhite},
      {"Command6", "退 出", layout::Face::BlueWhite},    {"Command1", "更多速算器", layout::Face::LightDark},
  };
  for (const auto& b : buttons) {
    auto* button = form->control<shell::PictureButton>({b.name});
    ASSERT_NE(button, nullptr) << b.name;
    EXPECT_EQ(button->text(), b.word) << b.name;
    EXPECT_EQ(button->face(), b.face) << b.name;
  }
}

}  // namespace
}  // namespace quenby
