// X11 platform: the primary monitor's choice (see primary_choice.h).
#include "platform/x11/primary_choice.h"

#include <algorithm>
#include <iterator>

namespace platform::x11 {

forms::PixelRect choosePrimary(const MonitorLists& lists) {
  // A monitor without an area (a disabled output still listed) is no screen to centre on.
  std::vector<RandrMonitor> randr;
  if (lists.randr)
    std::ranges::copy_if(*lists.randr, std::back_inserter(randr),
                         [](const RandrMonitor& m) { return !m.rect.empty(); });
  std::vector<forms::PixelRect> heads;
  std::ranges::copy_if(lists.xinerama, std::back_inserter(heads),
                       [](const forms::PixelRect& r) { return !r.empty(); });

  if (!randr.empty() && randr.size() >= heads.size()) {
    auto primary = std::ranges::find_if(randr, [](const RandrMonitor& m) { return m.primary; });
    if (primary != randr.end()) return primary->rect;
    auto atOrigin = std::ranges::find_if(
        randr, [](const RandrMonitor& m) { return m.rect.x == 0 && m.rect.y == 0; });
    if (atOrigin != randr.end()) return atOrigin->rect;
    return randr.front().rect;
  }
  if (!heads.empty()) return heads.front();
  return lists.screen;
}

}  // namespace platform::x11
