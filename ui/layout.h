// The designed layout of the launcher window, as data.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>

#include "forms/control.h"
#include "platform/api.h"

namespace ui {

struct DesignedFont {
  std::u16string_view name;
  float size;
  int weight;
  int charset;
};

struct LabelDesign {
  std::u16string_view caption;
  forms::Colour foreColour, backColour;
  DesignedFont font;
  forms::Alignment alignment;
  forms::Label::BackStyle backStyle;
  bool autoSize;
  forms::BorderStyle border;
  int tabIndex;
};

struct ImageDesign {
  std::optional<platform::Asset> picture;  // none until the code gives one
  bool stretch;
  forms::BorderStyle border;
};

struct PictureBoxDesign {
  bool visible;
  int tabIndex;
};

struct TimerDesign {
  int interval;
  bool enabled;
};

// What a screen reader is told beyond the control's kind and properties.
struct AccessibleDesign {
  std::u16string_view description;  // an image's text; without one it is decoration
  std::string_view partOf;          // drawn as part of this array's element of the same index
  bool announced = false;           // read out when the window first shows
};

struct ControlDesign {
  std::string_view name;
  std::optional<std::int16_t> index;
  std::string_view container;  // "" for the window itself
  forms::Twips left, top, width, height;
  std::variant<LabelDesign, ImageDesign, PictureBoxDesign, TimerDesign> kind;
  AccessibleDesign accessible = {};
};

struct WindowDesign {
  std::u16string_view caption;
  forms::Twips left, top, width, height;
  platform::Asset picture, icon;
  forms::Colour backColour;
};

extern const WindowDesign kWindowDesign;
// Front to back within each container, as the stacking order reads.
extern const std::array<ControlDesign, 12> kControlDesigns;

}  // namespace ui
