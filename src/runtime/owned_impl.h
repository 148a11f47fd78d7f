// Owned's constructor and destructor. Only a module's own .cpp includes this,
// after defining its state struct, and instantiates Owned for it:
//
//   template class wimmel::Owned<wimmel::windows::Table>;
#pragma once

#include <cstdio>
#include <cstdlib>

#include "runtime/owned.h"

namespace wimmel {

template <class State>
Owned<State>::Owned() : state_(std::make_unique<State>()) {
  // A second owner would leave the first one's procedures working on the
  // wrong tables; that is a mistake in the program, not a run-time event.
  if (current_ != nullptr) {
    std::fputs("wimmel: a module's state was created twice\n", stderr);
    std::abort();
  }
  current_ = state_.get();
}

template <class State>
Owned<State>::~Owned() {
  // The state goes first: freeing its images still goes through the
  // runtime, never through this module's procedures.
  state_.reset();
  current_ = nullptr;
}

}  // namespace wimmel
