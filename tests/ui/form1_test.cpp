// Form1 on the offscreen platform: the fresh sheet, geometry, focus chain, row moves, whole-text
// selection, the change rules reaching the widgets, the buttons, and an arithmetic error.

#include "logtally/form1.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "calc/numeric_text.h"
#include "support/utf.h"
#include "ui_test_support.h"

namespace quenby {
namespace {

std::string cellName(int row, int index) {
  return "Text" + std::to_string(row) + "(" + std::to_string(index) + ")";
}

class Form1Test : public ::testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<Form1>();
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  }

  QLineEdit* edit(std::string_view name, int index = -1) { return form->control<QLineEdit>({name, index}); }
  QLineEdit* cell(int row, int index) {
    const std::string name = "Text" + std::to_string(row);
    return edit(name, index);
  }
  std::string focusName() const {
    auto id = form->addressOf(QApplication::focusWidget());
    return id ? toString(*id) : "(nothing)";
  }
  void click(std::string_view button) { QTest::mouseClick(form->control({button}), Qt::LeftButton); }
  // Replaces the whole text as typed, keystroke by keystroke; the first key replaces the selection.
  void retype(QLineEdit* target, const QString& keys) {
    target->setFocus();
    target->selectAll();
    if (keys.isEmpty()) QTest::keyClick(target, Qt::Key_Backspace);
    QTest::keyClicks(target, keys);
  }

  std::unique_ptr<Form1> form;
};

TEST_F(Form1Test, OpensWithStandardDiametersLengthFourAndFocusInText23) {
  int fields = 0;
  for (const layout::Control& c : form->table().controls) {
    if (c.kind != layout::Kind::TextField) continue;
    ++fields;
    std::string expected;
    const bool gridCell = c.id.name.size() >= 5 && c.id.name.substr(0, 4) == "Text" &&
                          std::stoi(std::string(c.id.name.substr(4))) <= 14;
    if (gridCell && c.id.index % 3 == 0)
      expected = std::to_string(2 * std::stoi(std::string(c.id.name.substr(4))) + 2);
    if (c.id == FieldId{"Text23"}) expected = "4";
    EXPECT_EQ(form->control<QLineEdit>(c.id)->text().toStdString(), expected) << toString(c.id);
  }
  EXPECT_EQ(fields, 168 + 4 + 8 + 4 + 7 + 8);
  EXPECT_EQ(cell(5, 6)->text(), "12");
  EXPECT_EQ(cell(14, 9)->text(), "30");
  EXPECT_EQ(focusName(), "Text23");

  const std::vector<std::pair<std::string_view, QString>> combos = {{"Combo4", "购货单位"},
                                                                    {"Combo2", "车号"},
                                                                    {"Combo5", "出货单位"},
                                                                    {"Combo1", "联系人"},
                                                                    {"Combo3", "原木计算"}};
  for (const auto& [name, text] : combos) {
    EXPECT_EQ(form->control<QComboBox>({name})->currentText(), text) << name;
  }
  EXPECT_FALSE(form->control<QComboBox>({"Combo3"})->isEditable());
  EXPECT_EQ(form->control<QComboBox>({"Combo2"})->count(), 9);
  EXPECT_EQ(form->windowTitle(), "Quenby");
}

TEST_F(Form1Test, EveryFieldHasOneWidgetAndEveryEditableWidgetAField) {
  std::set<std::string> addresses;
  for (const layout::Control& c : form->table().controls) {
    EXPECT_TRUE(addresses.insert(toString(c.id)).second) << "twice: " << toString(c.id);
    if (c.kind == layout::Kind::TextField || c.kind == layout::Kind::ComboBox) {
      EXPECT_NO_THROW(form->sheet().field(c.id)) << toString(c.id);
    }
  }
  for (const NamedField& f : form->sheet().fields()) {
    QWidget* w = form->control(f.id);
    EXPECT_TRUE(qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w)) << toString(f.id);
  }
}

TEST_F(Form1Test, ControlsStandAtTheirTwipPositionsInPixels) {
  EXPECT_EQ(form->size(), QSize(727, 646));
  EXPECT_EQ(form->minimumSize(), form->maximumSize());
  EXPECT_TRUE(form->windowFlags() & Qt::FramelessWindowHint);
  struct Row {
    std::string_view name;
    int index;
    QRect pixels;
  };
  const Row rows[] = {
      {"Text1", 0, {45, 164, 36, 21}},     // (675, 2460, 540, 315)
      {"Text1", 1, {75, 164, 41, 21}},     // count column overlaps the diameter column
      {"Text14", 11, {525, 424, 61, 21}},  // (7875, 6360, 915, 315)
      {"Text23", -1, {115, 120, 48, 21}},   {"Text21", -1, {505, 120, 48, 21}},
      {"Text16", 5, {345, 456, 51, 21}},  // group 2's count subtotal, left of ...
      {"Text16", 4, {390, 456, 61, 21}},  // ... its volume subtotal
      {"Text19", 6, {515, 496, 76, 21}},  // group 3's amount
      {"Text29", -1, {448, 548, 81, 21}},   {"Text17", -1, {129, 88, 235, 21}},
      {"Combo3", -1, {605, 276, 81, 20}},   {"Command7", -1, {604, 308, 81, 33}},
      {"Command1", -1, {596, 540, 81, 25}},
  };
  for (const Row& r : rows) {
    QWidget* w = form->control({r.name, r.index});
    ASSERT_NE(w, nullptr) << r.name;
    EXPECT_EQ(w->geometry(), r.pixels) << toString({r.name, r.index});
  }
  EXPECT_LT(edit("Text16", 5)->x(), edit("Text16", 4)->x());
}

