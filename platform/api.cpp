#include "platform/api.h"

namespace platform {

forms::RuntimeError laterStartFailure(int exitCode) {
  if (exitCode == 53) return forms::err::fileNotFound();
  if (exitCode == 70) return forms::err::permissionDenied();
  return forms::err::invalidProcedureCall();
}

std::u16string unhandledErrorText(const forms::RuntimeError& error) {
  return u"Run-time error '" + forms::integerToText(static_cast<std::int16_t>(error.number())) +
         u"':\n\n" + forms::fromUtf8(error.description());
}

}  // namespace platform
