// The shared window machinery on a small window of its own: bindings both ways, the focus chain,
// the error guard, dragging by the background and the fixed size.

#include "shell/sheet_window.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QResizeEvent>
#include <QTest>
#include <memory>
#include <stdexcept>

#include "calc/error.h"
#include "calc/numeric_text.h"
#include "export/export_error.h"
#include "sheet/sheet.h"
#include "shell/picture_button.h"
#include "support/utf.h"
#include "ui_test_support.h"

namespace quenby {
namespace {

using layout::Face;
using layout::Kind;

const layout::Window& probeTable() {
  static const layout::Window table = [] {
    layout::Window w;
    w.clientWidth = 3000;
    w.clientHeight = 1800;
    w.caption = "Probe";
    w.controls = {
        {.kind = Kind::Label,
         .id = {"Label1"},
         .rect = {150, 150, 900, 255},
         .caption = "名称",
         .align = layout::Align::Center},
        {.kind = Kind::TextField,
         .id = {"Text1"},
         .rect = {1200, 150, 1500, 315},
         .fontFamily = "黑体",
         .fontPoints = 12,
         .red = true,
         .align = layout::Align::Right},
        {.kind = Kind::ComboBox,
         .id = {"Combo1"},
         .rect = {150, 600, 900, 300},
         .items = {"甲", "乙", "丙", "Alpha"}},
        {.kind = Kind::TextField, .id = {"Text2"}, .rect = {1200, 600, 1500, 315}},
        {.kind = Kind::PictureButton,
         .id = {"Command1"},
         .rect = {150, 1050, 1215, 500},
         .caption = "计 算",
         .face = Face::BlueWhite},
        {.kind = Kind::Label,
         .id = {"Label2"},
         .rect = {1500, 1050, 300, 500},
         .caption = "一段比框宽的说明"},
        {.kind = Kind::PlainButton,
         .id = {"Command2"},
         .rect = {1950, 1050, 900, 400},
         .caption = "返 回",
         .face = Face::Grey},
    };
    w.tabOrder = {{"Command1"}, {"Text2"}};
    w.initialFocus = {"Text2"};
    w.backdrop = {.title = "Probe", .bandHeight = 150, .panel = {}};
    return w;
  }();
  return table;
}

// A sheet of two fields and a combo box; Text1 clears itself when it reads "0", as the
// tally rows clear a volume without pieces.
class ProbeSheet : public Sheet {
 public:
  ProbeSheet() {
    text1.onChange([this] {
      if (text1.text() == u"0") text1.setText(u"");
    });
  }
  void calculate() override {}
  void clear() override {}

  Field& text1 = add({"Text1"});
  Field& text2 = add({"Text2"});
  Field& combo1 = add({"Combo1"}, u"乙");
  Field& unplaced = add({"Text9"});  // a field with no control of its address stays unbound
};

const SheetExport kNoExport = {};

class ProbeWindow : public shell::SheetWindow {
 public:
  ProbeWindow() : SheetWindow(probeTable()) { attach(sheet, kNoExport, {}); }
  using SheetWindow::onClick;

  ProbeSheet sheet;
  Field& text1 = sheet.text1;
  Field& text2 = sheet.text2;
  Field& combo1 = sheet.combo1;
};

class SheetWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<ProbeWindow>();
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }
  QLineEdit* edit(std::string_view name) { return window->control<QLineEdit>({name}); }
  std::string focusName() const {
    auto id = window->addressOf(QApplication::focusWidget());
    return id ? toString(*id) : "(nothing)";
  }

  std::unique_ptr<ProbeWindow> window;
};

TEST_F(SheetWindowTest, TypingWritesTheFieldAndKeepsCaretAndUndo) {
  QLineEdit* e = edit("Text2");
  e->setFocus();
  QTest::keyClicks(e, "12.5");
  EXPECT_EQ(u8(window->text2.text()), "12.5");
  EXPECT_EQ(e->cursorPosition(), 4);
  EXPECT_TRUE(e->isUndoAvailable());                   // the field's change did not write the widget back
  QTest::keyClick(e, Qt::Key_Z, Qt::ControlModifier);  // undo is the user's edit too
  EXPECT_EQ(e->text(), "");
  EXPECT_EQ(u8(window->text2.text()), "");
}

