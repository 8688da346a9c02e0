#include "shell/display_options.h"

#include <gtest/gtest.h>

namespace velkaro {
namespace {

TEST(DisplayOptions, AreasWidthsAndSamples) {
    // Strictly inside: a frame line opens nothing; colours are tested before samples.
    struct Hit {
        int x, y, area;
    };
    for (const Hit& h :
         {Hit{201, 86, 0}, Hit{200, 95, -1}, Hit{239, 104, 0}, Hit{240, 95, -1}, Hit{389, 454, 12},
          Hit{260, 225, 13}, Hit{389, 519, 16}, Hit{100, 100, -1}}) {
        EXPECT_EQ(DisplayAreaAt(h.x, h.y), h.area) << h.x << "," << h.y;
    }
    EXPECT_EQ(SampleStyle(2, 5), 2);
    EXPECT_EQ(SampleStyle(3, 5), 8);
    EXPECT_EQ(WidthPlus(998), 999);
    EXPECT_EQ(WidthPlus(999), 999);
    EXPECT_EQ(WidthMinus(0), 0);
    EXPECT_EQ(TypedWidth("-5"), 0);
    EXPECT_EQ(WithDisplayExtension("dark"), "dark.scrn");
    EXPECT_EQ(WithDisplayExtension("dark.scrn"), "dark.scrn");
}

}  // namespace
}  // namespace velkaro
