// The main of every GoogleTest executable: each test case runs on a program
// of its own, made before the case's fixture and destroyed after it, so no
// table, image or setting of one case reaches the next.
#include <gtest/gtest.h>

#include <memory>

#include "control/program.h"

namespace {

class FreshProgram : public ::testing::EmptyTestEventListener {
 public:
  void OnTestStart(const ::testing::TestInfo&) override {
    program_ = std::make_unique<wimmel::Program>();
  }
  void OnTestEnd(const ::testing::TestInfo&) override { program_.reset(); }

 private:
  std::unique_ptr<wimmel::Program> program_;
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new FreshProgram);
  return RUN_ALL_TESTS();
}