// Counts group by group, then diameters, the bill header fields, the computed fields in reading
// order, the buttons, the other bill fields and the combo boxes; round again to Text23.
std::vector<std::string> expectedTabOrder() {
  std::vector<std::string> order;
  auto column = [&](int index) {
    for (int row = 1; row <= 14; ++row) order.push_back(cellName(row, index));
  };
  const char* lengths[] = {"Text23", "Text15", "Text26", "Text21"};
  for (int g = 0; g < 4; ++g) {
    order.push_back(lengths[g]);
    column(3 * g + 1);
    order.push_back("Text18(" + std::to_string(g) + ")");
  }
  for (int g = 0; g < 4; ++g) column(3 * g);
  for (const char* name : {"Text17", "Text27", "Text25", "Text20"}) order.push_back(name);
  for (int g = 0; g < 4; ++g) column(3 * g + 2);
  for (const char* name : {"Text16(0)", "Text16(1)", "Text16(2)", "Text16(3)", "Text16(5)", "Text16(4)",
                           "Text16(6)", "Text16(7)", "Text19(0)", "Text19(1)", "Text19(5)", "Text19(6)",
                           "Text19(4)", "Text19(3)", "Text19(2)", "Text28",    "Text29",    "Command7",
                           "Command4",  "Command3",  "Command2",  "Command6",  "Command1",  "Text22",
                           "Text24",    "Combo4",    "Combo2",    "Combo5",    "Combo1",    "Combo3"}) {
    order.push_back(name);
  }
  return order;
}

TEST_F(Form1Test, TabWalksTheFocusChainAndComesBackToText23) {
  const std::vector<std::string> expected = expectedTabOrder();
  std::vector<std::string> walked = {focusName()};
  for (size_t i = 0; i < expected.size(); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    walked.push_back(focusName());
  }
  std::vector<std::string> expectedRound = expected;
  expectedRound.push_back("Text23");
  EXPECT_EQ(walked, expectedRound);
}

TEST_F(Form1Test, UpAndDownMoveAlongTheRowWithWrapAround) {
  struct Row {
    int row, index;
    Qt::Key key;
    int expectedIndex;
  };
  const Row rows[] = {
      {5, 11, Qt::Key_Down, 0}, {11, 0, Qt::Key_Up, 11},    {1, 5, Qt::Key_Up, 4},
      {3, 2, Qt::Key_Down, 3},  {14, 10, Qt::Key_Down, 11},
  };
  for (const Row& r : rows) {
    cell(r.row, r.index)->setFocus();
    QTest::keyClick(cell(r.row, r.index), r.key);
    EXPECT_EQ(focusName(), cellName(r.row, r.expectedIndex)) << "from " << cellName(r.row, r.index);
  }
  // Arriving by arrow selects the whole text too: Text5(0) holds the diameter class 12.
  cell(5, 11)->setFocus();
  QTest::keyClick(cell(5, 11), Qt::Key_Down);
  EXPECT_EQ(cell(5, 0)->selectedText(), "12");
  // Outside the grid the arrows do nothing of the sort.
  edit("Text23")->setFocus();
  QTest::keyClick(edit("Text23"), Qt::Key_Down);
  EXPECT_EQ(focusName(), "Text23");
}

TEST_F(Form1Test, GridCellEnteredByTabOrMouseSelectsItsWholeText) {
  form->sheet().field("Text2", 1).setText(u"35");
  cell(1, 1)->setFocus();
  QTest::keyClick(cell(1, 1), Qt::Key_Tab);
  ASSERT_EQ(focusName(), "Text2(1)");
  EXPECT_EQ(cell(2, 1)->selectedText(), "35");
  EXPECT_EQ(cell(2, 1)->selectionStart(), 0);

  form->sheet().field("Text4", 1).setText(u"12345");
  QLineEdit* clicked = cell(4, 1);
  QTest::mouseClick(clicked, Qt::LeftButton, {}, QPoint(clicked->width() / 2, clicked->height() / 2));
  ASSERT_EQ(focusName(), "Text4(1)");
  EXPECT_EQ(clicked->selectedText(), "12345");
  EXPECT_EQ(clicked->selectionStart(), 0);

  // A field outside the grid keeps the ordinary click: a caret, no selection.
  form->sheet().field("Text17").setText(u"林场一号");
  QTest::mouseClick(edit("Text17"), Qt::LeftButton, {}, QPoint(30, 10));
  ASSERT_EQ(focusName(), "Text17");
  EXPECT_FALSE(edit("Text17")->hasSelectedText());
}

