#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "common/testenv.h"

int main(int argc, char** argv) {
  testenv::Setup();
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
