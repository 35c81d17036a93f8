// The settings dialog, driven in-process (the template comes from this test
// program's own resources) and through morvella.scr in settings mode. The
// settings file is the real morvella.ini of the prefix's Windows directory.
// The dialog is the one of the language the run expects (Said): the English
// runs show that both behave alike.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "config/settings_dialog.h"
#include "framework/modes.h"
#include "platform/ui_language.h"
#include "resources/dialog_ids.h"
#include "resources/resource.h"
#include "saver/saver_state.h"
#include "saver/settings_store.h"
#include "tests/windows/saver_driver.h"

namespace {

std::string IniPath()
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    return std::string(windows) + "\\morvella.ini";
}

void WriteIniText(const std::string& content)
{
    HANDLE file = CreateFileA(IniPath().c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, NULL);
    CloseHandle(file);
}

std::string ReadIniText()
{
    std::string content;
    HANDLE file = CreateFileA(IniPath().c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    char buffer[4096];
    DWORD got = 0;
    while (file != INVALID_HANDLE_VALUE && ReadFile(file, buffer, sizeof buffer, &got, NULL) && got)
        content.append(buffer, got);
    CloseHandle(file);
    return content;
}

std::string IniValue(const char* key)
{
    char value[512];
    GetPrivateProfileStringA("morvella.scr", key, "<none>", value, sizeof value, "morvella.ini");
    return value;
}

// The stored values of `keys`, comma-separated.
std::string IniValues(std::initializer_list<const char*> keys)
{
    std::string values;
    for (const char* key : keys)
        values += (values.empty() ? "" : ",") + IniValue(key);
    return values;
}

// Runs the real modal dialog; `script` runs inside its message loop once the
// dialog is shown and ends it by pressing a button.
std::function<void(HWND)>* ActiveScript;

INT_PTR CALLBACK ScriptedDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP) {
        ShowWindow(dialog, SW_SHOW);  // ending the dialog hides it: visible means open
        UpdateWindow(dialog);
        (*ActiveScript)(dialog);
        PostMessageW(dialog, WM_APP + 1, 0, 0);  // seen only if the script left it open
        return TRUE;
    }
    if (message == WM_APP + 1) {
        ADD_FAILURE() << "the script did not close the dialog";
        EndDialog(dialog, -2);
        return TRUE;
    }
    INT_PTR result = ScreenSaverConfigureDialog(dialog, message, wParam, lParam);
    if (message == WM_INITDIALOG)
        PostMessageW(dialog, WM_APP, 0, 0);
    return result;
}

INT_PTR RunDialog(std::function<void(HWND)> script)
{
    ActiveScript = &script;
    int dialog = SettingsDialogResource(Said(UiJapanese, UiEnglish));
    return DialogBoxParamW(ModuleInstance, MAKEINTRESOURCEW(dialog), NULL, ScriptedDialog, 0);
}

void Press(HWND dialog, int id)
{
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
int Position(HWND dialog, int id) { return GetScrollPos(GetDlgItem(dialog, id), SB_CTL); }

int Scroll(HWND dialog, int id, int code, int thumb = 0)
{
    SendMessageW(dialog, WM_HSCROLL, MAKEWPARAM(code, thumb), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    return Position(dialog, id);
}

std::string BitmapText(HWND dialog)
{
    char text[512];
    GetDlgItemTextA(dialog, IDC_BITMAP, text, sizeof text);
    return text;
}

const int kDisplayIds[] = { IDC_DISPLAY_CENTRED, IDC_DISPLAY_STRETCHED, IDC_DISPLAY_TILED };
const int kAnimationIds[] = { IDC_ANIM_RANDOM, IDC_ANIM_JUMP, IDC_ANIM_WAVE,
                              IDC_ANIM_ROTATION, IDC_ANIM_VORTEX, IDC_ANIM_FLAG };

void ExpectDefaults(HWND dialog)
{
    const int bars[] = { IDC_SPEED, IDC_RED, IDC_GREEN, IDC_BLUE, IDC_TEXSIZE,
                         IDC_LIGHT_RED, IDC_LIGHT_GREEN, IDC_LIGHT_BLUE };
    const int positions[] = { 100, 200, 200, 200, 10, 255, 255, 255 };
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(Position(dialog, bars[i]), positions[i]) << "bar " << bars[i];
    EXPECT_EQ(BitmapText(dialog), "sample.bmp");
    for (int id : { IDC_SMOOTH, IDC_RGBDEVICE, IDC_SPOTLIGHT })
        EXPECT_FALSE(Checked(dialog, id)) << "check box " << id;
    for (int id : kDisplayIds)
        EXPECT_EQ(Checked(dialog, id), id == IDC_DISPLAY_CENTRED) << "button " << id;
    for (int id : kAnimationIds)
        EXPECT_EQ(Checked(dialog, id), id == IDC_ANIM_RANDOM) << "button " << id;
}

class SettingsDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ModuleInstance = GetModuleHandleW(NULL);
        RemoveIni();
    }
    void TearDown() override { RemoveIni(); }
};

