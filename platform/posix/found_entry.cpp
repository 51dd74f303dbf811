// POSIX backend: one held entry, for the one start that follows the launcher's one lookup.
#include "platform/posix/found_entry.h"

#include "forms/units.h"

namespace platform::posix {

namespace {

struct Slot {
  std::string key;  // the prefix and the Windows path it was found at
  HeldEntry entry;
};

// The launcher looks up and starts on its one thread, so one slot without a lock does.
std::optional<Slot>& slot() {
  static std::optional<Slot> held;
  return held;
}

std::string keyOf(std::u16string_view windowsPath) {
  return winePrefix() + '\0' + forms::toUtf8(windowsPath);
}

}  // namespace

void keepFound(std::u16string_view windowsPath, DriveEntry* found) {
  slot().reset();
  if (!found || !found->file) return;
  slot() = Slot{keyOf(windowsPath), {found->hostPath, std::move(found->file)}};
}

std::optional<HeldEntry> takeFound(std::u16string_view windowsPath) {
  std::optional<Slot> held = std::move(slot());
  slot().reset();
  if (!held || held->key != keyOf(windowsPath)) return std::nullopt;
  return std::move(held->entry);
}

}  // namespace platform::posix
