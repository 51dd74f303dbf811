// Win32 platform: how the standard containers report a misuse here. The C++ runtime's own
// versions throw std::logic_error and its kin, whose constructors bring in a second,
// copy-on-write string implementation and a formatter: about 50 KB of the 32-bit program file.
// These throw what platform::dispatch tells apart in the same way: an allocation failure stays
// std::bad_alloc (error 7, "Out of memory"); every other misuse stays an exception that is no
// RuntimeError (error 51, "Internal error"). Defined here, the runtime's definitions are not
// linked in; should the runtime need one that is missing here, the link fails with a duplicate
// definition rather than linking both.
#include <new>

namespace {

// A container misuse: nothing catches it but dispatch's last resort.
struct ContainerMisuse {};

}  // namespace

// The names are the C++ runtime's own: replacing them is the point.
// NOLINTBEGIN(bugprone-reserved-identifier)
namespace std {

[[noreturn]] void __throw_bad_alloc() {
  throw bad_alloc();
}
[[noreturn]] void __throw_bad_array_new_length() {
  throw bad_array_new_length();
}
[[noreturn]] void __throw_length_error(const char*) {
  throw ContainerMisuse();
}
[[noreturn]] void __throw_logic_error(const char*) {
  throw ContainerMisuse();
}
[[noreturn]] void __throw_out_of_range(const char*) {
  throw ContainerMisuse();
}
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) {
  throw ContainerMisuse();
}
[[noreturn]] void __throw_invalid_argument(const char*) {
  throw ContainerMisuse();
}

}  // namespace std
// NOLINTEND(bugprone-reserved-identifier)
