// POSIX backend: finding the start helper of a Windows program.
#include "platform/posix/start_helper.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <system_error>

namespace platform::posix {

namespace {

constexpr std::uint16_t kMachineAmd64 = 0x8664;  // IMAGE_FILE_MACHINE_AMD64

std::uint32_t littleEndian(const unsigned char* bytes, int count) {
  std::uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[i];
  return value;
}

bool isRegularFile(const std::string& path) {
  struct stat st = {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

bool isX64Image(int fd) {
  // "MZ", the offset of the PE header at 0x3c, and there "PE\0\0" followed by the machine.
  std::array<unsigned char, 0x40> dos{};
  std::array<unsigned char, 6> pe{};
  if (pread(fd, dos.data(), dos.size(), 0) != static_cast<ssize_t>(dos.size()) || dos[0] != 'M' ||
      dos[1] != 'Z')
    return false;
  auto offset = static_cast<off_t>(littleEndian(&dos[0x3c], 4));
  return pread(fd, pe.data(), pe.size(), offset) == static_cast<ssize_t>(pe.size()) &&
         pe[0] == 'P' && pe[1] == 'E' && pe[2] == 0 && pe[3] == 0 &&
         littleEndian(&pe[4], 2) == kMachineAmd64;
}

std::vector<std::string> startHelperFolders() {
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error || !self.is_absolute()) return {};
  std::filesystem::path folder = self.parent_path();
  return {folder.string(), (folder.parent_path() / "lib" / "loma").string()};
}

std::optional<std::string> findStartHelper(bool x64, std::span<const std::string> folders) {
  const char* name = x64 ? "start-hidden-x64.exe" : "start-hidden-x86.exe";
  for (const std::string& folder : folders) {
    std::string helper = folder + "/" + name;
    if (isRegularFile(helper)) return helper;
  }
  return std::nullopt;
}

}  // namespace platform::posix
