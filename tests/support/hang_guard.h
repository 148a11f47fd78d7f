// Ends a test program whose call does not come back: opening a named pipe
// could wait for ever, and a hang should fail the test at once rather than
// hold the suite until ctest's own limit.
#pragma once

#include <signal.h>
#include <unistd.h>

namespace wimmel::test {

class HangGuard {
 public:
  explicit HangGuard(unsigned seconds) {
    struct sigaction action {};
    action.sa_handler = &Fire;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGALRM, &action, &previous_);
    ::alarm(seconds);
  }
  ~HangGuard() {
    ::alarm(0);
    ::sigaction(SIGALRM, &previous_, nullptr);
  }
  HangGuard(const HangGuard&) = delete;
  HangGuard& operator=(const HangGuard&) = delete;

 private:
  static void Fire(int) {
    static const char kMessage[] = "\nFAILED: a call did not return in time (hang)\n";
    (void)!::write(2, kMessage, sizeof kMessage - 1);
    ::_exit(1);
  }
  struct sigaction previous_ {};
};

}  // namespace wimmel::test
