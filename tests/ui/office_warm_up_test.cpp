// The office started ahead from the application's side: nothing is asked for with the program, the
// first key or click in a sheet window asks for the office, input to other windows does not; and
// the switches that turn pre-starting off and shorten the idle time.

#include "office_loading/office_warm_up.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

#include "ui_test_support.h"
#include "windows/calculators.h"

namespace quenby {
namespace {

using app::Calculators;

// Counts the offices asked for.
struct CountingOffices final : OfficeSupply {
  int touches = 0;
  void touch() override { ++touches; }
  std::unique_ptr<SpreadsheetHost> newHost() override { return nullptr; }
};

TEST(OfficeWarmUp, TheFirstKeyOrClickInASheetWindowAsksForTheOfficeAndNothingElseDoes) {
  struct Row {
    const char* name;
    bool sheetWindow;
    bool key;
  };
  for (const Row& row :
       {Row{"a key in a field of Form1", true, true}, Row{"a click on Form1", true, false},
        Row{"a key in another window", false, true}, Row{"a click in another window", false, false}}) {
    SCOPED_TRACE(row.name);
    CountingOffices offices;
    app::OfficeWarmUp warmUp(offices);
    Calculators calculators(ExportServices{}, [](const QUrl&) {});
    QWidget* form1 = calculators.window(Calculators::LogTally);
    form1->show();
    QLineEdit other;
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form1));
    QTest::qWait(50);
    EXPECT_EQ(offices.touches, 0) << "asked for with the program";
    QWidget* target = row.sheetWindow ? form1->findChild<QLineEdit*>() : &other;
    if (row.key) {
      QTest::keyClick(target, Qt::Key_5);
    } else {
      QTest::mouseClick(target, Qt::LeftButton);
    }
    EXPECT_EQ(offices.touches, row.sheetWindow ? 1 : 0);
  }
}

TEST(OfficeWarmUp, PrestartIsOffByEnvironmentOrSettingAndTheIdleTimeShortens) {
  QTemporaryDir config;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
  testing::ScopedDesktop desktop;
  struct Row {
    const char* name;
    std::optional<QString> prestart;  // QUENBY_PRESTART
    std::optional<bool> setting;      // office/prestart in Quenby.conf
    std::optional<QString> idle;      // QUENBY_OFFICE_IDLE_SECONDS
    bool on;
    int idleSeconds;
  };
  for (const Row& row : {Row{"nothing said", {}, {}, {}, true, 300},
                         Row{"QUENBY_PRESTART=0", QStringLiteral("0"), {}, {}, false, 0},
                         Row{"prestart=false in the settings", {}, false, {}, false, 0},
                         Row{"prestart=true in the settings", QStringLiteral("1"), true, {}, true, 300},
                         Row{"idle time shortened", {}, {}, QStringLiteral("2"), true, 2}}) {
    SCOPED_TRACE(row.name);
    desktop.set("QUENBY_PRESTART", row.prestart);
    desktop.set("QUENBY_OFFICE_IDLE_SECONDS", row.idle);
    {
      QSettings settings(QStringLiteral("Quenby"), QStringLiteral("Quenby"));
      settings.clear();
      if (row.setting) settings.setValue(QStringLiteral("office/prestart"), *row.setting);
    }
    const OfficeSupplySettings settings = app::officeSettings();
    EXPECT_EQ(settings.startAhead, row.on);
    if (settings.startAhead) {
      EXPECT_EQ(std::chrono::duration_cast<std::chrono::seconds>(settings.idleTime).count(), row.idleSeconds);
    }
  }
  QSettings(QStringLiteral("Quenby"), QStringLiteral("Quenby")).clear();
}

}  // namespace
}  // namespace quenby