TEST_F(Form1Test, ChangingACountClearsTheRowVolumeWithoutACalculation) {
  struct Row {
    const char* what;
    QString text;
    bool keystrokes;  // false: the whole text arrives at once, as by pasting
    bool volumeStays;
  };
  const Row rows[] = {
      {"typed 0", "0", true, false},    {"typed 3", "3", true, true},         {"typed 12", "12", true, true},
      {"typed -2", "-2", true, false},  {"typed blank 5", " 5", true, false}, {"deleted", "", true, false},
      {"pasted 00", "00", false, true}, {"pasted 0.5", "0.5", false, true},
  };
  QLineEdit* count = cell(9, 1);  // diameter 20 in group 0, length 4
  QLineEdit* volume = cell(9, 2);
  for (const Row& r : rows) {
    form->sheet().field("Text9", 1).setText(u"3");
    click("Command7");
    ASSERT_EQ(volume->text(), "0.4800") << r.what;
    if (r.keystrokes) {
      retype(count, r.text);
    } else {
      count->setFocus();
      count->selectAll();
      count->insert(r.text);
    }
    EXPECT_EQ(count->text(), r.text) << r.what;
    EXPECT_EQ(volume->text(), r.volumeStays ? "0.4800" : "") << r.what;
    EXPECT_EQ(u8(form->sheet().field("Text9", 2).text()), volume->text().toStdString()) << r.what;
  }
}

TEST_F(Form1Test, CalculateAndClearButtonsDriveTheSheet) {
  retype(cell(9, 1), "3");  // 3 pieces of diameter 20
  retype(cell(6, 1), "2");  // 2 pieces of diameter 14
  retype(edit("Text18", 0), "800");
  retype(edit("Text15"), "6");
  click("Command7");
  EXPECT_EQ(cell(9, 2)->text(), "0.4800");
  EXPECT_EQ(cell(6, 2)->text(), "0.1660");
  EXPECT_EQ(edit("Text16", 1)->text(), "0.646");
  EXPECT_EQ(edit("Text19", 0)->text(), "516.80");
  EXPECT_EQ(edit("Text19", 2)->text(), "516.80");
  EXPECT_EQ(edit("Text16", 2)->text(), "");

  retype(cell(7, 0), "15");
  click("Command4");
  EXPECT_EQ(cell(7, 0)->text(), "16");
  EXPECT_EQ(cell(9, 1)->text(), "");
  EXPECT_EQ(cell(9, 2)->text(), "");
  EXPECT_EQ(edit("Text19", 0)->text(), "");
  EXPECT_EQ(edit("Text15")->text(), "6");
  EXPECT_EQ(edit("Text18", 0)->text(), "800");
}

TEST_F(Form1Test, OverflowIsReportedAndEveryFieldStaysAsLeft) {
  retype(cell(3, 1), "2");
  retype(edit("Text23"), "1E200");
  std::vector<std::pair<QLineEdit*, QString>> before;
  for (const layout::Control& c : form->table().controls) {
    if (auto* e = form->control<QLineEdit>(c.id)) before.emplace_back(e, e->text());
  }
  {
    testing::MessageBoxAnswerer answerer;
    click("Command7");
    ASSERT_TRUE(answerer.seen().shown);
    EXPECT_EQ(answerer.seen().title, "Quenby");
    EXPECT_EQ(answerer.seen().text, "错误 6：溢出：计算结果超出了数值范围，请检查输入的数字");
    EXPECT_EQ(answerer.seen().buttons, QMessageBox::Ok);
  }
  for (const auto& [e, text] : before) EXPECT_EQ(e->text(), text) << e->objectName().toStdString();
  EXPECT_TRUE(form->isVisible());

  // The program carries on: with a sane length the same click computes.
  retype(edit("Text23"), "4");
  click("Command7");
  EXPECT_EQ(cell(3, 2)->text(), "0.0620");  // 2 x 0.031 for diameter 8 at 4 m
}

TEST_F(Form1Test, Combo3AnnouncesTheChosenCalculator) {
  QSignalSpy chosen(form.get(), &Form1::calculatorChosen);
  auto* selector = form->control<QComboBox>({"Combo3"});
  selector->setFocus();
  QTest::keyClick(selector, Qt::Key_Down);
  ASSERT_EQ(chosen.count(), 1);
  EXPECT_EQ(chosen.at(0).at(0).toString(), "多 材 长");
  EXPECT_EQ(u8(form->sheet().field("Combo3").text()), "多 材 长");
}

}  // namespace
}  // namespace quenby
