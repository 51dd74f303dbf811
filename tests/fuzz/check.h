// What a harness does when the code under test breaks a rule it checks: it names the rule and
// aborts, which libFuzzer reports as a finding and saves the input for.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace fuzz {

inline void require(bool holds, const char* rule) {
  if (holds) return;
  std::fprintf(stderr, "broken rule: %s\n", rule);
  std::abort();
}

}  // namespace fuzz
