// An export as the user lives it while the office works on a thread of its own: no window of the
// program takes a click, a key or a close until the click is over, and nothing queued meanwhile
// fires after it; a stalled export shows its progress window with the step it is stuck on and a
// fast one shows none; 取消 and Escape (wherever the focus is) end the export before the save without a box,
// a restart or a save, and the next export works; during the save 取消 is greyed out and the save completes.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "application_test_support.h"
#include "logtally/form1.h"
#include "multilength/form2.h"
#include "recording_host.h"
#include "sawn/form3.h"
#include "shell/export_progress_window.h"
#include "support/sheet_texts.h"
#include "ui_test_support.h"
#include "windows/calculators.h"

namespace quenby {
namespace {

using app::Calculators;
using std::chrono::milliseconds;
using testing::Recording;

ExportProgressWindow* progressWindow() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* p = qobject_cast<ExportProgressWindow*>(w); p && p->isVisible()) return p;
  return nullptr;
}
QString progressText(ExportProgressWindow* w) { return w->findChild<QLabel*>()->text(); }
QPushButton* cancelButton(ExportProgressWindow* w) { return w->findChild<QPushButton*>(); }

void postClick(QWidget* target) {
  const QPoint centre = target->rect().center();
  const QPoint global = target->mapToGlobal(centre);
  QCoreApplication::postEvent(target, new QMouseEvent(QEvent::MouseButtonPress, centre, global,
                                                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
  QCoreApplication::postEvent(target, new QMouseEvent(QEvent::MouseButtonRelease, centre, global,
                                                      Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
}

// While Form2 exports, every window is clicked, typed into and closed, at once and queued for
// later: the selector, going back, quitting, another window's export, a second export.
TEST(ExportInput, NoWindowTakesInputWhileAnExportRunsAndNothingFiresLate) {
  Recording rec;
  Calculators calculators(testing::recordingServices(rec), [](const QUrl&) {});
  QSignalSpy quits(&calculators, &Calculators::quitRequested);
  auto* form1 = static_cast<Form1*>(calculators.window(Calculators::LogTally));
  form1->show();
  calculators.switchTo(QStringLiteral("锯材计算"));
  calculators.switchTo(QStringLiteral("多 材 长"));
  auto* form2 = static_cast<Form2*>(calculators.window(Calculators::MultiLength));
  auto* form3 = static_cast<Form3*>(calculators.window(Calculators::SawnTimber));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form2));
  const auto before1 = fieldTexts(form1->sheet()), before2 = fieldTexts(form2->sheet()),
             before3 = fieldTexts(form3->sheet());
  QWidget* selector = form1->control({"Combo3"});
  rec.duringFirstWrite = [&] {
    for (QWidget* target :
         {form2->control({"Command6"}), form2->control({"Command3"}), form2->control({"Command2"}),
          form3->control({"Command4"}), form3->control({"Command5"}), form1->control({"Command6"}),
          form1->control({"Command3"}), selector}) {
      QTest::mouseClick(target, Qt::LeftButton);
      postClick(target);
    }
    QTest::keyClick(selector, Qt::Key_Down);
    QTest::keyClicks(form2->control({"Text1", 0}), QStringLiteral("7"));
    QTest::keyClicks(form3->control({"Text1", 0}), QStringLiteral("8"));
    QCoreApplication::postEvent(
        form2->control({"Text1", 0}),
        new QKeyEvent(QEvent::KeyPress, Qt::Key_9, Qt::NoModifier, QStringLiteral("9")));
    for (QWidget* window :
         {static_cast<QWidget*>(form1), static_cast<QWidget*>(form2), static_cast<QWidget*>(form3)})
      window->close();
  };

  testing::MessageBoxAnswerer answerer;
  QTest::mouseClick(form2->control({"Command2"}), Qt::LeftButton);
  QCoreApplication::processEvents();
  EXPECT_EQ(answerer.all().size(), 1u);  // the reminder only
  EXPECT_EQ(rec.instances, 1);
  EXPECT_EQ(rec.shown, 1);
  EXPECT_EQ(quits.count(), 0);
  EXPECT_EQ(testing::visible(calculators), std::vector<std::string>{"Form2"});
  EXPECT_EQ(form3->exportCount().value(), 0);
  EXPECT_EQ(fieldTexts(form1->sheet()), before1);
  EXPECT_EQ(fieldTexts(form2->sheet()), before2);
  EXPECT_EQ(fieldTexts(form3->sheet()), before3);

  // The click is over: the windows take input again.
  QTest::keyClicks(form2->control({"Text1", 0}), QStringLiteral("6"));
  EXPECT_EQ(u8(form2->sheet().line(0).length.text()), "6");
  QTest::mouseClick(form2->control({"Command6"}), Qt::LeftButton);
  EXPECT_EQ(testing::visible(calculators), std::vector<std::string>{"Form1"});
}

class ProgressWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    services = testing::recordingServices(rec);
    services.progressDelay = milliseconds(100);
  }
  void exportWith(ExportServices s) {
    form = std::make_unique<Form1>(std::move(s));
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    QTest::mouseClick(form->control({"Command3"}), Qt::LeftButton);
  }

  Recording rec;
  ExportServices services;
  std::unique_ptr<Form1> form;
};

