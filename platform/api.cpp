#include "platform/api.h"

namespace platform {

std::u16string unhandledErrorText(const forms::RuntimeError& error) {
  return u"Run-time error '" + forms::integerToText(static_cast<std::int16_t>(error.number())) +
         u"':\n\n" + forms::fromUtf8(error.description());
}

}  // namespace platform
