#pragma once
// The settings loader's rule that a failing step is skipped and the load goes
// on. What was skipped is kept, so that a programming error (an index out of
// range, a bad conversion) cannot hide behind the rule: the native tests
// check after every test that no step of a load was skipped.
#include <exception>
#include <string>
#include <vector>

namespace tessara {

class LoadSteps {
 public:
  // Runs one step; an exception ends that step only.
  template <typename Step>
  void run(const char* name, Step&& step) noexcept {
    try {
      step();
    } catch (const std::exception& error) {
      record(name, error.what());
    } catch (...) {
      record(name, "unknown error");
    }
  }

  // "step: what went wrong", oldest first; kept until cleared.
  const std::vector<std::string>& skipped() const { return skipped_; }
  void clearSkipped() { skipped_.clear(); }

 private:
  void record(const char* name, const char* what) noexcept;

  std::vector<std::string> skipped_;
};

}  // namespace tessara