TEST_F(SettingsDialog, OpensWithDefaultsWithoutFileAndOkWritesEveryKeyInOrder)
{
    EXPECT_EQ(RunDialog([](HWND dialog) {
        ExpectDefaults(dialog);
        Press(dialog, IDOK);
    }), 1);
    EXPECT_EQ(ReadIniText(),
              "[morvella.scr]\r\n"
              "Speed=100\r\nRed=200\r\nGreen=200\r\nBlue=200\r\nTexSize=10\r\n"
              "LightRed=255\r\nLightGreen=255\r\nLightBlue=255\r\nBitmap=sample.bmp\r\n"
              "Smooth=0\r\nRGBDevice=0\r\nSpotLight=0\r\nDisplay=0\r\nAnimation=0\r\n");
}

TEST_F(SettingsDialog, CancelAndDefaultLeaveTheFileAsItWas)
{
    const std::string stored = "; by hand\r\n[morvella.scr]\r\nSpeed=250\r\nBitmap=stone.bmp\r\n"
                               "Smooth=1\r\nDisplay=2\r\nAnimation=5\r\n\r\n[other]\r\nx = 1\r\n";
    WriteIniText(stored);
    EXPECT_EQ(RunDialog([](HWND dialog) {
        EXPECT_EQ(Position(dialog, IDC_SPEED), 250);
        EXPECT_EQ(BitmapText(dialog), "stone.bmp");
        EXPECT_TRUE(Checked(dialog, IDC_SMOOTH) && Checked(dialog, IDC_DISPLAY_TILED) && Checked(dialog, IDC_ANIM_FLAG));
        Scroll(dialog, IDC_RED, SB_RIGHT);
        Click(dialog, IDC_RGBDEVICE);
        Press(dialog, IDCANCEL);
    }), 0);
    EXPECT_EQ(ReadIniText(), stored);
    EXPECT_EQ(RunDialog([](HWND dialog) {
        Press(dialog, IDC_DEFAULTS);
        ExpectDefaults(dialog);
        Press(dialog, IDCANCEL);
    }), 0);
    EXPECT_EQ(ReadIniText(), stored);
}

