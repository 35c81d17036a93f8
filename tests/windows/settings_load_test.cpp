// Loading the settings record from morvella.ini in the Windows directory.
#include <windows.h>

#include <string>

#include "framework/modes.h"
#include "saver/settings.h"
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

TEST_F(SettingsFile, TheFileIsTheOneInTheWindowsDirectory)
{
    WriteIni("TexSize", "15");
    char path[MAX_PATH];
    GetWindowsDirectoryA(path, MAX_PATH);
    lstrcatA(path, "\\morvella.ini");
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path));
    EXPECT_EQ(15, Load().TexSize);
}

}  // namespace
