// POSIX backend: the launcher's resource floors, checked before any library is started.
#include "platform/posix/resource_floor.h"

#include <sys/resource.h>

#include <array>
#include <cstdio>

namespace platform::posix {

namespace {

std::string sizeText(unsigned long long bytes) {
  if (bytes >= (1ULL << 20)) return std::to_string(bytes >> 20) + " MB";
  return std::to_string(bytes >> 10) + " KB";
}

// The sentence for a soft limit below its floor, else nullopt. One format for both limits, kept
// whole: pieces joined by the compiler would leave fragments of words in the program file.
std::optional<std::string> below(int resource, unsigned long long floor, const char* what,
                                 const char* option) {
  rlimit limit{};
  if (getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
      limit.rlim_cur >= floor) {
    return std::nullopt;
  }
  std::array<char, 160> sentence{};
  std::snprintf(sentence.data(), sentence.size(),
                "the %s limit (%s) is below the %s the launcher needs (ulimit %s)", what,
                sizeText(limit.rlim_cur).c_str(), sizeText(floor).c_str(), option);
  return std::string(sentence.data());
}

}  // namespace

std::optional<std::string> limitBelowFloor() {
  if (auto stack = below(RLIMIT_STACK, kMinStackBytes, "stack", "-s")) return stack;
  return below(RLIMIT_AS, kMinAddressSpaceBytes, "address space", "-v");
}

}  // namespace platform::posix
