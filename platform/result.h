// The outcome of a platform call that can fail: ok, or the text that explains the failure to a
// person (which file, which line, what the system said).
#pragma once

#include <string>
#include <utility>

namespace device {

class [[nodiscard]] Result {
 public:
  // Ok.
  Result() = default;
  // A failure; `problem` may be empty when nothing more is known than that it failed.
  static Result failure(std::string problem) {
    Result r;
    r.failed_ = true;
    r.problem_ = std::move(problem);
    return r;
  }

  bool ok() const { return !failed_; }
  explicit operator bool() const { return ok(); }
  // Empty when ok.
  const std::string& problem() const { return problem_; }

 private:
  bool failed_ = false;
  std::string problem_;
};

}  // namespace device
