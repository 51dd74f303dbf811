// The launcher window rendered without a display: the real window on the headless host,
// painted through the Linux painter. Used by loma-snapshot and by the golden-image tests.
#pragma once

#include <array>
#include <memory>

#include "platform/paint/cairo_painter.h"

namespace snapshot {

enum class State { Found, NotFound, ButtonDown, ThreeTicks };

struct StateName {
  State state;
  const char* name;  // also the PNG's file name, without ".png"
  int dpi = 96;      // the screen's density
};
constexpr std::array<StateName, 4> kStates{{{State::Found, "found"},
                                            {State::NotFound, "not_found"},
                                            {State::ButtonDown, "button_down"},
                                            {State::ThreeTicks, "three_ticks"}}};
// The window on denser screens: 150 % and 200 %.
constexpr std::array<StateName, 4> kDenseStates{{{State::Found, "found_144", 144},
                                                 {State::NotFound, "not_found_144", 144},
                                                 {State::Found, "found_192", 192},
                                                 {State::NotFound, "not_found_192", 192}}};

// Starts the launcher (the diagnostic program present except for NotFound) on a screen of the
// given density, brings it to the state, and returns the painter holding the whole client area.
std::unique_ptr<platform::paint::CairoPainter> render(State state, int dpi = 96);

}  // namespace snapshot
