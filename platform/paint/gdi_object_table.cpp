// Linux drawing: implements the metafile object table declared in gdi_object_table.h.
#include "platform/paint/gdi_object_table.h"

#include <algorithm>

namespace platform::paint {

std::optional<std::size_t> GdiObjectTable::create(Kind kind, MetafileBrush brush) {
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    if (slots_[i].kind == Kind::Free) {
      slots_[i] = {kind, brush};
      return i;
    }
  }
  if (slots_.size() == size_) return std::nullopt;
  slots_.push_back({kind, brush});
  return slots_.size() - 1;
}

void GdiObjectTable::remove(std::size_t slot) {
  if (slot < slots_.size()) slots_[slot].kind = Kind::Free;
}

const MetafileBrush* GdiObjectTable::brush(std::size_t slot) const {
  return slot < slots_.size() && slots_[slot].kind == Kind::Brush ? &slots_[slot].brush : nullptr;
}

std::size_t GdiObjectTable::used() const {
  return static_cast<std::size_t>(std::count_if(
      slots_.begin(), slots_.end(), [](const Slot& slot) { return slot.kind != Kind::Free; }));
}

}  // namespace platform::paint