TEST_F(SettingsDialog, ScrollCodesMoveWithinTheRange)
{
    RunDialog([](HWND dialog) {
        SetScrollPos(GetDlgItem(dialog, IDC_TEXSIZE), SB_CTL, 14, FALSE);
        EXPECT_EQ(Scroll(dialog, IDC_TEXSIZE, SB_PAGERIGHT), 15);
        EXPECT_EQ(Scroll(dialog, IDC_TEXSIZE, SB_PAGELEFT), 13);
        EXPECT_EQ(Scroll(dialog, IDC_TEXSIZE, SB_LEFT), 1);
        EXPECT_EQ(Scroll(dialog, IDC_TEXSIZE, SB_LINELEFT), 1);
        SetScrollPos(GetDlgItem(dialog, IDC_GREEN), SB_CTL, 30, FALSE);
        EXPECT_EQ(Scroll(dialog, IDC_GREEN, SB_PAGELEFT), 0);
        EXPECT_EQ(Scroll(dialog, IDC_GREEN, SB_RIGHT), 255);
        EXPECT_EQ(Scroll(dialog, IDC_SPEED, SB_PAGERIGHT), 198);
        EXPECT_EQ(Scroll(dialog, IDC_SPEED, SB_THUMBTRACK, 400), 198);
        EXPECT_EQ(Scroll(dialog, IDC_SPEED, SB_THUMBPOSITION, 400), 400);
        EXPECT_EQ(Scroll(dialog, IDC_SPEED, SB_ENDSCROLL + 40), 400);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(IniValues({ "Speed", "Green", "TexSize" }), "400,255,1");
}

TEST_F(SettingsDialog, OutOfRangeValuesShowAtTheEndsAndOkWritesValidOnes)
{
    WriteIniText("[morvella.scr]\r\nSpeed=700\r\nRed=-5\r\nTexSize=0\r\nSmooth=2\r\nDisplay=7\r\nAnimation=9\r\n");
    RunDialog([](HWND dialog) {
        EXPECT_EQ(Position(dialog, IDC_SPEED), 500);
        EXPECT_EQ(Position(dialog, IDC_RED), 0);
        EXPECT_EQ(Position(dialog, IDC_TEXSIZE), 1);
        EXPECT_TRUE(Checked(dialog, IDC_SMOOTH));
        for (int id : kDisplayIds)
            EXPECT_FALSE(Checked(dialog, id)) << "button " << id;
        for (int id : kAnimationIds)
            EXPECT_FALSE(Checked(dialog, id)) << "button " << id;
        Press(dialog, IDOK);
    });
    EXPECT_EQ(IniValues({ "Speed", "Red", "TexSize", "Smooth", "Display", "Animation" }), "500,0,1,1,0,0");
}

// Each radio set shares its group only with non-radio controls, so choosing
// in one set never clears the other.
TEST_F(SettingsDialog, RadioSetsAreIndependentAndTheChoicesAreSaved)
{
    RunDialog([](HWND dialog) {
        Click(dialog, IDC_DISPLAY_STRETCHED);
        Click(dialog, IDC_ANIM_VORTEX);
        EXPECT_FALSE(Checked(dialog, IDC_DISPLAY_CENTRED) || Checked(dialog, IDC_ANIM_RANDOM));
        Click(dialog, IDC_DISPLAY_TILED);
        EXPECT_TRUE(Checked(dialog, IDC_ANIM_VORTEX));
        Click(dialog, IDC_SPOTLIGHT);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(IniValues({ "Display", "Animation", "SpotLight" }), "2,4,1");
}

// Typed key by key into the box's own edit control, as a user types.
void Type(HWND dialog, const std::wstring& text)
{
    HWND edit = GetWindow(GetDlgItem(dialog, IDC_BITMAP), GW_CHILD);
    SetWindowTextA(edit, "");
    for (wchar_t c : text)
        SendMessageW(edit, WM_CHAR, c, 1);
}

TEST_F(SettingsDialog, TypedBitmapNameIsSavedAsTypedUpTo255Characters)
{
    // Far wider than the box: typing goes on past its visible width.
    const std::wstring wide = L"a stone from the beach by the old lighthouse.bmp";
    RunDialog([&](HWND dialog) {
        Type(dialog, wide);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(IniValue("Bitmap"), std::string(wide.begin(), wide.end()));
    // 300 typed characters: the first 255 are kept.
    std::wstring typed(300, L'x');
    RunDialog([&](HWND dialog) {
        Type(dialog, typed);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(IniValue("Bitmap"), std::string(255, 'x'));
}

TEST_F(SettingsDialog, ListHoldsExactlyTheBitmapsBesideTheSaverAndFollowsChanges)
{
    const std::string folder = TestDir("dialog-bitmaps") + "\\";
    auto touch = [&](const char* name) {
        CloseHandle(CreateFileA((folder + name).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    };
    WriteIniText("[morvella.scr]\r\nBitmap=typed by hand.bmp\r\n");
    RunDialog([&](HWND dialog) {
        // The dialog looked beside this test program; point it at a folder
        // whose content the test controls.
        lstrcpyA(SaverDirectory, folder.c_str());
        auto list = [dialog] {
            HWND combo = GetDlgItem(dialog, IDC_BITMAP);
            SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
            SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
            std::string items;
            char item[512];
            for (int i = 0; SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item)) != CB_ERR; ++i)
                items += std::string(item) + "|";
            return items;
        };
        EXPECT_EQ(list(), "");
        for (const char* name : { "b.bmp", "A.BMP", "notes.txt", "d.bmpx" })
            touch(name);
        CreateDirectoryA((folder + "folder.bmp").c_str(), NULL);
        EXPECT_EQ(list(), "A.BMP|b.bmp|");
        touch("new.bmp");
        DeleteFileA((folder + "b.bmp").c_str());
        EXPECT_EQ(list(), "A.BMP|new.bmp|");
        EXPECT_EQ(BitmapText(dialog), "typed by hand.bmp");
        Press(dialog, IDCANCEL);
    });
}

// Answers every message box of this thread with OK, keeping its text.
std::wstring MessageBoxText;
HWND DialogUnderTest;

BOOL CALLBACK CollectText(HWND child, LPARAM)
{
    WCHAR part[1024];
    GetWindowTextW(child, part, 1024);
    MessageBoxText += part;
    return TRUE;
}

BOOL CALLBACK AnswerMessageBox(HWND window, LPARAM)
{
    WCHAR kind[32];
    GetClassNameW(window, kind, 32);
    if (window == DialogUnderTest || lstrcmpW(kind, L"#32770") != 0 || !IsWindowVisible(window))
        return TRUE;
    EnumChildWindows(window, CollectText, 0);
    PostMessageW(window, WM_COMMAND, IDOK, 0);
    return FALSE;
}

void CALLBACK AnswerMessageBoxes(HWND, UINT, UINT_PTR, DWORD)
{
    EnumThreadWindows(GetCurrentThreadId(), AnswerMessageBox, 0);
}

TEST_F(SettingsDialog, FailedSaveIsReportedAndTheDialogStaysOpenWithTheChoices)
{
    // A folder where the settings file belongs: nothing can be written.
    ASSERT_TRUE(CreateDirectoryA(IniPath().c_str(), NULL));
    EXPECT_EQ(RunDialog([](HWND dialog) {
        DialogUnderTest = dialog;
        Scroll(dialog, IDC_SPEED, SB_THUMBPOSITION, 333);
        UINT_PTR timer = SetTimer(NULL, 0, 50, AnswerMessageBoxes);
        Press(dialog, IDOK);
        KillTimer(NULL, timer);
        EXPECT_NE(MessageBoxText.find(Said(L"設定を保存できませんでした", L"Your settings could not be saved")),
                  std::wstring::npos) << "message: " << std::string(MessageBoxText.begin(), MessageBoxText.end());
        EXPECT_NE(MessageBoxText.find(L"morvella.ini"), std::wstring::npos);
        EXPECT_TRUE(IsWindowVisible(dialog));
        EXPECT_EQ(Position(dialog, IDC_SPEED), 333);
        // Once the obstacle is gone, OK saves what was chosen before.
        RemoveDirectoryA(IniPath().c_str());
        Press(dialog, IDOK);
    }), 1);
    RemoveDirectoryA(IniPath().c_str());
    EXPECT_EQ(IniValue("Speed"), "333");
}

// A character that the ANSI code page lacks would be stored as another one:
// the name is refused with a message and nothing is written.
TEST_F(SettingsDialog, TypedNameOutsideTheCodePageIsRefusedAndTheDialogStaysOpen)
{
    if (GetACP() == 932)
        GTEST_SKIP() << "every test character is in code page 932";
    EXPECT_EQ(RunDialog([](HWND dialog) {
        DialogUnderTest = dialog;
        MessageBoxText.clear();
        Type(dialog, L"\x77f3.bmp");  // a kanji: outside code page 1252
        UINT_PTR timer = SetTimer(NULL, 0, 50, AnswerMessageBoxes);
        Press(dialog, IDOK);
        KillTimer(NULL, timer);
        EXPECT_NE(MessageBoxText.find(Said(L"ビットマップのファイル名を保存できません",
                                           L"The bitmap file name cannot be saved")), std::wstring::npos);
        EXPECT_TRUE(IsWindowVisible(dialog));
        EXPECT_EQ(IniValue("Bitmap"), "<none>");
        Type(dialog, L"stone.bmp");
        Press(dialog, IDOK);
    }), 1);
    EXPECT_EQ(IniValue("Bitmap"), "stone.bmp");
}

// Pixels of the version line that differ from the dialog's background: at
// (12, 44) and 14 pixels high at 96 DPI, in proportion at any other.
int VersionInk(HWND dialog)
{
    HDC dc = GetDC(dialog);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    auto at = [dpi](int pixels) { return MulDiv(pixels, dpi, 96); };
    COLORREF background = GetPixel(dc, at(4), at(40));
    int ink = 0;
    for (int y = at(44); y < at(58); ++y)
        for (int x = at(12); x < at(80); ++x)
            ink += GetPixel(dc, x, y) != background;
    ReleaseDC(dialog, dc);
    return ink;
}

TEST_F(SettingsDialog, VersionLineSurvivesRepaints)
{
    RunDialog([](HWND dialog) {
        EXPECT_GT(VersionInk(dialog), 20);
        InvalidateRect(dialog, NULL, TRUE);
        UpdateWindow(dialog);
        EXPECT_GT(VersionInk(dialog), 20);
        Press(dialog, IDCANCEL);
    });
}

// End to end: the saver file as Windows' Screen Saver Settings starts it.
HWND WaitForDialog(const SaverProcess& saver)
{
    for (int i = 0; i < 500; ++i) {
        HWND window = NULL;
        while ((window = FindWindowExW(NULL, window, L"#32770", Said(L"設定", L"Settings")))) {
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            if (pid == saver.pid() && IsWindowVisible(window))
                return window;
        }
        Pump(20);
    }
    return NULL;
}

// The dialog may send to its owner, a window of this thread: keep pumping.
DWORD PressAndWaitExit(const SaverProcess& saver, HWND dialog, int id)
{
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    for (int i = 0; i < 500 && saver.Running(); ++i)
        Pump(20);
    return saver.WaitExit(0);
}

TEST_F(SettingsDialog, SettingsModeOkExitsWithOneAndTheSaverReadsWhatWasSaved)
{
    SaverProcess saver;
    ASSERT_TRUE(StartSaver(saver, ""));
    HWND dialog = WaitForDialog(saver);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), static_cast<HWND>(NULL));
    SendMessageW(dialog, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 240),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_SPEED)));
    SendMessageW(GetDlgItem(dialog, IDC_ANIM_WAVE), BM_CLICK, 0, 0);
    SetDlgItemTextW(dialog, IDC_BITMAP, L"marble.bmp");
    EXPECT_EQ(PressAndWaitExit(saver, dialog, IDOK), 1u);
    SaverSettings settings;
    LoadSettings(settings);
    EXPECT_EQ(settings.Speed, 240);
    EXPECT_EQ(settings.Animation, 2);
    EXPECT_STREQ(settings.Bitmap, "marble.bmp");
}

TEST_F(SettingsDialog, SettingsModeGivenWindowOwnsTheDialogAndCancelExitsWithZero)
{
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, NULL, NULL, NULL, NULL);
    SaverProcess saver;
    ASSERT_TRUE(StartSaver(saver, "/c:" + std::to_string(reinterpret_cast<UINT_PTR>(owner))));
    HWND dialog = WaitForDialog(saver);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner);
    EXPECT_EQ(PressAndWaitExit(saver, dialog, IDCANCEL), 0u);
    EXPECT_EQ(GetFileAttributesA(IniPath().c_str()), INVALID_FILE_ATTRIBUTES);
    DestroyWindow(owner);
}

// The captions are Unicode in the template and must reach the screen intact
// whatever the system's ANSI code page: run under a Japanese and a Western
// locale (LANG) to cover both, and with a Japanese and an English UI
// language.
TEST_F(SettingsDialog, SettingsModeCaptionsAreInTheUserLanguageUnderThisCodePage)
{
    RecordProperty("AnsiCodePage", static_cast<int>(GetACP()));
    SaverProcess saver;
    ASSERT_TRUE(StartSaver(saver, "/c"));
    HWND dialog = WaitForDialog(saver);  // found by its title, "設定" or "Settings"
    ASSERT_TRUE(dialog);
    const struct {
        int id;
        const wchar_t* japanese;
        const wchar_t* english;
    } expected[] = {
        { IDOK, L"OK", L"OK" },
        { IDCANCEL, L"ｷｬﾝｾﾙ", L"Cancel" },
        { IDC_DEFAULTS, L"ﾃﾞﾌｫﾙﾄ", L"Defaults" },
        { IDC_RGBDEVICE, L"RGBﾃﾞﾊﾞｲｽ", L"RGB device" },
        { IDC_ANIM_WAVE, L"波", L"Wave" },
        { IDC_ANIM_ROTATION, L"回転", L"Rotation" },
        { IDC_SPEED_LABEL, L"描画速度", L"Speed" },
        { IDC_SPOTLIGHT, L"ｽﾎﾟｯﾄﾗｲﾄ", L"Spotlight" },
        { IDC_DISPLAY_STRETCHED, L"ﾌﾙｽｸﾘｰﾝ", L"Full screen" },
    };
    for (const auto& control : expected) {
        WCHAR text[64];
        GetDlgItemTextW(dialog, control.id, text, 64);
        EXPECT_STREQ(text, Said(control.japanese, control.english)) << "control " << control.id << ", code page " << GetACP();
    }
    EXPECT_EQ(PressAndWaitExit(saver, dialog, IDCANCEL), 0u);
}

}  // namespace
