// Loading the settings record from morvella.ini in the Windows directory.
#include <windows.h>

#include <string>

#include "framework/modes.h"
#include "saver/settings_store.h"
#include "saver_driver.h"

#include "gtest/gtest.h"

namespace {

struct SettingsFile : ::testing::Test {
    void SetUp() override
    {
        ModuleInstance = GetModuleHandleA(NULL);  // carries the saver's string table
        RemoveIni();
    }
    void TearDown() override { RemoveIni(); }

    SaverSettings Load()
    {
        SaverSettings s;
        memset(&s, 0x5A, sizeof s);
        EXPECT_EQ(1, LoadSettings(s));
        return s;
    }
};

TEST_F(SettingsFile, MissingFileGivesEveryDefault)
{
    SaverSettings s = Load();
    EXPECT_EQ(100, s.Speed);
    EXPECT_EQ(200, s.Red);
    EXPECT_EQ(200, s.Green);
    EXPECT_EQ(200, s.Blue);
    EXPECT_EQ(10, s.TexSize);
    EXPECT_EQ(0, s.Smooth);
    EXPECT_EQ(0, s.RGBDevice);
    EXPECT_EQ(0, s.Display);
    EXPECT_EQ(0, s.Animation);
    EXPECT_EQ(0, s.SpotLight);
    EXPECT_EQ(255, s.LightRed);
    EXPECT_EQ(255, s.LightGreen);
    EXPECT_EQ(255, s.LightBlue);
    EXPECT_STREQ("sample.bmp", s.Bitmap);
}

TEST_F(SettingsFile, StoredValuesArriveUnclamped)
{
    WriteIni("Speed", "5");
    WriteIni("Animation", "9");
    WriteIni("Red", "abc");
    WriteIni("Green", "12abc");
    WriteIni("Display", "2");
    WriteIni("LightBlue", "0");
    SaverSettings s = Load();
    EXPECT_EQ(5, s.Speed);
    EXPECT_EQ(9, s.Animation);
    EXPECT_EQ(0, s.Red) << "a value without leading digits reads as 0, not as the default";
    EXPECT_EQ(12, s.Green);
    EXPECT_EQ(200, s.Blue);
    EXPECT_EQ(2, s.Display);
    EXPECT_EQ(0, s.LightBlue);
}

TEST_F(SettingsFile, OverlongBitmapNameIsCutTo255Characters)
{
    std::string name(300, 'b');
    WriteIni("Bitmap", name.c_str());
    SaverSettings s = Load();
    EXPECT_EQ(255u, strlen(s.Bitmap));
    EXPECT_EQ(name.substr(0, 255), s.Bitmap);
}

void WriteText(const std::string& path, const char* text)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
    DWORD written = 0;
    WriteFile(file, text, lstrlenA(text), &written, NULL);
    CloseHandle(file);
}

// The file is written here as a user or another program would, not through
// the profile functions, and a second morvella.ini in the current folder
// holds other values: what the saver reads shows which file it takes, and
// the distinct values show that each key lands in its own setting.
TEST_F(SettingsFile, EveryKeyIsReadFromTheFileInTheWindowsDirectory)
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string path = std::string(windows) + "\\morvella.ini";
    WriteText(path, "[morvella.scr]\r\nSpeed=37\r\nRed=11\r\nGreen=22\r\nBlue=33\r\nTexSize=7\r\n"
                    "Bitmap=tiles.bmp\r\nSmooth=1\r\nRGBDevice=1\r\nDisplay=2\r\nAnimation=4\r\n"
                    "SpotLight=1\r\nLightRed=44\r\nLightGreen=55\r\nLightBlue=66\r\n");
    WriteText("morvella.ini", "[morvella.scr]\r\nSpeed=99\r\nRed=99\r\nLightBlue=99\r\nBitmap=decoy.bmp\r\n");
    SaverSettings s = Load();
    DeleteFileA("morvella.ini");
    EXPECT_EQ(37, s.Speed);
    EXPECT_EQ(11, s.Red);
    EXPECT_EQ(22, s.Green);
    EXPECT_EQ(33, s.Blue);
    EXPECT_EQ(7, s.TexSize);
    EXPECT_STREQ("tiles.bmp", s.Bitmap);
    EXPECT_EQ(1, s.Smooth);
    EXPECT_EQ(1, s.RGBDevice);
    EXPECT_EQ(2, s.Display);
    EXPECT_EQ(4, s.Animation);
    EXPECT_EQ(1, s.SpotLight);
    EXPECT_EQ(44, s.LightRed);
    EXPECT_EQ(55, s.LightGreen);
    EXPECT_EQ(66, s.LightBlue);
}

}  // namespace
