// Form3 on the offscreen platform: the fresh sheet, geometry, fonts, the focus chain, line moves,
// whole-text selection, the buttons and their faces, and an arithmetic error. Its place among the
// calculators (switch, back, close) is the application's test.

#include "sawn/form3.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QWindow>
#include <memory>
#include <string>
#include <vector>

#include "form_fixture.h"
#include "shell/picture_button.h"
#include "support/utf.h"
#include "ui_test_support.h"

namespace quenby {
namespace {

class Form3Test : public testing::FormFixture<Form3> {
 protected:
  // Types a line's length, width, thickness, pieces and unit price.
  void typeLine(int r, const QString& length, const QString& width, const QString& thickness,
                const QString& pieces, const QString& price) {
    retype(edit("Text1", r), length);
    retype(edit("Text2", r), width);
    retype(edit("Text3", r), thickness);
    retype(edit("Text4", r), pieces);
    retype(edit("Text6", r), price);
  }
};

TEST_F(Form3Test, OpensEmptyWithTheFirstCaptionsAndTheCaretInText1Of0) {
  EXPECT_EQ(form->windowTitle(), "Marlo");
  EXPECT_EQ(form->windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
  int fields = 0;
  for (const layout::Control& c : form->table().controls) {
    if (auto* e = form->control<QLineEdit>(c.id)) {
      ++fields;
      EXPECT_EQ(e->text(), "") << toString(c.id);
      EXPECT_EQ(e->palette().color(QPalette::Base), QColor(255, 255, 255)) << toString(c.id);
    }
  }
  EXPECT_EQ(fields, 56 + 2 + 5);
  EXPECT_EQ(focusName(), "Text1(0)");

  struct Box {
    std::string_view name;
    QStringList items;
  };
  const Box boxes[] = {
      {"Combo3", {"购货单位", "公司名称"}},
      {"Combo2", {"车号", "联系人", "电话", "银行账号", "地址"}},
      {"Combo4", {"出货单位", "银行账号", "联系人", "联系电话"}},
      {"Combo1", {"联系人", "车号", "银行账号", "地址", "电话"}},
  };
  for (const Box& b : boxes) {
    QComboBox* c = box(b.name);
    ASSERT_NE(c, nullptr) << b.name;
    QStringList items;
    for (int i = 0; i < c->count(); ++i) items << c->itemText(i);
    EXPECT_EQ(items, b.items) << b.name;
    EXPECT_EQ(c->currentText(), b.items.front()) << b.name;
    EXPECT_TRUE(c->isEditable()) << b.name;
    EXPECT_EQ(c->palette().color(QPalette::Base), QColor(255, 255, 255)) << b.name;
  }
}

TEST_F(Form3Test, WindowAndControlsStandAtTheirTwipPositionsInPixels) {
  EXPECT_EQ(form->size(), QSize(628, 482));
  EXPECT_TRUE(form->windowFlags() & Qt::FramelessWindowHint);
  struct Row {
    std::string_view name;
    int index;
    QRect pixels;
  };
  const Row rows[] = {
      {"Text1", 0, {72, 159, 57, 25}},       // (1080, 2385, 855, 375)
      {"Text2", 0, {120, 159, 57, 25}},      // overlaps Text1(0) by its border
      {"Text1", 1, {72, 183, 57, 25}},       // overlaps the line above
      {"Text5", 3, {264, 231, 65, 25}},      // (3960, 3465, 975, 375)
      {"Text7", 7, {376, 327, 65, 25}},      // (5640, 4905, 975, 375)
      {"Combo3", -1, {39, 90, 76, 20}},      // (585, 1350, 1140, 300)
      {"Text11", -1, {441, 87, 139, 25}},    // (6615, 1305, 2085, 375)
      {"Label6", -1, {88, 135, 185, 17}},    // (1320, 2025, 2775, 255)
      {"Label1", 1, {392, 135, 33, 17}},     // (5880, 2025, 495, 255)
      {"Label10", -1, {504, 154, 41, 25}},   // (7560, 2310, 615, 375)
      {"Text14", -1, {480, 170, 81, 25}},    // (7200, 2550, 1215, 375)
      {"Command5", -1, {480, 202, 80, 33}},  // (7200, 3030, 1200, 490)
      {"Command2", -1, {480, 362, 80, 30}},  // (7200, 5430, 1200, 450)
      {"Label3", -1, {216, 367, 33, 25}},    // (3240, 5505, 495, 375)
      {"Text8", -1, {264, 359, 65, 25}},     // (3960, 5385, 975, 375)
      {"Combo4", -1, {39, 417, 76, 20}},     // (585, 6255, 1140, 300)
      {"Text12", -1, {441, 414, 145, 25}},   // (6615, 6210, 2175, 375)
  };
  for (const Row& r : rows) {
    QWidget* w = form->control({r.name, r.index});
    ASSERT_NE(w, nullptr) << toString({r.name, r.index});
    EXPECT_EQ(w->geometry(), r.pixels) << toString({r.name, r.index});
  }
}

TEST_F(Form3Test, SizeIsSetOnceAndNotPutBack) {
  form->resize(700, 500);
  EXPECT_EQ(form->size(), QSize(700, 500));
  Form3 another;
  EXPECT_EQ(another.size(), QSize(628, 482));
}

TEST_F(Form3Test, FieldsUseSongTenAndAHalfWithTheirAlignments) {
  struct Row {
    std::string_view name;
    int index;
    Qt::Alignment horizontal;
  };
  const Row rows[] = {
      {"Text1", 0, Qt::AlignHCenter},  {"Text4", 5, Qt::AlignHCenter},   {"Text5", 2, Qt::AlignHCenter},
      {"Text6", 7, Qt::AlignHCenter},  {"Text7", 3, Qt::AlignHCenter},   {"Text8", -1, Qt::AlignHCenter},
      {"Text9", -1, Qt::AlignHCenter}, {"Text14", -1, Qt::AlignHCenter}, {"Text10", -1, Qt::AlignLeft},
      {"Text11", -1, Qt::AlignLeft},   {"Text12", -1, Qt::AlignLeft},    {"Text13", -1, Qt::AlignLeft},
  };
  for (const Row& r : rows) {
    QLineEdit* e = edit(r.name, r.index);
    ASSERT_NE(e, nullptr) << toString({r.name, r.index});
    EXPECT_EQ(e->font().family(), "宋体") << toString({r.name, r.index});
    EXPECT_EQ(e->font().pointSizeF(), 10.5) << toString({r.name, r.index});
    EXPECT_EQ(e->alignment() & Qt::AlignHorizontal_Mask, r.horizontal) << toString({r.name, r.index});
  }
}

TEST_F(Form3Test, LabelsCarryTheirCaptionsInTheirOddIndexOrder) {
  struct Row {
    std::string_view name;
    int index;
    QString caption;
    Qt::Alignment horizontal;
  };
  const Row rows[] = {
      {"Label6", -1, "（长、    宽、   厚、   件）", Qt::AlignLeft},
      {"Label1", 0, "材积", Qt::AlignLeft},
      {"Label1", 1, "金额", Qt::AlignLeft},
      {"Label1", 2, "单价", Qt::AlignLeft},
      {"Label5", -1, "单位：立方米、元", Qt::AlignLeft},
      {"Label10", -1, "检尺员", Qt::AlignLeft},
      {"Label3", -1, "合计", Qt::AlignHCenter},
  };
  for (const Row& r : rows) {
    auto* l = form->control<QLabel>({r.name, r.index});
    ASSERT_NE(l, nullptr) << toString({r.name, r.index});
    EXPECT_EQ(l->text(), r.caption) << toString({r.name, r.index});
    EXPECT_EQ(l->alignment() & Qt::AlignHorizontal_Mask, r.horizontal) << toString({r.name, r.index});
    EXPECT_EQ(l->font(), form->font()) << toString({r.name, r.index});
  }
  // The heading stays on one line, each word over its column.
  EXPECT_FALSE(form->control<QLabel>({"Label6"})->wordWrap());
  // 材积 heads the volume column, 单价 the price column, 金额 the amount column.
  EXPECT_LT(form->control({"Label1", 0})->x(), form->control({"Label1", 2})->x());
  EXPECT_LT(form->control({"Label1", 2})->x(), form->control({"Label1", 1})->x());
}

TEST_F(Form3Test, TabWalksTheEntryColumnsLineByLineThenTheRestAndComesBack) {
  const std::string expected =
      "Text1(0) Text2(0) Text3(0) Text4(0) Text6(0) "
      "Text1(1) Text2(1) Text3(1) Text4(1) Text6(1) "
      "Text1(2) Text2(2) Text3(2) Text4(2) Text6(2) "
      "Text1(3) Text2(3) Text3(3) Text4(3) Text6(3) "
      "Text1(4) Text2(4) Text3(4) Text4(4) Text6(4) "
      "Text1(5) Text2(5) Text3(5) Text4(5) Text6(5) "
      "Text1(6) Text2(6) Text3(6) Text4(6) Text6(6) "
      "Text1(7) Text2(7) Text3(7) Text4(7) Text6(7) "
      "Text5(0) Text7(0) Text5(1) Text7(1) Text5(2) Text7(2) Text5(3) Text7(3) "
      "Text5(4) Text7(4) Text5(5) Text7(5) Text5(6) Text7(6) Text5(7) Text7(7) "
      "Text8 Text9 Command1 Command2 Command3 Command4 Command5 "
      "Text10 Text11 Text12 Text13 Text14 Combo1 Combo2 Combo3 Combo4 "
      "Text1(0) ";
  std::string walked = focusName() + " ";
  for (int i = 0; i < 72; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    walked += focusName() + " ";
  }
  EXPECT_EQ(walked, expected);
}

TEST_F(Form3Test, UpAndDownMoveWithinTheEntryColumnsWithWrapAround) {
  form->sheet().field("Text1", 0).setText(u"4");
  struct Row {
    const char* what;
    std::string_view name;
    int index;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* to;
  };
  const Row rows[] = {
      {"Down from the last line wraps to the first", "Text1", 7, Qt::Key_Down, Qt::NoModifier, "Text1(0)"},
      {"Up from the first line wraps to the last", "Text6", 0, Qt::Key_Up, Qt::NoModifier, "Text6(7)"},
      {"Down moves one line on", "Text2", 3, Qt::Key_Down, Qt::NoModifier, "Text2(4)"},
      {"Up moves one line back", "Text3", 5, Qt::Key_Up, Qt::NoModifier, "Text3(4)"},
      {"the pieces column wraps too", "Text4", 7, Qt::Key_Down, Qt::NoModifier, "Text4(0)"},
      {"modifiers play no part", "Text6", 4, Qt::Key_Down, Qt::ShiftModifier | Qt::ControlModifier,
       "Text6(5)"},
      {"the volume column does not move", "Text5", 2, Qt::Key_Down, Qt::NoModifier, "Text5(2)"},
      {"the volume column does not wrap", "Text5", 7, Qt::Key_Down, Qt::NoModifier, "Text5(7)"},
      {"the amount column does not wrap", "Text7", 0, Qt::Key_Up, Qt::NoModifier, "Text7(0)"},
      {"the total volume does not move", "Text8", -1, Qt::Key_Down, Qt::NoModifier, "Text8"},
      {"a header field does not move", "Text14", -1, Qt::Key_Up, Qt::NoModifier, "Text14"},
      {"Enter moves nowhere", "Text2", 1, Qt::Key_Return, Qt::NoModifier, "Text2(1)"},
  };
  for (const Row& r : rows) {
    QLineEdit* from = edit(r.name, r.index);
    from->setFocus();
    QTest::keyClick(from, r.key, r.modifiers);
    EXPECT_EQ(focusName(), r.to) << r.what << ": from " << toString({r.name, r.index});
  }
  // Arriving by arrow selects the whole text.
  edit("Text1", 7)->setFocus();
  QTest::keyClick(edit("Text1", 7), Qt::Key_Down);
  EXPECT_EQ(edit("Text1", 0)->selectedText(), "4");
}

TEST_F(Form3Test, EntryColumnsSelectTheirWholeTextOnEntryAndComputedOnesDoNot) {
  form->sheet().field("Text1", 2).setText(u"3.5");
  form->sheet().field("Text2", 2).setText(u"180");
  form->sheet().field("Text3", 2).setText(u"50");
  edit("Text2", 2)->setFocus();
  QTest::keyClick(edit("Text2", 2), Qt::Key_Tab);
  ASSERT_EQ(focusName(), "Text3(2)");
  EXPECT_EQ(edit("Text3", 2)->selectedText(), "50");
  EXPECT_EQ(edit("Text3", 2)->selectionStart(), 0);

  form->sheet().field("Text6", 5).setText(u"1250");
  QLineEdit* clicked = edit("Text6", 5);
  QTest::mouseClick(clicked, Qt::LeftButton, {}, QPoint(clicked->width() / 2, clicked->height() / 2));
  ASSERT_EQ(focusName(), "Text6(5)");
  EXPECT_EQ(clicked->selectedText(), "1250");

  // The computed columns keep the ordinary click: a caret, no selection.
  form->sheet().field("Text5", 5).setText(u"0.4000");
  QTest::mouseClick(edit("Text5", 5), Qt::LeftButton, {}, QPoint(5, 10));
  ASSERT_EQ(focusName(), "Text5(5)");
  EXPECT_FALSE(edit("Text5", 5)->hasSelectedText());
  form->sheet().field("Text7", 6).setText(u"12.00");
  QTest::mouseClick(edit("Text7", 6), Qt::LeftButton, {}, QPoint(5, 10));
  ASSERT_EQ(focusName(), "Text7(6)");
  EXPECT_FALSE(edit("Text7", 6)->hasSelectedText());
}

TEST_F(Form3Test, ButtonsShowTheirWordsOnTheirFaces) {
  struct Row {
    std::string_view name;
    QString word;
    QColor face;
  };
  const Row rows[] = {
      {"Command5", "返 回", QColor(255, 255, 255)},      {"Command3", "计 算", QColor(255, 255, 255)},
      {"Command1", "清除数据", QColor(255, 255, 255)},   {"Command4", "导出表格", QColor(255, 255, 255)},
      {"Command2", "更多速算器", QColor(153, 170, 202)},
  };
  for (const Row& r : rows) {
    auto* b = form->control<shell::PictureButton>({r.name});
    ASSERT_NE(b, nullptr) << r.name;
    EXPECT_EQ(b->text(), r.word) << r.name;
    const QImage picture = b->grab().toImage();
    // Below the word, clear of the rounded corners and the focus frame.
    EXPECT_EQ(picture.pixelColor(picture.width() / 2, picture.height() - 3), r.face) << r.name;
  }
}

TEST_F(Form3Test, CalculateAndClearButtonsDriveTheSheet) {
  typeLine(0, "4", "200", "50", "10", "1500");
  commit(edit("Text14"), "王五");
  commit(edit("Text13"), "林场");
  commit(edit("Text10"), "木材厂");
  click("Command3");
  EXPECT_EQ(edit("Text5", 0)->text(), "0.4000");
  EXPECT_EQ(edit("Text7", 0)->text(), "600.00");
  EXPECT_EQ(edit("Text8")->text(), "0.4000");
  EXPECT_EQ(edit("Text9")->text(), "600.0000");
  EXPECT_EQ(edit("Text5", 1)->text(), "");

  click("Command1");
  for (std::string_view name : {"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7"})
    EXPECT_EQ(edit(name, 0)->text(), "") << name;
  EXPECT_EQ(edit("Text8")->text(), "");
  EXPECT_EQ(edit("Text9")->text(), "");
  EXPECT_EQ(edit("Text10")->text(), "");
  EXPECT_EQ(edit("Text14")->text(), "王五");
  EXPECT_EQ(edit("Text13")->text(), "林场");
}

TEST_F(Form3Test, ComputedFieldsJudgeEveryKeystroke) {
  retype(edit("Text5", 0), "0.5");
  EXPECT_EQ(edit("Text5", 0)->text(), "5");
  retype(edit("Text9"), "0.5");
  EXPECT_EQ(edit("Text9")->text(), "5");
  retype(edit("Text6", 0), "0.5");
  EXPECT_EQ(edit("Text6", 0)->text(), "0.5");
}

TEST_F(Form3Test, OverflowIsReportedAndEveryFieldStaysAsLeft) {
  typeLine(0, "1E200", "1E200", "1", "1", "");
  retype(edit("Text5", 4), "3.3");
  const auto before = widgetTexts();
  {
    testing::MessageBoxAnswerer answerer;
    click("Command3");
    ASSERT_TRUE(answerer.seen().shown);
    EXPECT_EQ(answerer.seen().title, "Quenby");
    EXPECT_EQ(answerer.seen().text, "错误 6：溢出：计算结果超出了数值范围，请检查输入的数字");
    EXPECT_EQ(answerer.seen().buttons, QMessageBox::Ok);
  }
  EXPECT_EQ(widgetTexts(), before);
  EXPECT_TRUE(form->isVisible());

  retype(edit("Text1", 0), "4");
  retype(edit("Text2", 0), "200");
  click("Command3");
  EXPECT_EQ(edit("Text5", 0)->text(), "0.0008");
  EXPECT_EQ(edit("Text5", 4)->text(), "");
}

}  // namespace
}  // namespace quenby