TEST_F(ProgressWindowTest, AStalledExportShowsWhatItIsStuckOnAndAFastOneShowsNothing) {
  bool seenWhileStalled = false;
  rec.duringFirstWrite = [&] {
    // The office does not answer the first cell write: the window appears after its delay.
    QTest::qWaitFor([] { return progressWindow() != nullptr; }, 5000);
    ExportProgressWindow* window = progressWindow();
    ASSERT_NE(window, nullptr) << "no progress window";
    seenWhileStalled = true;
    EXPECT_EQ(progressText(window), "正在写入第 1 / 203 个单元格…");
    EXPECT_EQ(window->windowTitle(), "导出账单");
    EXPECT_EQ(window->findChild<QProgressBar*>()->maximum(), 203);  // cells written of all
    EXPECT_TRUE(cancelButton(window)->isEnabled());
    EXPECT_EQ(cancelButton(window)->text(), "取消");
  };
  testing::MessageBoxAnswerer answerer;
  exportWith(services);
  EXPECT_TRUE(seenWhileStalled);
  EXPECT_EQ(progressWindow(), nullptr) << "left open after the export";
  EXPECT_EQ(rec.saves, 1);

  // With the real delay of a second, an export that is over sooner shows no window at all.
  struct ShowWatch : QObject {
    int shown = 0;
    bool eventFilter(QObject* o, QEvent* e) override {
      if (e->type() == QEvent::Show && qobject_cast<ExportProgressWindow*>(o)) ++shown;
      return false;
    }
  } watch;
  qApp->installEventFilter(&watch);
  services.progressDelay = ExportServices{}.progressDelay;
  exportWith(services);
  qApp->removeEventFilter(&watch);
  EXPECT_EQ(watch.shown, 0);
  EXPECT_EQ(rec.saves, 2);
}

enum class Way { Click, EscapeInIt, EscapeInTheSheetWindow };
struct CancelWay {
  const char* name;
  Way way;
};
void PrintTo(const CancelWay& way, std::ostream* os) { *os << way.name; }

class CancelInTheWindow : public ProgressWindowTest, public ::testing::WithParamInterface<CancelWay> {};

TEST_P(CancelInTheWindow, EndsTheExportWithoutABoxARestartOrASave) {
  rec.duringFirstWrite = [&] {
    QTest::qWaitFor([] { return progressWindow() != nullptr; }, 5000);
    ExportProgressWindow* window = progressWindow();
    ASSERT_NE(window, nullptr);
    switch (GetParam().way) {
      case Way::Click:
        QTest::mouseClick(cancelButton(window), Qt::LeftButton);
        break;
      case Way::EscapeInIt:
        QTest::keyClick(window, Qt::Key_Escape);
        break;
      case Way::EscapeInTheSheetWindow:  // where a click left the focus
        QTest::keyClick(form->control({"Text17"}), Qt::Key_Escape);
        break;
    }
    EXPECT_EQ(rec.interrupts, 1) << "the office was not ended";
    EXPECT_FALSE(cancelButton(window)->isEnabled());
  };
  testing::MessageBoxAnswerer answerer;
  exportWith(services);
  EXPECT_EQ(answerer.all().size(), 1u);  // the reminder, and no box after the cancel
  EXPECT_EQ(rec.instances, 1);           // Form1 restarts a failed export, not a cancelled one
  EXPECT_EQ(rec.saves, 0);
  EXPECT_EQ(rec.shown, 0);
  EXPECT_LT(rec.writes.size(), 203u);

  testing::MessageBoxAnswerer next;
  QTest::mouseClick(form->control({"Command3"}), Qt::LeftButton);
  EXPECT_TRUE(next.all().empty());
  EXPECT_EQ(rec.saves, 1);
  EXPECT_EQ(rec.shown, 1);
}

INSTANTIATE_TEST_SUITE_P(ProgressWindow, CancelInTheWindow,
                         ::testing::Values(CancelWay{"Click", Way::Click},
                                           CancelWay{"Escape", Way::EscapeInIt},
                                           CancelWay{"EscapeInTheSheetWindow", Way::EscapeInTheSheetWindow}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProgressWindowTest, DuringTheSaveCancelIsGreyedOutAndTheSaveCompletes) {
  rec.duringSave = [&] {
    QTest::qWaitFor([] { return progressWindow() != nullptr; }, 5000);
    ExportProgressWindow* window = progressWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(progressText(window), "正在保存账单…");
    EXPECT_EQ(window->findChild<QProgressBar*>()->maximum(), 0);  // busy
    EXPECT_FALSE(cancelButton(window)->isEnabled());
    QTest::mouseClick(cancelButton(window), Qt::LeftButton);
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_EQ(rec.interrupts, 0);
  };
  testing::MessageBoxAnswerer answerer;
  exportWith(services);
  EXPECT_EQ(answerer.all().size(), 1u);
  EXPECT_EQ(rec.saves, 1);
  EXPECT_EQ(rec.shown, 1);
}

// Faults: the PDF's step unnamed (the window would still say it saves), or 取消 taken again while
// the PDF is made after the save.
TEST_F(ProgressWindowTest, WhileThePdfIsMadeTheWindowSaysSoAndCancelStaysGreyedOut) {
  QTemporaryDir pdfs;
  rec.pdfText = "%PDF-1.6";
  services.pdfRequest = [&]() -> std::optional<PdfRequest> {
    const std::string root = pdfs.path().toStdString();
    return PdfRequest{root, root + "/2026-03", "单"};
  };
  rec.duringPdf = [&] {
    QTest::qWaitFor([] { return progressWindow() != nullptr; }, 5000);
    ExportProgressWindow* window = progressWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(progressText(window), "正在生成 PDF…");
    EXPECT_FALSE(cancelButton(window)->isEnabled());
    QTest::mouseClick(cancelButton(window), Qt::LeftButton);
    EXPECT_EQ(rec.interrupts, 0);
  };
  testing::MessageBoxAnswerer answerer;
  exportWith(services);
  EXPECT_EQ(answerer.all().size(), 1u);
  EXPECT_EQ(rec.shown, 1);
  EXPECT_TRUE(QFileInfo::exists(pdfs.filePath(QStringLiteral("2026-03/单.pdf"))));
}

}  // namespace
}  // namespace quenby
