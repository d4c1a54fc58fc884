// The message box helpers every window test relies on: a box shown at the address of one answered
// before is a new box, and a box nobody answers fails the test quickly instead of hanging it.

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <optional>

#include "ui_test_support.h"

namespace quenby {
namespace {

TEST(MessageBoxAnswerer, AnswersANewBoxAtTheAddressOfOneItAnswered) {
  testing::MessageBoxAnswerer answerer;
  std::optional<QMessageBox> box;  // one storage, so both boxes have the same address
  for (const QString& text : {QStringLiteral("第一个"), QStringLiteral("第二个")}) {
    box.emplace(QMessageBox::NoIcon, QStringLiteral("Quenby"), text, QMessageBox::Ok);
    QElapsedTimer shown;
    shown.start();
    box->exec();
    EXPECT_LT(shown.elapsed(), 500) << text.toStdString();
    box.reset();
  }
  ASSERT_EQ(answerer.all().size(), 2u);
  EXPECT_EQ(answerer.all()[0].text, "第一个");
  EXPECT_EQ(answerer.all()[1].text, "第二个");
}

TEST(UnansweredBoxGuard, FailsTheTestAndClosesTheBoxWithinASecondOrSo) {
  ::testing::TestPartResultArray failures;
  QElapsedTimer shown;
  {
    ::testing::ScopedFakeTestPartResultReporter intercept(
        ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Quenby"), QStringLiteral("没人回答的消息"),
                    QMessageBox::Ok);
    shown.start();
    box.exec();
  }
  EXPECT_GE(shown.elapsed(), testing::UnansweredBoxGuard::kPatienceMs);
  EXPECT_LT(shown.elapsed(), 3000);
  ASSERT_EQ(failures.size(), 1);
  EXPECT_TRUE(failures.GetTestPartResult(0).nonfatally_failed());
  EXPECT_NE(std::string(failures.GetTestPartResult(0).message()).find("没人回答的消息"), std::string::npos);
}

}  // namespace
}  // namespace quenby
