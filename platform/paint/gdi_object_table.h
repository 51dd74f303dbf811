// Linux drawing: the object table of a metafile's device context, as GDI keeps it.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "forms/units.h"

namespace platform::paint {

struct MetafileBrush {
  bool hollow = false;
  forms::Colour colour = 0xFFFFFF;  // a device context starts with the white brush
};

// As many slots as the metafile header says, and never more: a new object takes the lowest free
// slot, and when every slot is taken it is not made at all. Slots are stored only up to the
// highest one ever taken, so a header that claims 65,535 objects costs nothing until they are
// made.
class GdiObjectTable {
 public:
  enum class Kind { Free, Pen, Brush };

  explicit GdiObjectTable(std::size_t size) : size_(size) {}

  // The slot the new object went into, or nullopt when the table is full.
  std::optional<std::size_t> create(Kind kind, MetafileBrush brush = {});
  // Frees a slot; one beyond the table is ignored.
  void remove(std::size_t slot);
  // The brush in a slot, or none when the slot holds no brush.
  [[nodiscard]] const MetafileBrush* brush(std::size_t slot) const;
  [[nodiscard]] std::size_t size() const { return size_; }
  [[nodiscard]] std::size_t used() const;

 private:
  struct Slot {
    Kind kind = Kind::Free;
    MetafileBrush brush;
  };
  std::size_t size_;
  std::vector<Slot> slots_;  // every slot beyond these is free
};

}  // namespace platform::paint
