// A fake local disk: files and folders by full Windows path, with their attributes.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace platform::headless {

class FakeDrive {
 public:
  // The name is stored as given; lookups ignore letter case, as on Windows.
  void addFile(std::u16string_view path, int attributes = 0);
  void addFolder(std::u16string_view path);
  // The bare name of the entry at a full path that the attribute mask admits, or "".
  [[nodiscard]] std::u16string dir(std::u16string_view path, int attributes) const;

 private:
  std::map<std::u16string, std::pair<std::u16string, int>> entries_;  // upper-case path
};

}  // namespace platform::headless
