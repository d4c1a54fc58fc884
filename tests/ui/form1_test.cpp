// Form1 on the offscreen platform: the fresh sheet, geometry, focus chain, row moves, whole-text
// selection, the change rules reaching the widgets, the buttons, and an arithmetic error.

#include "logtally/form1.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <iterator>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "calc/numeric_text.h"
#include "support/utf.h"
#include "ui_test_support.h"
#include "windows/calculators.h"

namespace quenby {
namespace {

std::string cellName(int row, int index) {
  return "Text" + std::to_string(row) + "(" + std::to_string(index) + ")";
}

class Form1Test : public ::testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<Form1>(ExportServices{}, app::selectorEntries());
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  }

  QLineEdit* edit(std::string_view name, int index = -1) { return form->control<QLineEdit>({name, index}); }
  QLineEdit* cell(int row, int index) {
    const std::string name = "Text" + std::to_string(row);
    return edit(name, index);
  }
  std::string focusName() const { return testing::focusName(*form); }
  void click(std::string_view button) { QTest::mouseClick(form->control({button}), Qt::LeftButton); }
  void retype(QLineEdit* target, const QString& keys) { testing::retype(target, keys); }

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
    ASSERT_NE(w, nullptr) << toString({r.name, r.index});
    EXPECT_EQ(w->geometry(), r.pixels) << toString({r.name, r.index});
  }
  EXPECT_LT(edit("Text16", 5)->x(), edit("Text16", 4)->x());
}

// Counts group by group (length, fourteen counts, unit price), the diameter columns, the bill
// header fields, the volume columns and the other computed fields, the buttons, the remaining bill
// fields and the combo boxes.
const char kTabOrder[] =
    "Text23 "
    "Text1(1) Text2(1) Text3(1) Text4(1) Text5(1) Text6(1) Text7(1) "
    "Text8(1) Text9(1) Text10(1) Text11(1) Text12(1) Text13(1) Text14(1) "
    "Text18(0) Text15 "
    "Text1(4) Text2(4) Text3(4) Text4(4) Text5(4) Text6(4) Text7(4) "
    "Text8(4) Text9(4) Text10(4) Text11(4) Text12(4) Text13(4) Text14(4) "
    "Text18(1) Text26 "
    "Text1(7) Text2(7) Text3(7) Text4(7) Text5(7) Text6(7) Text7(7) "
    "Text8(7) Text9(7) Text10(7) Text11(7) Text12(7) Text13(7) Text14(7) "
    "Text18(2) Text21 "
    "Text1(10) Text2(10) Text3(10) Text4(10) Text5(10) Text6(10) Text7(10) "
    "Text8(10) Text9(10) Text10(10) Text11(10) Text12(10) Text13(10) Text14(10) "
    "Text18(3) "
    "Text1(0) Text2(0) Text3(0) Text4(0) Text5(0) Text6(0) Text7(0) "
    "Text8(0) Text9(0) Text10(0) Text11(0) Text12(0) Text13(0) Text14(0) "
    "Text1(3) Text2(3) Text3(3) Text4(3) Text5(3) Text6(3) Text7(3) "
    "Text8(3) Text9(3) Text10(3) Text11(3) Text12(3) Text13(3) Text14(3) "
    "Text1(6) Text2(6) Text3(6) Text4(6) Text5(6) Text6(6) Text7(6) "
    "Text8(6) Text9(6) Text10(6) Text11(6) Text12(6) Text13(6) Text14(6) "
    "Text1(9) Text2(9) Text3(9) Text4(9) Text5(9) Text6(9) Text7(9) "
    "Text8(9) Text9(9) Text10(9) Text11(9) Text12(9) Text13(9) Text14(9) "
    "Text17 Text27 Text25 Text20 "
    "Text1(2) Text2(2) Text3(2) Text4(2) Text5(2) Text6(2) Text7(2) "
    "Text8(2) Text9(2) Text10(2) Text11(2) Text12(2) Text13(2) Text14(2) "
    "Text1(5) Text2(5) Text3(5) Text4(5) Text5(5) Text6(5) Text7(5) "
    "Text8(5) Text9(5) Text10(5) Text11(5) Text12(5) Text13(5) Text14(5) "
    "Text1(8) Text2(8) Text3(8) Text4(8) Text5(8) Text6(8) Text7(8) "
    "Text8(8) Text9(8) Text10(8) Text11(8) Text12(8) Text13(8) Text14(8) "
    "Text1(11) Text2(11) Text3(11) Text4(11) Text5(11) Text6(11) Text7(11) "
    "Text8(11) Text9(11) Text10(11) Text11(11) Text12(11) Text13(11) Text14(11) "
    "Text16(0) Text16(1) Text16(2) Text16(3) Text16(5) Text16(4) Text16(6) Text16(7) "
    "Text19(0) Text19(1) Text19(5) Text19(6) Text19(4) Text19(3) Text19(2) Text28 Text29 "
    "Command7 Command4 Command3 Command2 Command6 Command1 "
    "Text22 Text24 Combo4 Combo2 Combo5 Combo1 Combo3";

std::vector<std::string> words(const std::string& text) {
  std::istringstream in(text);
  return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

TEST_F(Form1Test, TabWalksTheFocusChainAndComesBackToText23) {
  const std::vector<std::string> expected = words(kTabOrder);
  ASSERT_EQ(expected.size(), 210u);
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
    const char* what;
    int row, index;
    Qt::Key key;
    int expectedIndex;
  };
  const Row rows[] = {
      {"Down from the last cell of a row wraps to the first", 5, 11, Qt::Key_Down, 0},
      {"Up from the first cell of a row wraps to the last", 11, 0, Qt::Key_Up, 11},
      {"Up moves one cell back", 1, 5, Qt::Key_Up, 4},
      {"Down moves on into the next group", 3, 2, Qt::Key_Down, 3},
      {"Down in the last row", 14, 10, Qt::Key_Down, 11},
  };
  for (const Row& r : rows) {
    cell(r.row, r.index)->setFocus();
    QTest::keyClick(cell(r.row, r.index), r.key);
    EXPECT_EQ(focusName(), cellName(r.row, r.expectedIndex))
        << r.what << ": from " << cellName(r.row, r.index);
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

TEST_F(Form1Test, MinimisedWindowComesBackAtItsFixedSize) {
  click("Command2");
  EXPECT_TRUE(form->isMinimized());
  // A resize the fixed-size constraints do not stop, made while the window is down.
  form->setMinimumSize(0, 0);
  form->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  form->resize(300, 200);
  QCoreApplication::processEvents();
  ASSERT_EQ(form->size(), QSize(300, 200));
  form->showNormal();
  QCoreApplication::processEvents();
  EXPECT_FALSE(form->isMinimized());
  EXPECT_EQ(form->size(), QSize(727, 646));
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
