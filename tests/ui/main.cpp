// The window tests share one QApplication; listing the tests needs none. A message box nobody
// answers fails the running test within a second.

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

#include "app/setup.h"
#include "ui_test_support.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  QApplication app(argc, argv);
  quenby::app::prepareApplication();
  quenby::testing::UnansweredBoxGuard unansweredBoxes;
  return RUN_ALL_TESTS();
}
