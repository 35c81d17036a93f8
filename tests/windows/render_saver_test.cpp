// The real saver under Wine, end to end: every animation in every display
// mode shows the textured object and keeps changing; start-up failures show
// the error page instead of an animation.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "doubles/test_support.h"
#include "saver_driver.h"

namespace {

// Tops of the 16-pixel text lines that hold white pixels: which lines of the
// error page are on the screen.
std::vector<int> WhiteLines(const Screen& s) {
    std::vector<int> lines;
    for (int top = 0; top + 16 <= s.height && top < 480; top += 16) {
        bool white = false;
        for (int y = top; y < top + 16 && !white; ++y)
            for (int x = 0; x < s.width && !white; ++x)
                white = s.at(x, y) == 0xFFFFFF;
        if (white) lines.push_back(top);
    }
    return lines;
}

std::vector<int> LinesUpTo(int last) {
    std::vector<int> lines;
    for (int y = 0; y <= last; y += 16) lines.push_back(y);
    return lines;
}

long Changed(const Screen& a, const Screen& b) {
    long n = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) n += a.pixels[i] != b.pixels[i];
    return n;
}

struct SaverScreen : ::testing::Test {
    std::string folder;
    SaverProcess saver;

    void SetUp() override {
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(DistFile("morvella.dat").c_str()))
            << "the native build has not generated morvella.dat";
        RemoveIni();
        folder = TestDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        ASSERT_TRUE(CopySaverInto(folder));
    }
    void TearDown() override { RemoveIni(); }
    // Starts the saver full screen and returns two captures taken apart:
    // the first a second after anything shows (up to 20 s: start-up is slow
    // on a busy machine), the second once the picture has changed (up to
    // 10 s; an animation) or 700 ms later (a still page, which must stay).
    // Nothing touches the saver meanwhile: an error page must stay readable
    // on a quiet desktop, where no message follows the window's own erase.
    void Run(Screen& first, Screen& second, bool moving) {
        ASSERT_TRUE(StartSaver(saver, "/s", folder + "\\morvella.scr"));
        ASSERT_NE(nullptr, WaitForSaverWindow(saver.pid()));
        WaitUntil(20000, [] { return Drawn(Capture()).count > 0; });
        Pump(1000);
        first = Capture();
        Pump(700);
        if (moving)
            WaitUntil(10000, [&] { return Changed(first, second = Capture()) > 500; });
        else
            second = Capture();
        ASSERT_TRUE(saver.Running());
    }
};

TEST_F(SaverScreen, EveryAnimationInEveryDisplayModeShowsAChangingPicture) {
    WriteIni("Speed", "20");
    for (int display = 0; display <= 2; ++display) {
        for (int animation = 1; animation <= 5; ++animation) {
            SCOPED_TRACE(testing::Message() << "Animation " << animation << ", Display " << display);
            WriteIni("Animation", std::to_string(animation).c_str());
            WriteIni("Display", std::to_string(display).c_str());
            Screen a, b;
            Run(a, b, true);
            Box box = Drawn(b);
            EXPECT_GT(box.count, 2000);
            EXPECT_GT(Changed(a, b), 500);
            if (display == 0) {
                // Everything lies in the centred 640 x 480 box.
                int left = a.width / 2 - 320, top = a.height / 2 - 240;
                EXPECT_GE(box.left, left);
                EXPECT_GE(box.top, top);
                EXPECT_LE(box.right, left + 640);
                EXPECT_LE(box.bottom, top + 480);
            } else if (display == 2) {
                // The tiles repeat: the second column is the first one again.
                // A capture may fall between two tiles of one frame, so a
                // few are tried.
                long same = 0, lit = 0;
                for (int attempt = 0; attempt < 8 && (lit == 0 || same <= lit * 9 / 10); ++attempt) {
                if (attempt) b = Capture();
                same = lit = 0;
                for (int y = 0; y < 480; y += 3)
                    for (int x = 0; x < b.width - 640; x += 3)
                        if (b.at(x, y)) {
                            ++lit;
                            same += b.at(x, y) == b.at(x + 640, y) && b.at(x, y) == b.at(x, y + 480 < b.height ? y + 480 : y);
                        }
                }
                EXPECT_GT(lit, 100);
                EXPECT_GT(same, lit * 9 / 10);
            }
            if (display == 1 && animation == 1) {
                // Stretched over the screen: the looked-down-on object fills
                // more than the centred box could.
                EXPECT_TRUE(box.right - box.left > 640 || box.bottom - box.top > 480)
                    << box.left << "," << box.top << "," << box.right << "," << box.bottom;
            }
            PressKey(VK_SPACE);
            EXPECT_EQ(0u, saver.WaitExit(10000));
        }
    }
}

TEST_F(SaverScreen, SoftwareDeviceRunsTheAnimation) {
    WriteIni("RGBDevice", "1");
    WriteIni("Animation", "2");
    Screen a, b;
    Run(a, b, true);
    EXPECT_GT(Drawn(b).count, 2000);
    EXPECT_GT(Changed(a, b), 500);
    PressKey(VK_SPACE);
    EXPECT_EQ(0u, saver.WaitExit(10000));
}

// Without the model file or with an unsuitable bitmap the saver shows the
// (still) error page: white text, nothing moving.
TEST_F(SaverScreen, StartUpFailuresShowAStillErrorPage) {
    // The model-file page has its heading and two lines; the bitmap page its
    // heading and seven.
    struct Case { const char* what; const char* bitmap; bool removeModel; int lastLine; };
    testsupport::WriteBytes(folder + "\\wide.bmp", testsupport::Bitmap24(64, 32, [](int, int) { return 0xFF0000u; }));
    testsupport::WriteBytes(folder + "\\odd.bmp", testsupport::Bitmap24(48, 48, [](int, int) { return 0xFF0000u; }));
    for (Case c : {Case{"model missing", nullptr, true, 32}, Case{"bitmap missing", "absent.bmp", false, 112},
                   Case{"bitmap not square", "wide.bmp", false, 112},
                   Case{"bitmap not a power of two", "odd.bmp", false, 112}}) {
        SCOPED_TRACE(c.what);
        if (c.removeModel) DeleteFileA((folder + "\\morvella.dat").c_str());
        else ASSERT_TRUE(CopyInto(DistFile("morvella.dat"), folder, "morvella.dat"));
        WriteIni("Bitmap", c.bitmap ? c.bitmap : "sample.bmp");
        Screen a, b;
        Run(a, b, false);
        EXPECT_EQ(LinesUpTo(c.lastLine), WhiteLines(b));
        EXPECT_EQ(0, Changed(a, b));
        PressKey(VK_SPACE);
        ASSERT_EQ(0u, saver.WaitExit(10000)) << "the error page must close on a key like the animation";
    }
}

// Wine's GDI renderer offers no depth format, as on a machine without 3D.
TEST_F(SaverScreen, WithoutDirect3DTheErrorPageShows) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Direct3D", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegSetValueExA(key, "renderer", 0, REG_SZ, (const BYTE*)"gdi", 4);
    Screen a, b;
    Run(a, b, false);
    RegDeleteValueA(key, "renderer");
    RegCloseKey(key);
    EXPECT_EQ(LinesUpTo(80), WhiteLines(b)) << "heading and the five lines of the Direct3D page";
    EXPECT_EQ(0, Changed(a, b));
    PressKey(VK_SPACE);
    EXPECT_EQ(0u, saver.WaitExit(10000));
}

}  // namespace
