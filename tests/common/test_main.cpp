#include <gtest/gtest.h>

#include "common/testenv.h"

int main(int argc, char** argv) {
  testenv::Setup();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
