// Sanitizer settings every harness starts with, also when run by hand.
//
// A small quarantine: freed blocks are still kept back long enough to catch a use after free
// within one input, but fresh pages are not touched for every allocation, which doubled the
// time per input and held a few hundred megabytes.
extern "C" const char* __asan_default_options() {  // NOLINT: the sanitizer's hook
  return "quarantine_size_mb=16";
}
