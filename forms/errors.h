// Runtime errors as the classic forms runtime numbered them, and resume-next.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace forms {

// Its own string rather than std::runtime_error's: that one brings the C++ runtime's second
// (copy-on-write) string implementation into every program that raises an error.
class RuntimeError : public std::exception {
 public:
  RuntimeError(int number, std::string description)
      : description_(std::move(description)), number_(number) {}
  [[nodiscard]] int number() const { return number_; }
  [[nodiscard]] std::string description() const { return description_; }
  [[nodiscard]] const char* what() const noexcept override { return description_.c_str(); }

 private:
  std::string description_;
  int number_;
};

// Thrown only by hosts whose Terminate cannot end the process (the headless host): it unwinds the
// running handler to the event pump. It is no RuntimeError, so resume-next never swallows it.
struct Terminated {};

namespace err {
RuntimeError invalidProcedureCall();          // 5
RuntimeError overflow();                      // 6
RuntimeError outOfMemory();                   // 7
RuntimeError typeMismatch();                  // 13
RuntimeError internalError();                 // 51
RuntimeError fileNotFound();                  // 53
RuntimeError deviceIoError();                 // 57
RuntimeError tooManyFiles();                  // 67
RuntimeError permissionDenied();              // 70
RuntimeError elementDoesNotExist(int index);  // 340
RuntimeError objectAlreadyLoaded();           // 360
RuntimeError invalidPropertyValue();          // 380
RuntimeError invalidPicture();                // 481
}  // namespace err

// Runs each statement in turn; one that raises a RuntimeError is skipped and the next one runs,
// as a handler in resume-next mode does. Terminate and other exceptions pass through.
template <class... Statements>
void resumeNext(Statements&&... statements) {
  auto run = [](auto&& statement) {
    try {
      statement();
    } catch (const RuntimeError&) {
      // Swallowed: the failed statement is skipped and the next one runs.
    }
  };
  (run(statements), ...);
}

}  // namespace forms