TEST_F(SheetWindowTest, FieldChangesReachTheWidgetAlsoFromNestedRules) {
  window->text2.setText(u"0.646");
  EXPECT_EQ(edit("Text2")->text(), "0.646");
  QLineEdit* e = edit("Text1");
  e->setFocus();
  QTest::keyClicks(e, "0");
  EXPECT_EQ(e->text(), "");  // the rule emptied the field inside the keystroke
  QTest::keyClicks(e, "05");
  EXPECT_EQ(e->text(), "5");
  EXPECT_EQ(u8(window->text1.text()), "5");
}

TEST_F(SheetWindowTest, ComboBoxIsBoundBothWays) {
  auto* combo = window->control<QComboBox>({"Combo1"});
  EXPECT_EQ(combo->currentText(), "乙");
  combo->setFocus();
  QTest::keyClick(combo, Qt::Key_Down);  // picks the next entry
  EXPECT_EQ(u8(window->combo1.text()), "丙");
  combo->lineEdit()->selectAll();
  combo->lineEdit()->insert("林班");  // as typed through an input method
  EXPECT_EQ(u8(window->combo1.text()), "林班");
  combo->lineEdit()->selectAll();
  QTest::keyClicks(combo->lineEdit(), "Al");
  EXPECT_EQ(combo->currentText(), "Al");  // no completion runs ahead of the field
  EXPECT_EQ(u8(window->combo1.text()), "Al");
  window->combo1.setText(u"甲");
  EXPECT_EQ(combo->currentText(), "甲");
}

TEST_F(SheetWindowTest, FocusChainFollowsTheTableThenTheRestInTableOrder) {
  std::vector<std::string> walked = {focusName()};
  for (int i = 0; i < 5; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    walked.push_back(focusName());
  }
  EXPECT_EQ(walked, (std::vector<std::string>{"Text2", "Text1", "Combo1", "Command2", "Command1", "Text2"}));
}

TEST_F(SheetWindowTest, HandlerErrorsAreReportedAndTheWindowCarriesOn) {
  struct Row {
    const char* what;
    std::function<void()> fail;
    QString message;
  };
  const Row rows[] = {
      {"project error", [] { raise(ErrorCode::Overflow); },
       "错误 6：溢出：计算结果超出了数值范围，请检查输入的数字"},
      {"other exception", [] { throw std::runtime_error("boom"); },
       QString::fromStdString("错误 51：" + standardDescription(ErrorCode::Unexpected))},
  };
  for (const Row& r : rows) {
    auto window = std::make_unique<ProbeWindow>();
    window->text2.setText(u"kept");
    window->onClick({"Command1"}, [&] {
      window->text1.setText(u"written");
      r.fail();
      window->text1.setText(u"never");
    });
    testing::MessageBoxAnswerer answerer;
    QTest::mouseClick(window->control({"Command1"}), Qt::LeftButton);
    ASSERT_TRUE(answerer.seen().shown) << r.what;
    EXPECT_EQ(answerer.seen().title, "Quenby") << r.what;
    EXPECT_EQ(answerer.seen().text, r.message) << r.what;
    EXPECT_EQ(answerer.seen().buttons, QMessageBox::Ok) << r.what;
    EXPECT_EQ(window->control<QLineEdit>({"Text1"})->text(), "written") << r.what;
    EXPECT_EQ(window->control<QLineEdit>({"Text2"})->text(), "kept") << r.what;
  }
}

TEST_F(SheetWindowTest, AnExportBrokenOffBecauseTheProgramEndsIsNotReported) {
  window->onClick({"Command1"}, [&] {
    window->text1.setText(u"written");
    throw QuenbyError(ExportError::ExportAbandoned, "Quenby 正在退出，导出已中止");
  });
  testing::MessageBoxAnswerer answerer;
  QTest::mouseClick(window->control({"Command1"}), Qt::LeftButton);
  QTest::qWait(50);
  EXPECT_TRUE(answerer.all().empty());
  EXPECT_EQ(window->control<QLineEdit>({"Text1"})->text(), "written");
}

TEST_F(SheetWindowTest, ErrorInAFieldRuleWhileTypingIsReported) {
  window->text2.onChange([] { raise(ErrorCode::DivisionByZero); });
  testing::MessageBoxAnswerer answerer;
  QLineEdit* e = edit("Text2");
  e->setFocus();
  QTest::keyClicks(e, "7");
  ASSERT_TRUE(answerer.seen().shown);
  EXPECT_EQ(answerer.seen().text, "错误 11：除数为零");
  EXPECT_EQ(e->text(), "7");
}

