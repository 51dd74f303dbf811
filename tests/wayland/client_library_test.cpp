// libwayland-client opened at run time: all of its functions the host calls, or none.
#include "platform/wayland/client_library.h"

#include <gtest/gtest.h>

namespace platform::wayland {
namespace {

TEST(ClientLibrary, DebiansLibraryHasEveryFunctionTheHostCalls) {
  ASSERT_TRUE(openClientLibrary());
  EXPECT_NE(clientLibrary.proxyMarshalFlags, nullptr);
}

TEST(ClientLibrary, AMissingLibraryOrFunctionLeavesTheHostUntried) {
  EXPECT_FALSE(openClientLibrary("libwayland-client.so.404"));
  // There, but without the client's functions: the host must not call through null pointers.
  EXPECT_FALSE(openClientLibrary("libm.so.6"));
}

}  // namespace
}  // namespace platform::wayland
