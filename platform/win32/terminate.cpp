// Win32 platform: what std::terminate does here. The C++ runtime's default handler writes the
// demangled type of the escaping exception to stderr, which a GUI-subsystem program does not
// have; its demangler alone is about 45 KB of the program file. Every handler's exceptions are
// caught in platform::dispatch, so this is reached only by a fault in the runtime itself, and
// ends the program as the default handler does, without the message nobody can read.
#include <cstdlib>

namespace __gnu_cxx {

// Defined here, the runtime's own definition (and the demangler it needs) is not linked in.
[[noreturn]] void __verbose_terminate_handler() {  // NOLINT(bugprone-reserved-identifier)
  std::abort();
}

}  // namespace __gnu_cxx
