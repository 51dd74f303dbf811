// POSIX backend: the launcher's resource floors, checked before any library is started.
#include "platform/posix/resource_floor.h"

#include <sys/resource.h>

namespace platform::posix {

namespace {

std::string sizeText(unsigned long long bytes) {
  if (bytes >= (1ULL << 20)) return std::to_string(bytes >> 20) + " MB";
  return std::to_string(bytes >> 10) + " KB";
}

}  // namespace

std::optional<std::string> limitBelowFloor() {
  rlimit limit{};
  if (getrlimit(RLIMIT_STACK, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
      limit.rlim_cur < kMinStackBytes) {
    return "the stack limit (" + sizeText(limit.rlim_cur) + ") is below the " +
           sizeText(kMinStackBytes) + " the launcher needs (ulimit -s)";
  }
  if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
      limit.rlim_cur < kMinAddressSpaceBytes) {
    return "the address space limit (" + sizeText(limit.rlim_cur) + ") is below the " +
           sizeText(kMinAddressSpaceBytes) + " the launcher needs (ulimit -v)";
  }
  return std::nullopt;
}

}  // namespace platform::posix
