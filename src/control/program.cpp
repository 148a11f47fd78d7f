#include "control/program.h"

namespace wimmel {

Program::Program(std::unique_ptr<rt::Display> display) : runtime_(std::move(display)) {}

}  // namespace wimmel
