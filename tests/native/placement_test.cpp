// Where the picture's copies go on one monitor of several: every copy cut to
// that monitor, its source with it. (The one-monitor rectangles are pinned
// through PresentFrame by the Windows render tests.)
#include "anim/placement.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Copy {
    PixelRect dest, source;
};

std::string Text(const std::vector<Copy>& copies)
{
    std::string text;
    for (const Copy& c : copies) {
        char one[96];
        snprintf(one, sizeof one, "[%d,%d,%d,%d <- %d,%d,%d,%d]", c.dest.left, c.dest.top, c.dest.right,
                 c.dest.bottom, c.source.left, c.source.top, c.source.right, c.source.bottom);
        text += one;
    }
    return text;
}

std::string Place(int display, PixelRect area, bool clip, int* result = nullptr, int failAt = -1)
{
    std::vector<Copy> copies;
    int r = PlacePicture(display, area, clip, [&](const PixelRect& d, const PixelRect& s) {
        copies.push_back({d, s});
        return int(copies.size()) - 1 != failAt;
    });
    if (result)
        *result = r;
    return Text(copies);
}

const char* const kWhole = "0,0,640,480]";

TEST(PicturePlacement, EachOfSeveralMonitorsGetsAWholePictureCutToIt)
{
    struct Case { const char* what; int display; PixelRect monitor; std::string copies; };
    const Case cases[] = {
        {"left of the primary", 0, {-800, 0, 0, 600}, "[-720,60,-80,540 <- 0,0,640,480]"},
        {"left of the primary", 1, {-800, 0, 0, 600}, "[-800,0,0,600 <- 0,0,640,480]"},
        {"left of the primary", 2, {-800, 0, 0, 600},
         "[-800,0,-160,480 <- 0,0,640,480][-160,0,0,480 <- 0,0,160,480]"
         "[-800,480,-160,600 <- 0,0,640,120][-160,480,0,600 <- 0,0,160,120]"},
        // Larger and above the primary one's top: tiles from its own corner.
        {"1280 x 1024 above", 2, {800, -200, 2080, 824},
         "[800,-200,1440,280 <- 0,0,640,480][1440,-200,2080,280 <- 0,0,640,480]"
         "[800,280,1440,760 <- 0,0,640,480][1440,280,2080,760 <- 0,0,640,480]"
         "[800,760,1440,824 <- 0,0,640,64][1440,760,2080,824 <- 0,0,640,64]"},
        {"1280 x 1024 above", 0, {800, -200, 2080, 824}, "[1120,72,1760,552 <- 0,0,640,480]"},
        // Smaller than the picture: its middle part, nothing on the neighbours.
        {"600 x 400", 0, {1024, 0, 1624, 400}, "[1024,0,1624,400 <- 20,40,620,440]"},
        {"600 x 400", 1, {1024, 0, 1624, 400}, "[1024,0,1624,400 <- 0,0,640,480]"},
        {"600 x 400", 2, {1024, 0, 1624, 400}, "[1024,0,1624,400 <- 0,0,600,400]"},
        {"empty", 0, {0, 0, 0, 600}, ""},
    };
    for (const Case& c : cases) {
        int result = 0;
        EXPECT_EQ(c.copies, Place(c.display, c.monitor, true, &result)) << c.what << ", display " << c.display;
        EXPECT_EQ(1, result);
    }
}

TEST(PicturePlacement, AFailedCopyEndsThePlacementWithZero)
{
    int result = 1;
    EXPECT_EQ("[0,0,640,480 <- 0,0,640,480][640,0,800,480 <- 0,0,160,480]",
              Place(2, {0, 0, 800, 600}, true, &result, 1));
    EXPECT_EQ(0, result);
    for (int display : {0, 1}) {
        Place(display, {0, 0, 800, 600}, true, &result, 0);
        EXPECT_EQ(0, result) << "display " << display;
    }
}

}  // namespace
