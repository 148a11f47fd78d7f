#include <gtest/gtest.h>

#include "control/program.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  wimmel::Program program;
  return RUN_ALL_TESTS();
}
