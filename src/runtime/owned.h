// The state of a module for as long as one owner holds it.
//
// Every module keeps what it remembers between calls (its tables, counters
// and images) in one struct. The program's owner creates these in the order
// of the layers and destroys them in reverse, and a test creates fresh ones
// for every case; the module's command procedure, which keeps the signature
// its callers use, works on the one that exists. At most one exists at a time.
//
// The struct is the module's own: its header only names it, and its .cpp
// defines it and instantiates Owned for it (see owned_impl.h), so nothing
// outside the module sees inside.
#pragma once

#include <memory>

namespace wimmel {

template <class State>
class Owned {
 public:
  Owned();
  ~Owned();
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;

  // The state of the owner alive. Only the module's own code calls these;
  // Get() requires that one exists.
  static State& Get() { return *current_; }
  static State* Find() { return current_; }

 private:
  std::unique_ptr<State> state_;
  inline static State* current_ = nullptr;
};

}  // namespace wimmel
