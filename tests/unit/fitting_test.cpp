#include "catalogue/fitting.h"
#include "catalogue/stretch.h"

#include <gtest/gtest.h>

#include <ostream>

namespace volmarin {

bool operator==(const Placement& a, const Placement& b) {
    return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
}
void PrintTo(const Placement& p, std::ostream* os) {
    *os << p.width << "x" << p.height << " at " << p.left << "," << p.top;
}

namespace {

struct ThumbnailCase {
    int pw, ph, n;
    Placement expected;
};

TEST(FittingTest, ThumbnailExamples) {
    const ThumbnailCase cases[] = {
        {60, 40, 80, {10, 20, 60, 40}},    // small: unscaled, centred
        {80, 80, 80, {0, 0, 80, 80}},      // exactly the square
        {1600, 1200, 80, {0, 10, 80, 60}}, // landscape
        {1200, 1600, 80, {10, 0, 60, 80}}, // portrait
        {81, 10, 80, {0, 35, 80, 9}},      // 10 / 81 * 80 = 9.87 truncated
        {1, 1, 80, {39, 39, 1, 1}},        // odd remainder dropped by the halving
        {81, 80, 80, {0, 0, 80, 79}},      // (n+1) x n gives n x (n-1)
        {151, 150, 150, {0, 0, 150, 149}}, {21, 20, 20, {0, 0, 20, 19}},
        {4000, 300, 80, {0, 37, 80, 6}},   // fitted directly: not over 4n both ways
        {1000, 750, 80, {0, 10, 80, 60}},  // the slow-read reduction of 4000 x 3000
        {100000, 100, 80, {0, 40, 80, 0}}, // panorama: height truncates to 0
        {100, 100000, 80, {40, 0, 0, 80}}, {90, 90, 80, {0, 0, 80, 80}}, // square, scaled
        {79, 81, 80, {1, 0, 78, 80}},                                    // 79 / 81 * 80 = 78.02
    };
    for (const ThumbnailCase& c : cases)
        EXPECT_EQ(fitThumbnail(c.pw, c.ph, c.n), c.expected)
            << c.pw << " x " << c.ph << " into " << c.n;
}

struct ScreenCase {
    int pw, ph;
    Placement expected;
};

TEST(FittingTest, ViewerOnA1024x768Screen) {
    const ScreenCase cases[] = {
        {300, 200, {362, 284, 300, 200}},
        {1024, 768, {0, 0, 1024, 768}},
        {1600, 1200, {0, 0, 1024, 768}},
        {2000, 500, {0, 256, 1024, 255}}, // 1024 / 2000 * 500 lands just below 256
        {2000, 1000, {0, 128, 1024, 511}},
        {1025, 100, {0, 334, 1024, 99}},
        {1000, 900, {85, 0, 853, 768}}, // width first, then the height
        {500, 2000, {416, 0, 192, 768}},
        {1025, 768, {0, 0, 1024, 767}}, // one pixel wider than the screen
    };
    for (const ScreenCase& c : cases)
        EXPECT_EQ(fitToScreen(c.pw, c.ph, 1024, 768), c.expected) << c.pw << " x " << c.ph;
}

TEST(FittingTest, TallPictureOnPortraitScreenIsFittedToHeightOnly) {
    // The width is not tested for portrait pictures: this one is enlarged to the screen's
    // height and becomes wider than the screen, centred with a negative left edge.
    EXPECT_EQ(fitToScreen(800, 900, 768, 1024), (Placement{-71, 0, 910, 1024}));
}

TEST(FittingTest, ScaledLengthDividesBeforeMultiplying) {
    // Multiplying first would give exactly 256.
    EXPECT_EQ(scaledLength(1024, 2000, 500), 255);
    EXPECT_EQ(scaledLength(80, 80, 80), 80);
    EXPECT_EQ(scaledLength(1, 3, 3), 1); // 0.333... * 3 rounds to exactly 1 in 80-bit
}

TEST(StretchTest, SourceIndexIsFloorOfProportion) {
    EXPECT_EQ(stretchSource(0, 1000, 80), 0);
    EXPECT_EQ(stretchSource(79, 1000, 80), 987);
    EXPECT_EQ(stretchSource(3, 3, 4), 2); // enlarging repeats pixels
    // Lengths whose product overflows 32 bits.
    EXPECT_EQ(stretchSource(65534, 65535, 65535), 65534);
    EXPECT_EQ(stretchSource(99999, 65535, 100000), 65534);
}

} // namespace
} // namespace volmarin
