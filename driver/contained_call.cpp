#include "driver/contained_call.h"

#include <iostream>
#include <sstream>

#include "driver/console.h"

namespace {
struct Stopped {};

// Standard output into a text, the quit hook thrown through, until the scope ends however it
// ends.
class Containment {
 public:
  Containment() : console_(std::cout.rdbuf(text_.rdbuf())) {
    SetQuitHook([] { throw Stopped{}; });
    std::cin.clear(std::ios::eofbit);
  }
  ~Containment() {
    std::cout.rdbuf(console_);
    SetQuitHook(nullptr);
  }
  Containment(const Containment&) = delete;
  Containment& operator=(const Containment&) = delete;
  std::string text() const { return text_.str(); }

 private:
  std::ostringstream text_;
  std::streambuf* console_;
};
}  // namespace

ContainedRun RunContained(const std::function<void()>& steps) {
  ContainedRun run;
  Containment containment;
  try {
    steps();
  } catch (const Stopped&) {
    run.stopped = true;
  }
  run.console = containment.text();
  return run;
}
