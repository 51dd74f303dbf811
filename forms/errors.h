// Runtime errors as the classic forms runtime numbered them, and resume-next.
#pragma once

#include <stdexcept>
#include <string>

namespace forms {

class RuntimeError : public std::runtime_error {
 public:
  RuntimeError(int number, const std::string& description)
      : std::runtime_error(description), number_(number) {}
  int number() const { return number_; }
  std::string description() const { return what(); }

 private:
  int number_;
};

// Thrown only by hosts whose Terminate cannot end the process (the headless host): it unwinds the
// running handler to the event pump. It is no RuntimeError, so resume-next never swallows it.
struct Terminated {};

namespace err {
RuntimeError invalidProcedureCall();          // 5
RuntimeError overflow();                      // 6
RuntimeError typeMismatch();                  // 13
RuntimeError fileNotFound();                  // 53
RuntimeError permissionDenied();              // 70
RuntimeError elementDoesNotExist(int index);  // 340
RuntimeError objectAlreadyLoaded();           // 360
RuntimeError invalidPropertyValue();          // 380
}  // namespace err

// Runs each statement in turn; one that raises a RuntimeError is skipped and the next one runs,
// as a handler in resume-next mode does. Terminate and other exceptions pass through.
template <class... Statements>
void resumeNext(Statements&&... statements) {
  auto run = [](auto&& statement) {
    try {
      statement();
    } catch (const RuntimeError&) {
    }
  };
  (run(statements), ...);
}

}  // namespace forms
