#include "platform/headless/fake_drive.h"

#include "forms/units.h"
#include "platform/api.h"

namespace platform::headless {

static std::u16string lastComponent(std::u16string_view path) {
  auto slash = path.find_last_of(u'\\');
  return std::u16string(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
}

void FakeDrive::addFile(std::u16string_view path, int attributes) {
  entries_[forms::toUpper(path)] = {lastComponent(path), attributes};
}

void FakeDrive::addFolder(std::u16string_view path) {
  addFile(path, vbDirectory);
}

std::u16string FakeDrive::dir(std::u16string_view path, int attributes) const {
  auto it = entries_.find(forms::toUpper(path));
  if (it == entries_.end()) return {};
  // Hidden, system and folder entries need their bit in the mask; others always match.
  int special = it->second.second & (vbHidden | vbSystem | vbDirectory | vbVolume);
  if ((special & ~attributes) != 0) return {};
  return it->second.first;
}

}  // namespace platform::headless
