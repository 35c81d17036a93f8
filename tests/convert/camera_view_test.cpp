// The saver's own stage machine and matrices run on a converted closed
// object: every animation shows it, and from outside. The picture is
// reduced to a grid of 64 x 48 cells of the 640 x 480 frame, each marked
// where a triangle's front (clockwise on the screen, what the device's
// default culling keeps) or back covers its centre.
#include "convert_fixture.h"

#include "anim/animation.h"
#include "engine/matrix.h"
#include "tools/default_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

using namespace convert_test;

namespace {

const int kCols = 64, kRows = 48;

struct Picture {
    double front = 0;       // share of the cells a front covers
    double nakedBack = 0;   // share covered by a back and by no front: the inside shows
};

struct Screen {
    double x, y, w;
};

Screen Project(const Matrix4& m, const ModelVertex& v)
{
    const double x = v.x * m._11 + v.y * m._21 + v.z * m._31 + m._41;
    const double y = v.x * m._12 + v.y * m._22 + v.z * m._32 + m._42;
    const double w = v.x * m._14 + v.y * m._24 + v.z * m._34 + m._44;
    return {(x / w + 1) * kCols / 2, (1 - y / w) * kRows / 2, w};
}

Picture Draw(const ModelData& model, const Matrix4& world, const Matrix4& view)
{
    Matrix4 projection, worldView, all;
    MatrixProjection(&projection, 0.5, 1.0, 1000.0);
    MatrixMultiply(&worldView, &world, &view);
    MatrixMultiply(&all, &worldView, &projection);
    std::vector<unsigned char> cells(kCols * kRows, 0);   // bit 1 front, bit 2 back
    for (int32_t o = 0; o < model.objectCount; ++o) {
        const ModelObjectRef& ref = model.objects[o];
        for (int32_t t = 0; t + 2 < ref.vertexCount; t += 3) {
            const Screen a = Project(all, ref.vertices[t]), b = Project(all, ref.vertices[t + 1]),
                         c = Project(all, ref.vertices[t + 2]);
            // Nearer than the near plane (w = 0.5 there): the device clips
            // it; leaving it out only makes the test harder to pass.
            if (a.w < 0.5 || b.w < 0.5 || c.w < 0.5)
                continue;
            const double area = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
            if (area == 0)
                continue;
            const unsigned char mark = area > 0 ? 1 : 2;   // y runs down: positive is clockwise
            const int x0 = std::max(0, (int)std::floor(std::min({a.x, b.x, c.x})));
            const int x1 = std::min(kCols - 1, (int)std::ceil(std::max({a.x, b.x, c.x})));
            const int y0 = std::max(0, (int)std::floor(std::min({a.y, b.y, c.y})));
            const int y1 = std::min(kRows - 1, (int)std::ceil(std::max({a.y, b.y, c.y})));
            for (int y = y0; y <= y1; ++y)
                for (int x = x0; x <= x1; ++x) {
                    const double px = x + 0.5, py = y + 0.5;
                    const double e0 = (b.x - a.x) * (py - a.y) - (px - a.x) * (b.y - a.y);
                    const double e1 = (c.x - b.x) * (py - b.y) - (px - b.x) * (c.y - b.y);
                    const double e2 = (a.x - c.x) * (py - c.y) - (px - c.x) * (a.y - c.y);
                    if ((area > 0 && e0 >= 0 && e1 >= 0 && e2 >= 0) || (area < 0 && e0 <= 0 && e1 <= 0 && e2 <= 0))
                        cells[y * kCols + x] |= mark;
                }
        }
    }
    Picture p;
    for (unsigned char c : cells) {
        p.front += (c & 1) != 0;
        p.nakedBack += c == 2;
    }
    p.front /= cells.size();
    p.nakedBack /= cells.size();
    return p;
}

uint32_t FixedClock() { return 4242; }

struct ViewRun {
    double shown = 0;       // share of the frames with at least 2 % of the picture in front
    double worstInside = 0; // largest share of the picture showing the inside
};

// Ticks of the saver's timer: a bounce and an orbit and more, a growth of
// the vortex, a whole flag cycle.
ViewRun Animate(ModelData* model, int animation, int ticks = 1300)
{
    AnimationClock = FixedClock;
    AnimationState state = AnimationState();
    ViewRun run;
    int frames = 0, shown = 0;
    for (int tick = 0; tick < ticks; ++tick) {
        Matrix4 view, world;
        AdvanceAnimationFrame(&state, animation, model, &view, &world);
        if (tick % 5)
            continue;
        const Picture p = Draw(*model, world, view);
        ++frames;
        shown += p.front > 0.02;
        run.worstInside = std::max(run.worstInside, p.nakedBack);
    }
    run.shown = (double)shown / frames;
    return run;
}

// The test's own picture is right: the saver's square, from the jump
// camera's first height, fills most of the frame with its front.
TEST(CameraView, TheDefaultSquareIsSeenFromTheFront)
{
    const std::string dir = ScratchDir("camera");
    const std::vector<unsigned char> bytes = BuildDefaultModelFile(8);
    FILE* f = fopen((dir + "/square.dat").c_str(), "wb");
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
    Loaded loaded;
    ASSERT_TRUE(Load(dir + "/square.dat", &loaded));
    ASSERT_TRUE(SaveModelSnapshot(&loaded.model));
    AnimationClock = FixedClock;
    AnimationState state = AnimationState();
    Matrix4 view, world;
    AdvanceAnimationFrame(&state, 1, &loaded.model, &view, &world);
    const Picture p = Draw(loaded.model, world, view);
    EXPECT_GT(p.front, 0.85);
    EXPECT_EQ(0, p.nakedBack);
}

// A closed object (the duck of the test models, 4,212 triangles) as
// converted by default: shown in every animation, never from inside.
TEST(CameraView, EveryAnimationShowsAConvertedClosedObjectFromOutside)
{
    const std::string model = TestModel("Collada/duck.dae");
    ASSERT_TRUE(std::ifstream(model).good())
        << model << " is missing: scripts/install-deps.sh installs assimp-testmodels";
    const std::string dir = ScratchDir("camera-duck");
    ASSERT_TRUE(Convert(model, dir + "/morvella.dat").ok);
    const char* names[] = {"", "jump", "wave", "rotation", "vortex", "flag"};
    for (int animation = 1; animation <= 5; ++animation) {
        SCOPED_TRACE(names[animation]);
        Loaded loaded;
        ASSERT_TRUE(Load(dir + "/morvella.dat", &loaded));
        ASSERT_TRUE(SaveModelSnapshot(&loaded.model));
        const ViewRun run = Animate(&loaded.model, animation);
        printf("%-8s shown in %3.0f%% of the frames, inside at most %.1f%% of the picture\n", names[animation],
               run.shown * 100, run.worstInside * 100);
        if (animation == 3) {
            // The orbiting camera's heading turns on its own: a compact
            // object is in view part of the time.
            EXPECT_GT(run.shown, 0.2);
        } else {
            EXPECT_GT(run.shown, 0.9);
        }
        // Jump and rotation keep the shape: nothing of its inside shows.
        if (animation == 1 || animation == 3) {
            EXPECT_LT(run.worstInside, 0.005);
        }
    }
}

}  // namespace
