// Linux desktop: whether the session wants applications to speak to assistive technology.
//
// Implements: the AT-SPI status check. NO_AT_BRIDGE=1 says no; otherwise the session bus is
// asked, through libdbus loaded for the question only, whether the accessibility bus is there
// and its status says enabled. A bus that is not running is not started for the question.
#pragma once

namespace platform::desktop {

bool sessionWantsAccessibility();

}  // namespace platform::desktop
