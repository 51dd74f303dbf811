#include <gtest/gtest.h>
#include "forms/units.h"
TEST(Units, PixelsRoundTiesToEven) { EXPECT_EQ(forms::toPixels(22.5f), 2); }