TEST_F(SheetWindowTest, BackgroundDragsTheWindowWithAnyButtonButControlsDoNot) {
  const QPoint background(4, 60);
  ASSERT_EQ(window->childAt(background), nullptr);
  for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
    window->move(100, 100);
    const QPoint start = window->pos();
    testing::dragFrom(window.get(), background, button, {40, 25});
    EXPECT_EQ(window->pos(), start + QPoint(40, 25)) << "button " << button;
  }
  const QPoint start = window->pos();
  testing::dragFrom(window->control({"Label1"}), {5, 5}, Qt::LeftButton, {40, 25});
  testing::dragFrom(window->control({"Command1"}), {5, 5}, Qt::RightButton, {40, 25});
  testing::dragFrom(window->control({"Text1"}), {5, 5}, Qt::LeftButton, {40, 25});
  EXPECT_EQ(window->pos(), start);
}

// Records the size of every resize event the window receives.
class ResizeLog : public QObject {
 public:
  std::vector<QSize> sizes;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Resize) sizes.push_back(static_cast<QResizeEvent*>(event)->size());
    return false;
  }
};

TEST_F(SheetWindowTest, WindowPutsItsSizeBackAfterAResize) {
  EXPECT_EQ(window->size(), QSize(200, 120));
  EXPECT_EQ(window->minimumSize(), QSize(200, 120));
  EXPECT_EQ(window->maximumSize(), QSize(200, 120));
  // Without the constraints the resize really happens; the window itself must undo it.
  window->setMinimumSize(0, 0);
  window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  ResizeLog log;
  window->installEventFilter(&log);
  window->resize(400, 50);
  QCoreApplication::processEvents();
  window->removeEventFilter(&log);
  ASSERT_FALSE(log.sizes.empty());
  EXPECT_EQ(log.sizes.front(), QSize(400, 50));
  EXPECT_EQ(window->size(), QSize(200, 120));
  EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(window->windowTitle(), "Probe");
}

TEST_F(SheetWindowTest, ControlsCarryTheirTableLook) {
  EXPECT_EQ(window->font().family(), "宋体");
  EXPECT_EQ(window->font().pointSizeF(), 9);

  auto* button = window->control<shell::PictureButton>({"Command1"});
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->face(), Face::BlueWhite);
  EXPECT_EQ(button->text(), "计 算");
  EXPECT_EQ(button->geometry(), QRect(10, 70, 81, 33));

  auto* plain = window->control<QPushButton>({"Command2"});
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->text(), "返 回");
  EXPECT_EQ(plain->palette().color(QPalette::Button), QColor(192, 192, 192));

  auto* label = window->control<QLabel>({"Label1"});
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->alignment(), Qt::AlignHCenter | Qt::AlignTop);
  EXPECT_FALSE(label->wordWrap());                               // fits its box
  EXPECT_TRUE(window->control<QLabel>({"Label2"})->wordWrap());  // wider than its box

  QLineEdit* styled = edit("Text1");
  EXPECT_EQ(styled->alignment(), Qt::AlignRight | Qt::AlignVCenter);
  EXPECT_EQ(styled->palette().color(QPalette::Text), QColor(255, 0, 0));
  EXPECT_EQ(styled->font().family(), "黑体");
  EXPECT_EQ(styled->font().pointSizeF(), 12);

  QLineEdit* plainField = edit("Text2");
  EXPECT_EQ(plainField->alignment(), Qt::AlignLeft | Qt::AlignVCenter);
  EXPECT_NE(plainField->palette().color(QPalette::Text), QColor(255, 0, 0));
  EXPECT_EQ(plainField->font().family(), "宋体");
  EXPECT_EQ(plainField->font().pointSizeF(), 9);

  auto* combo = window->control<QComboBox>({"Combo1"});
  EXPECT_EQ(combo->insertPolicy(), QComboBox::NoInsert);
  EXPECT_EQ(combo->completer(), nullptr);

  EXPECT_EQ(window->control({"Nothing"}), nullptr);
}

// The fields are white boxes on the picture whatever the desktop's colours.
TEST(SheetWindowColours, FieldsAreWhiteUnderADesktopPaletteOfOtherColours) {
  const QPalette desktop = QApplication::palette();
  QPalette grey = desktop;
  grey.setColor(QPalette::Base, QColor(60, 60, 60));
  QApplication::setPalette(grey);
  {
    ProbeWindow window;
    for (std::string_view name : {"Text1", "Text2", "Combo1"}) {
      EXPECT_EQ(window.control({name})->palette().color(QPalette::Base), QColor(255, 255, 255)) << name;
    }
  }
  QApplication::setPalette(desktop);
}

}  // namespace
}  // namespace quenby
