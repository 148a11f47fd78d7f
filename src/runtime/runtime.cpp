// The runtime's state: made and torn down by Runtime.
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "runtime/internal.h"
#include "runtime/owned_impl.h"

namespace wimmel {

template class Owned<rt::detail::RuntimeState>;

namespace rt {

using namespace detail;

Runtime::OnlyOne::OnlyOne() {
  if (RuntimeOwner::Find() != nullptr) {
    // Two runtimes would share one screen lock's users and one display.
    std::fputs("wimmel: a second runtime was created\n", stderr);
    std::abort();
  }
}

Runtime::Runtime(std::unique_ptr<Display> display, std::unique_ptr<AudioDevice> audio) {
  RuntimeState& state = State();
  state.display = display ? std::move(display) : MakeHeadlessDisplay(HeadlessConfig{});
  state.audio = std::move(audio);
}

Runtime::~Runtime() {
  // The devices go first: a display thread still uses the screen and the
  // input below until it has stopped. The state itself goes after this,
  // with state_.
  RuntimeState& state = State();
  state.audio.reset();
  state.display.reset();
  CloseAllFiles();
  RestoreTerminal();
  CloseScreen();
}

}  // namespace rt

}  // namespace wimmel
