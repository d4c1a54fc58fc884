// A bill that another program holds: after the error box, a question. A lock that this user's
// spreadsheet left on this machine when it ended (no process holds the bill) is offered for
// removal, by default; a lock of another machine is offered for a retry by default, its removal
// only on the user's word; Escape gives up and leaves the lock; a bill that is read-only, with no
// lock, asks nothing.

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <string>

#include "logtally/form1.h"
#include "recording_host.h"
#include "ui_test_support.h"

namespace quenby {
namespace {

enum class Lock { None, ThisUserHere, OtherHost };

struct HeldCase {
  const char* name;
  Lock lock;
  Qt::Key answer;
  QStringList boxes;    // how each box's text begins
  QStringList buttons;  // of the question, sorted; empty: no question
  QString byDefault;
  bool lockRemains;
  int saves;
};
void PrintTo(const HeldCase& c, std::ostream* os) { *os << c.name; }

class BillHeldOfferTest : public ::testing::TestWithParam<HeldCase> {};

std::string lockLine(Lock lock) {
  char host[256] = {};
  ::gethostname(host, sizeof host - 1);
  const passwd* user = ::getpwuid(::geteuid());
  if (lock == Lock::ThisUserHere)
    return std::string(",") + user->pw_name + "," + host +
           ",08.12.2026 09:30,file:///home/x/.config/libreoffice/4;";
  return ",另一个用户,other-host,08.12.2026 09:30,file:///home/other/.config/libreoffice/4;";
}

TEST_P(BillHeldOfferTest, FollowsTheHeldBillError) {
  const HeldCase& c = GetParam();
  QTemporaryDir home;
  const QString bill = home.filePath(QStringLiteral("账单明细.xls"));
  const QString lock = home.filePath(QStringLiteral(".~lock.账单明细.xls#"));
  {
    QFile billFile(bill);
    ASSERT_TRUE(billFile.open(QIODevice::WriteOnly));
  }
  if (c.lock != Lock::None) {
    QFile lockFile(lock);
    ASSERT_TRUE(lockFile.open(QIODevice::WriteOnly));
    lockFile.write(QByteArray::fromStdString(lockLine(c.lock)));
  }
  testing::Recording rec;
  rec.heldOpens = 2;  // the click and its silent restart
  Form1 form(testing::recordingServices(rec, bill.toStdString()));
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

  testing::KeyAnswerer answerer(c.answer);
  QTest::mouseClick(form.control({"Command3"}), Qt::LeftButton);

  std::vector<std::string> expected;
  for (const QString& box : c.boxes) expected.push_back(box.toStdString());
  EXPECT_EQ(answerer.texts(c.boxes), expected);
  const testing::KeyAnswerer::Seen& last = answerer.seen().back();
  EXPECT_EQ(last.buttons, c.buttons);
  EXPECT_EQ(last.defaultButton, c.byDefault);
  EXPECT_EQ(QFile::exists(lock), c.lockRemains);
  EXPECT_EQ(rec.saves, c.saves);
}

const QString kReminder = QStringLiteral("每次打印前请先关闭*账单明细*");
const QString kHeld = QStringLiteral("错误 1005：");

INSTANTIATE_TEST_SUITE_P(
    BillHeldOffer, BillHeldOfferTest,
    ::testing::Values(
        HeldCase{"ALeftoverLockIsRemovedAndTheBillExported",
                 Lock::ThisUserHere,
                 Qt::Key_Return,
                 {kReminder, kHeld, QStringLiteral("账单的锁定文件是本机用户 ")},
                 {QStringLiteral("删除锁定并导出"), QStringLiteral("取消")},
                 QStringLiteral("删除锁定并导出"),
                 false,
                 1},
        HeldCase{"AnotherMachinesLockIsRetriedNotRemoved",
                 Lock::OtherHost,
                 Qt::Key_Return,
                 {kReminder, kHeld, QStringLiteral("账单由电脑“other-host”上的用户 另一个用户打开。")},
                 {QStringLiteral("删除锁定并导出"), QStringLiteral("取消"), QStringLiteral("重试")},
                 QStringLiteral("重试"),
                 true,
                 1},
        HeldCase{"EscapeGivesUpAndLeavesTheLock",
                 Lock::OtherHost,
                 Qt::Key_Escape,
                 {kReminder, kHeld, QStringLiteral("账单由电脑“other-host”上的用户 另一个用户打开。")},
                 {QStringLiteral("删除锁定并导出"), QStringLiteral("取消"), QStringLiteral("重试")},
                 QStringLiteral("重试"),
                 true,
                 0},
        HeldCase{"NoLockNoQuestion", Lock::None, Qt::Key_Return, {kReminder, kHeld}, {}, {}, false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quenby
