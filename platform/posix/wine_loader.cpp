// POSIX backend: choosing Wine's loader for a Windows program's architecture.
#include "platform/posix/wine_loader.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

namespace platform::posix {

namespace {

bool isRunnableFile(const std::string& path) {
  struct stat st = {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The upstream layout's bin/ folders, /opt/wine-stable/bin and its kin, in name order.
std::vector<std::string> upstreamFolders(const std::string& root) {
  std::vector<std::string> folders;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(root, error)) {
    if (entry.path().filename().string().starts_with("wine-"))
      folders.push_back((entry.path() / "bin").string());
  }
  std::ranges::sort(folders);
  return folders;
}

std::string part(bool x64) {
  return x64 ? "Wine's 64-bit part (Debian: wine64)"
             : "Wine's 32-bit part (Debian: dpkg --add-architecture i386, then wine32:i386)";
}

}  // namespace

std::variant<WineLoader, LoaderMissing> chooseWineLoader(bool x64, const WinePlaces& places) {
  // As Debian's /usr/bin/wine starts them: WINELOADER names the 64-bit loader, so that Wine
  // starts any further program with it, not through the script; Wine's "fixme" notes are off.
  const std::string debian64 = places.debian + "/wine64", debian32 = places.debian + "/wine";
  if (x64 && isRunnableFile(debian64))
    return WineLoader{debian64, {"WINELOADER=" + debian64, "WINEDEBUG=fixme-all"}};
  if (!x64 && isRunnableFile(debian32)) return WineLoader{debian32, {"WINEDEBUG=fixme-all"}};
  bool someWine = isRunnableFile(debian64) || isRunnableFile(debian32);
  for (const std::string& folder : upstreamFolders(places.upstream)) {
    // A newer upstream Wine has one loader, bin/wine, for both architectures.
    for (const char* name : x64 ? std::vector{"wine64", "wine"} : std::vector{"wine"}) {
      if (isRunnableFile(folder + "/" + name)) return WineLoader{folder + "/" + name, {}};
    }
    someWine = someWine || isRunnableFile(folder + "/wine64");
  }
  if (someWine) {
    return LoaderMissing{std::string("a ") + (x64 ? "64" : "32") + "-bit Windows program needs " +
                         part(x64) + ", which is not installed"};
  }
  if (isRunnableFile(places.lastResort)) return WineLoader{places.lastResort, {}};
  return LoaderMissing{"a Windows program needs Wine, which is not installed (Debian: wine, and " +
                       part(x64) + ")"};
}

std::string loaderRefused(const std::string& loader, bool x64, int error) {
  if (error == ENOEXEC && !x64) {
    return "a 32-bit Windows program needs Wine's 32-bit loader " + loader +
           ", and this system cannot run 32-bit programs (Exec format error)";
  }
  if (error == ENOEXEC)
    return "this system cannot run Wine's loader " + loader + " (Exec format error)";
  return "Wine's loader " + loader + " cannot run: its program interpreter is missing (Debian: " +
         (x64 ? "libc6" : "libc6:i386") + ")";
}

}  // namespace platform::posix
