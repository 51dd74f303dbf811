// POSIX backend: which of Wine's loaders starts a Windows program, by the image's architecture.
//
// Wine has one loader per architecture: Debian's wine64 package gives /usr/lib/wine/wine64 for
// x64 images, its wine32:i386 package /usr/lib/wine/wine for x86 ones; the usual upstream
// layout has both in /opt/wine-*/bin/. Debian's /usr/bin/wine is only a script that picks one
// of them, the 32-bit one first whenever it is installed, even where it cannot run; so the
// launcher picks the loader itself and execs it directly, and a loader that is missing, or that
// the system refuses to run, is known inside the start. Never looked for on PATH.
#pragma once

#include <string>
#include <variant>
#include <vector>

namespace platform::posix {

// Where Wine may be; fixed in the program, other places only in tests.
struct WinePlaces {
  std::string debian = "/usr/lib/wine";      // wine64 and wine, as Debian installs them
  std::string upstream = "/opt";             // its wine-*/bin/ folders: wine64 and wine
  std::string lastResort = "/usr/bin/wine";  // a wrapper of a layout not known here
};

struct WineLoader {
  std::string path;
  std::vector<std::string> environment;  // "NAME=value" to set where it is not set yet
};

// What is missing, in one sentence that says what to install.
struct LoaderMissing {
  std::string reason;
};

// The loader for an x64 image (`x64`) or an x86 one: Debian's, else the first upstream folder's
// (in name order), else the last resort, but that only when no loader of either architecture is
// in a known place (where one is, the other architecture's part is what is missing).
std::variant<WineLoader, LoaderMissing> chooseWineLoader(bool x64, const WinePlaces& places);

// Why the system refused to run `loader` (the exec's error: ENOEXEC, or ENOENT for a file that
// is there, whose program interpreter is not), in one sentence that says what to do.
std::string loaderRefused(const std::string& loader, bool x64, int error);

}  // namespace platform::posix
