// The store tests: a QCoreApplication for Qt SQL's driver plugin, and a mount namespace of the
// process's own (entered before any thread starts) for the tests that mount a tmpfs.

#include <gtest/gtest.h>

#include <QCoreApplication>

namespace quenby::store::testing {
void enterMountNamespace();
}

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  quenby::store::testing::enterMountNamespace();
  QCoreApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
