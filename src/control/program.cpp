#include "control/program.h"

namespace wimmel {

Program::Program(std::unique_ptr<rt::Display> display, std::unique_ptr<rt::AudioDevice> audio)
    : runtime_(std::move(display), std::move(audio)) {}

}  // namespace wimmel
