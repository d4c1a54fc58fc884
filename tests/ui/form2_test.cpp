// Form2 on the offscreen platform: geometry, the red lines, fonts and alignments, the first focus
// and the whole focus chain, whole-text selection and Up/Down with wrap-around in the entry
// columns, the buttons' faces, a load typed in and calculated, clear, and errors.

#include "multilength/form2.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "form_fixture.h"
#include "shell/picture_button.h"
#include "support/utf.h"
#include "ui_test_support.h"

namespace quenby {
namespace {

class Form2Test : public testing::FormFixture<Form2> {};

TEST_F(Form2Test, EveryFieldHasOneLineEditAndTheWindowHasNoTitle) {
  int edits = 0;
  for (const layout::Control& c : form->table().controls) {
    if (c.kind != layout::Kind::TextField) continue;
    ++edits;
    EXPECT_NO_THROW(form->sheet().field(c.id)) << toString(c.id);
  }
  EXPECT_EQ(edits, 123);
  for (const NamedField& f : form->sheet().fields()) {
    ASSERT_NE(qobject_cast<QLineEdit*>(form->control(f.id)), nullptr) << toString(f.id);
    EXPECT_EQ(form->control<QLineEdit>(f.id)->text(), "") << toString(f.id);
  }
  EXPECT_EQ(form->windowTitle(), "");
  EXPECT_TRUE(form->windowFlags() & Qt::FramelessWindowHint);
}

TEST_F(Form2Test, ControlsStandAtTheirTwipPositionsInPixels) {
  EXPECT_EQ(form->size(), QSize(500, 643));
  EXPECT_EQ(form->minimumSize(), form->maximumSize());
  struct Row {
    std::string_view name;
    int index;
    QRect pixels;
  };
  const Row rows[] = {
      {"Text1", 0, {72, 117, 41, 21}},      // (1080, 1755, 615, 315)
      {"Text2", 0, {112, 117, 41, 21}},     // overlaps Text1 by a pixel
      {"Text4", 12, {192, 369, 57, 21}},    // (2880, 5535, 855, 315)
      {"Text4", 13, {192, 390, 57, 22}},    // (2880, 5850, 855, 330): the lower lines are taller
      {"Text6", 18, {288, 495, 65, 22}},    // (4320, 7425, 975, 330)
      {"Text5", 7, {248, 264, 41, 21}},     // (3720, 3960, 615, 315)
      {"Text27", -1, {85, 75, 217, 21}},    // (1275, 1125, 3255, 315)
      {"Text29", -1, {385, 167, 76, 21}},   // (5775, 2505, 1140, 315)
      {"Text28", -1, {385, 215, 76, 21}},   // (5775, 3225, 1140, 315)
      {"Text22", 5, {100, 521, 57, 21}},    // (1500, 7815, 855, 315)
      {"Text22", 10, {324, 521, 81, 21}},   // (4860, 7815, 1215, 315)
      {"Text22", 7, {124, 553, 57, 21}},    // (1860, 8295, 855, 315)
      {"Text22", 6, {292, 553, 81, 21}},    // (4380, 8295, 1215, 315)
      {"Text23", -1, {124, 579, 217, 21}},  // (1860, 8685, 3255, 315)
      {"Command6", -1, {380, 259, 81, 33}}, {"Command7", -1, {379, 303, 81, 33}},
      {"Command1", -1, {379, 347, 81, 33}}, {"Command2", -1, {379, 391, 81, 33}},
      {"Command3", -1, {380, 435, 81, 33}}, {"Command5", -1, {387, 552, 81, 25}},  // (5805, 8280, 1215, 375)
      {"Label13", -1, {305, 79, 161, 17}},                                         // (4575, 1185, 2415, 255)
      {"Label5", 0, {36, 525, 65, 17}},                                            // (540, 7875, 975, 255)
      {"Label8", -1, {75, 583, 73, 25}},                                           // (1125, 8745, 1095, 375)
  };
  for (const Row& r : rows) {
    QWidget* w = form->control({r.name, r.index});
    ASSERT_NE(w, nullptr) << toString({r.name, r.index});
    EXPECT_EQ(w->geometry(), r.pixels) << toString({r.name, r.index});
  }
  form->resize(600, 700);
  EXPECT_EQ(form->size(), QSize(500, 643));
}

TEST_F(Form2Test, BackgroundPictureHoldsEveryControlOnItsPanel) {
  const layout::Backdrop& b = form->table().backdrop;
  EXPECT_EQ(b.title, "Quenby");
  EXPECT_EQ(b.width, 7500);
  EXPECT_EQ(b.height, 9645);
  EXPECT_EQ(b.style, layout::PanelStyle::Dotted);
  EXPECT_GE(b.panel.top, b.bandHeight);
  EXPECT_LE(b.panel.left + b.panel.width, b.width);
  EXPECT_LE(b.panel.top + b.panel.height, b.height);
  const QRect panel(b.panel.left, b.panel.top, b.panel.width, b.panel.height);
  for (const layout::Control& c : form->table().controls) {
    EXPECT_TRUE(panel.contains(QRect(c.rect.left, c.rect.top, c.rect.width, c.rect.height)))
        << toString(c.id) << " lies outside the panel";
  }
}

TEST_F(Form2Test, LinesThreeSevenElevenAndFifteenAreRedInAllSixColumns) {
  const QColor red(255, 0, 0);
  const std::vector<int> redLines = {3, 7, 11, 15};
  for (const char* column : {"Text1", "Text2", "Text3", "Text4", "Text5", "Text6"}) {
    for (int r = 0; r < 19; ++r) {
      const bool shouldBeRed = std::find(redLines.begin(), redLines.end(), r) != redLines.end();
      const QColor text = edit(column, r)->palette().color(QPalette::Text);
      EXPECT_EQ(text == red, shouldBeRed) << column << "(" << r << ") " << text.name().toStdString();
    }
  }
  for (int i : {4, 5, 6, 7, 10}) EXPECT_NE(edit("Text22", i)->palette().color(QPalette::Text), red) << i;
  EXPECT_NE(edit("Text23")->palette().color(QPalette::Text), red);
}

TEST_F(Form2Test, NumberFieldsUseSong10Point5CentredAndTheHeadersTheWindowFont) {
  struct Row {
    std::string_view name;
    int index;
  };
  const Row numbers[] = {{"Text1", 0},  {"Text2", 5},  {"Text3", 11}, {"Text4", 18},
                         {"Text5", 3},  {"Text6", 7},  {"Text22", 4}, {"Text22", 5},
                         {"Text22", 6}, {"Text22", 7}, {"Text22", 10}};
  for (const Row& r : numbers) {
    QLineEdit* e = edit(r.name, r.index);
    EXPECT_EQ(e->font().family(), "宋体") << toString({r.name, r.index});
    EXPECT_DOUBLE_EQ(e->font().pointSizeF(), 10.5) << toString({r.name, r.index});
    EXPECT_EQ(e->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter) << toString({r.name, r.index});
  }
  const QFont windowFont = form->font();
  EXPECT_NE(windowFont.pointSizeF(), 10.5);
  const std::pair<std::string_view, Qt::Alignment> headers[] = {{"Text28", Qt::AlignHCenter},
                                                                {"Text29", Qt::AlignHCenter},
                                                                {"Text23", Qt::AlignLeft},
                                                                {"Text27", Qt::AlignLeft}};
  for (const auto& [name, align] : headers) {
    EXPECT_EQ(edit(name)->alignment() & Qt::AlignHorizontal_Mask, align) << name;
    EXPECT_EQ(edit(name)->font(), windowFont) << name;
  }
  for (std::string_view label : {"Label1", "Label13", "Label8"}) {
    QWidget* w = form->control({label, label == "Label1" ? 0 : -1});
    EXPECT_EQ(w->font(), windowFont) << label;
  }
}

TEST_F(Form2Test, ButtonsShowTheirWordsOnTheirFaces) {
  const std::pair<std::string_view, QString> pictures[] = {{"Command7", "计算"},
                                                           {"Command1", "清除数据"},
                                                           {"Command2", "导出表格"},
                                                           {"Command6", "返回"},
                                                           {"Command3", "退出"}};
  for (const auto& [name, word] : pictures) {
    auto* b = form->control<shell::PictureButton>({name});
    ASSERT_NE(b, nullptr) << name;
    EXPECT_EQ(b->text(), word) << name;
    EXPECT_EQ(b->face(), layout::Face::BlueWhite) << name;
  }
  auto* more = form->control<QPushButton>({"Command5"});
  ASSERT_NE(more, nullptr);
  EXPECT_EQ(qobject_cast<shell::PictureButton*>(more), nullptr);
  EXPECT_EQ(more->text(), "更多速算器");
  EXPECT_EQ(more->palette().color(QPalette::Button), QColor(192, 192, 192));
}

TEST_F(Form2Test, FocusStartsInTheLastAmountAndTabWalksTheWholeChain) {
  const std::vector<std::string> expected = {
      "Text6(18)", "Text1(0)",  "Text2(0)",  "Text3(0)",   "Text5(0)",  "Text1(1)",  "Text2(1)",  "Text3(1)",
      "Text5(1)",  "Text1(2)",  "Text2(2)",  "Text3(2)",   "Text5(2)",  "Text1(3)",  "Text2(3)",  "Text3(3)",
      "Text5(3)",  "Text1(4)",  "Text2(4)",  "Text3(4)",   "Text5(4)",  "Text1(5)",  "Text2(5)",  "Text3(5)",
      "Text5(5)",  "Text1(6)",  "Text2(6)",  "Text3(6)",   "Text5(6)",  "Text1(7)",  "Text2(7)",  "Text3(7)",
      "Text5(7)",  "Text1(8)",  "Text2(8)",  "Text3(8)",   "Text5(8)",  "Text1(9)",  "Text2(9)",  "Text3(9)",
      "Text5(9)",  "Text1(10)", "Text2(10)", "Text3(10)",  "Text5(10)", "Text1(11)", "Text2(11)", "Text3(11)",
      "Text5(11)", "Text1(12)", "Text2(12)", "Text3(12)",  "Text5(12)", "Text1(13)", "Text2(13)", "Text3(13)",
      "Text5(13)", "Text1(14)", "Text2(14)", "Text3(14)",  "Text5(14)", "Text1(15)", "Text2(15)", "Text3(15)",
      "Text5(15)", "Text1(16)", "Text2(16)", "Text3(16)",  "Text5(16)", "Text1(17)", "Text2(17)", "Text3(17)",
      "Text5(17)", "Text1(18)", "Text2(18)", "Text3(18)",  "Text5(18)", "Text4(1)",  "Text4(18)", "Text6(17)",
      "Text4(17)", "Text6(16)", "Text4(16)", "Text6(15)",  "Text4(15)", "Text6(14)", "Text4(14)", "Text6(13)",
      "Text4(13)", "Text6(12)", "Text4(12)", "Text6(11)",  "Text4(11)", "Text6(10)", "Text4(10)", "Text6(9)",
      "Text4(9)",  "Text6(8)",  "Text4(8)",  "Text6(7)",   "Text4(7)",  "Text6(6)",  "Text4(6)",  "Text6(5)",
      "Text4(5)",  "Text6(4)",  "Text4(4)",  "Text6(3)",   "Text4(3)",  "Text6(2)",  "Text4(2)",  "Text6(1)",
      "Text6(0)",  "Text4(0)",  "Command5",  "Text22(10)", "Text29",    "Text28",    "Text27",    "Text23",
      "Command3",  "Text22(7)", "Text22(6)", "Text22(5)",  "Text22(4)", "Command2",  "Command1",  "Command6",
      "Command7",  "Text6(18)",
  };
  std::vector<std::string> walked = {focusName()};
  for (size_t i = 1; i < expected.size(); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    walked.push_back(focusName());
  }
  EXPECT_EQ(walked, expected);
}

TEST_F(Form2Test, UpAndDownMoveWithinTheEntryColumnsWithWrapAround) {
  struct Row {
    const char* what;
    std::string_view column;
    int from;
    Qt::Key key;
    std::string expected;
  };
  const Row rows[] = {
      {"Down from the last line wraps to the first", "Text2", 18, Qt::Key_Down, "Text2(0)"},
      {"Up from the first line wraps to the last", "Text5", 0, Qt::Key_Up, "Text5(18)"},
      {"Down moves one line on", "Text1", 4, Qt::Key_Down, "Text1(5)"},
      {"Up moves one line back", "Text3", 9, Qt::Key_Up, "Text3(8)"},
      {"the volume column moves too", "Text4", 17, Qt::Key_Down, "Text4(18)"},
      {"the volume column wraps too", "Text4", 0, Qt::Key_Up, "Text4(18)"},
      {"the amount column does not move", "Text6", 3, Qt::Key_Down, "Text6(3)"},
      {"the amount column does not wrap upwards", "Text6", 0, Qt::Key_Up, "Text6(0)"},
      {"the amount column does not wrap downwards", "Text6", 18, Qt::Key_Down, "Text6(18)"},
  };
  for (const Row& r : rows) {
    edit(r.column, r.from)->setFocus();
    QTest::keyClick(edit(r.column, r.from), r.key, Qt::ShiftModifier);  // modifiers play no part
    EXPECT_EQ(focusName(), r.expected) << r.what << ": from " << toString({r.column, r.from});
  }
  form->sheet().line(0).diameter.setText(u"24");
  edit("Text2", 18)->setFocus();
  QTest::keyClick(edit("Text2", 18), Qt::Key_Down);
  ASSERT_EQ(focusName(), "Text2(0)");
  EXPECT_EQ(edit("Text2", 0)->selectedText(), "24");
  EXPECT_EQ(edit("Text2", 0)->selectionStart(), 0);
  // Enter moves nowhere.
  QTest::keyClick(edit("Text2", 0), Qt::Key_Return);
  EXPECT_EQ(focusName(), "Text2(0)");
}

TEST_F(Form2Test, EnteringAnEntryFieldByMouseSelectsItsText) {
  struct Row {
    const char* what;
    std::string_view column;
    int index;
    bool selects;
  };
  const Row rows[] = {
      {"a length selects its whole text", "Text1", 2, true},
      {"a count selects its whole text", "Text3", 6, true},
      {"a volume selects its whole text", "Text4", 9, true},
      {"a unit price selects its whole text", "Text5", 12, true},
      {"an amount keeps the ordinary click", "Text6", 12, false},
      {"the average price keeps the ordinary click", "Text22", 7, false},
  };
  for (int r = 0; r < 19; ++r) {  // so that volumes and amounts keep what is set
    form->sheet().line(r).count.setText(u"5");
    form->sheet().line(r).unitPrice.setText(u"800");
  }
  for (const Row& r : rows) {
    edit("Text23")->setFocus();
    form->sheet().field(r.column, r.index).setText(u"12345");
    QLineEdit* e = edit(r.column, r.index);
    QTest::mouseClick(e, Qt::LeftButton, {}, QPoint(e->width() / 2, e->height() / 2));
    ASSERT_EQ(focusName(), toString({r.column, r.index})) << r.what;
    EXPECT_EQ(e->selectedText(), r.selects ? "12345" : "") << r.what << ": " << toString({r.column, r.index});
  }
}

TEST_F(Form2Test, ALoadTypedInIsCalculatedAndCleared) {
  type("Text1", 0, "4");
  type("Text2", 0, "20");
  type("Text3", 0, "3");
  type("Text5", 0, "800");
  type("Text1", 15, "6");
  type("Text2", 15, "12");
  type("Text3", 15, "10");
  type("Text22", 7, "650");
  type("Text27", -1, "东林木材厂");
  type("Text4", 6, "7");  // no count on line 6: vanishes at the keystroke
  EXPECT_EQ(edit("Text4", 6)->text(), "");
  click("Command7");
  EXPECT_EQ(edit("Text4", 0)->text(), "0.4800");
  EXPECT_EQ(edit("Text6", 0)->text(), "384.00");
  EXPECT_EQ(edit("Text4", 15)->text(), "1.0500");
  EXPECT_EQ(edit("Text6", 15)->text(), "");  // no price
  EXPECT_EQ(edit("Text4", 1)->text(), "");
  EXPECT_EQ(edit("Text6", 1)->text(), "");
  EXPECT_EQ(edit("Text22", 5)->text(), "13");
  EXPECT_EQ(edit("Text22", 4)->text(), "1.530");
  EXPECT_EQ(edit("Text22", 10)->text(), "384.00");
  EXPECT_EQ(edit("Text22", 6)->text(), "994.50");

  edit("Text3", 4)->setFocus();
  click("Command1");
  for (const auto& [name, value] : fields()) EXPECT_EQ(value, "") << name;
  EXPECT_EQ(edit("Text27")->text(), "");
  EXPECT_EQ(edit("Text22", 7)->text(), "");
  EXPECT_EQ(edit("Text1", 0)->text(), "");
}

TEST_F(Form2Test, AnAveragePriceTypedFromZeroKeepsOnlyItsLastDigits) {
  type("Text22", 7, "0.8");
  EXPECT_EQ(edit("Text22", 7)->text(), "8");
  EXPECT_EQ(u8(form->sheet().averageUnitPrice().text()), "8");
  type("Text22", 7, "12");
  EXPECT_EQ(edit("Text22", 7)->text(), "12");
  edit("Text22", 7)->selectAll();
  edit("Text22", 7)->insert("0.8");  // all at once, as pasted
  EXPECT_EQ(edit("Text22", 7)->text(), "");
}

TEST_F(Form2Test, OverflowIsReportedAndTheFieldsStayAsLeft) {
  type("Text1", 2, "4");
  type("Text2", 2, "1E200");
  type("Text3", 2, "1");
  type("Text1", 0, "4");
  type("Text2", 0, "20");
  type("Text3", 0, "3");
  {
    testing::MessageBoxAnswerer answerer;
    click("Command7");
    ASSERT_TRUE(answerer.seen().shown);
    EXPECT_EQ(answerer.seen().title, "Quenby");
    EXPECT_EQ(answerer.seen().text, "错误 6：溢出：计算结果超出了数值范围，请检查输入的数字");
  }
  EXPECT_EQ(edit("Text4", 0)->text(), "0.4800");
  EXPECT_EQ(edit("Text2", 2)->text(), "1E200");
  EXPECT_EQ(edit("Text22", 5)->text(), "");
  EXPECT_TRUE(form->isVisible());
}

}  // namespace
}  // namespace quenby
