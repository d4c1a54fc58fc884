// The window tests share one QApplication; listing the tests needs none.

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

#include "app/application.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  QApplication app(argc, argv);
  quenby::app::prepareApplication();
  return RUN_ALL_TESTS();
}
