// The settings dialog driven in-process: the template comes from this test
// program's own resources, the settings file is the real morvella.ini of the
// test prefix's Windows directory.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "config/settings_dialog.h"
#include "framework/modes.h"
#include "resources/dialog_ids.h"
#include "resources/resource.h"
#include "saver/saver_state.h"
#include "saver/settings.h"

namespace {

std::string IniPath()
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    return std::string(windows) + "\\morvella.ini";
}

void RemoveIni()
{
    std::string path = IniPath();
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
    RemoveDirectoryA(path.c_str());
}

void WriteIni(const std::string& content)
{
    HANDLE file = CreateFileA(IniPath().c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, NULL);
    CloseHandle(file);
}

std::string ReadIni()
{
    std::string content;
    HANDLE file = CreateFileA(IniPath().c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, NULL) && got)
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

// Runs the real modal dialog; `script` runs inside its message loop once the
// dialog is up and ends it by pressing a button.
std::function<void(HWND)>* ActiveScript;

INT_PTR CALLBACK ScriptedDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP) {
        // Shown now rather than when the loop first idles, so that ending the
        // dialog (which hides it) can be seen.
        ShowWindow(dialog, SW_SHOW);
        UpdateWindow(dialog);
        (*ActiveScript)(dialog);
        // Reached only while the script left the dialog open (a failed
        // assertion): end it rather than hang the test.
        PostMessageW(dialog, WM_APP + 1, 0, 0);
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
    return DialogBoxParamW(ModuleInstance, MAKEINTRESOURCEW(IDD_SETTINGS), NULL, ScriptedDialog, 0);
}

void Press(HWND dialog, int id)
{
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

int Position(HWND dialog, int id)
{
    return GetScrollPos(GetDlgItem(dialog, id), SB_CTL);
}

int Scroll(HWND dialog, int id, int code, int thumb = 0)
{
    SendMessageW(dialog, WM_HSCROLL, MAKEWPARAM(code, thumb), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    return Position(dialog, id);
}

bool Checked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

std::string BitmapText(HWND dialog)
{
    char text[512];
    GetDlgItemTextA(dialog, IDC_BITMAP, text, sizeof text);
    return text;
}

std::vector<std::string> DropDownList(HWND dialog)
{
    HWND combo = GetDlgItem(dialog, IDC_BITMAP);
    SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
    SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
    std::vector<std::string> items;
    int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char item[512];
        SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        items.push_back(item);
    }
    return items;
}

const int kBars[] = { IDC_SPEED, IDC_RED, IDC_GREEN, IDC_BLUE, IDC_TEXSIZE,
                      IDC_LIGHT_RED, IDC_LIGHT_GREEN, IDC_LIGHT_BLUE };
const int kDefaultPositions[] = { 100, 200, 200, 200, 10, 255, 255, 255 };
const int kDisplayIds[] = { IDC_DISPLAY_CENTRED, IDC_DISPLAY_STRETCHED, IDC_DISPLAY_TILED };
const int kAnimationIds[] = { IDC_ANIM_RANDOM, IDC_ANIM_JUMP, IDC_ANIM_WAVE,
                              IDC_ANIM_ROTATION, IDC_ANIM_VORTEX, IDC_ANIM_FLAG };

void ExpectDefaults(HWND dialog)
{
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(Position(dialog, kBars[i]), kDefaultPositions[i]) << "bar " << kBars[i];
    EXPECT_EQ(BitmapText(dialog), "sample.bmp");
    EXPECT_FALSE(Checked(dialog, IDC_SMOOTH));
    EXPECT_FALSE(Checked(dialog, IDC_RGBDEVICE));
    EXPECT_FALSE(Checked(dialog, IDC_SPOTLIGHT));
    for (int id : kDisplayIds)
        EXPECT_EQ(Checked(dialog, id), id == IDC_DISPLAY_CENTRED) << "button " << id;
    for (int id : kAnimationIds)
        EXPECT_EQ(Checked(dialog, id), id == IDC_ANIM_RANDOM) << "button " << id;
}

const char kDefaultIni[] =
    "[morvella.scr]\r\n"
    "Speed=100\r\nRed=200\r\nGreen=200\r\nBlue=200\r\nTexSize=10\r\n"
    "LightRed=255\r\nLightGreen=255\r\nLightBlue=255\r\nBitmap=sample.bmp\r\n"
    "Smooth=0\r\nRGBDevice=0\r\nSpotLight=0\r\nDisplay=0\r\nAnimation=0\r\n";

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
    INT_PTR result = RunDialog([](HWND dialog) {
        ExpectDefaults(dialog);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(ReadIni(), kDefaultIni);
}

TEST_F(SettingsDialog, CancelAndDefaultLeaveTheFileAsItWas)
{
    const std::string stored =
        "; kept by hand\r\n[morvella.scr]\r\nSpeed=250\r\nRed=7\r\nBitmap=stone.bmp\r\n"
        "Smooth=1\r\nDisplay=2\r\nAnimation=5\r\n\r\n[other]\r\nx = 1\r\n";
    WriteIni(stored);

    EXPECT_EQ(RunDialog([](HWND dialog) {
        EXPECT_EQ(Position(dialog, IDC_SPEED), 250);
        EXPECT_EQ(BitmapText(dialog), "stone.bmp");
        EXPECT_TRUE(Checked(dialog, IDC_SMOOTH));
        EXPECT_TRUE(Checked(dialog, IDC_DISPLAY_TILED));
        EXPECT_TRUE(Checked(dialog, IDC_ANIM_FLAG));
        Scroll(dialog, IDC_RED, SB_RIGHT);
        SendMessageW(GetDlgItem(dialog, IDC_RGBDEVICE), BM_CLICK, 0, 0);
        Press(dialog, IDCANCEL);
    }), 0);
    EXPECT_EQ(ReadIni(), stored);

    EXPECT_EQ(RunDialog([](HWND dialog) {
        Press(dialog, IDC_DEFAULTS);
        ExpectDefaults(dialog);
        Press(dialog, IDCANCEL);
    }), 0);
    EXPECT_EQ(ReadIni(), stored);
}

TEST_F(SettingsDialog, ScrollCodesMoveWithinTheRange)
{
    RunDialog([](HWND dialog) {
        SetScrollPos(GetDlgItem(dialog, IDC_TEXSIZE), SB_CTL, 14, FALSE);
        EXPECT_EQ(Scroll(dialog, IDC_TEXSIZE, SB_PAGERIGHT), 15);
        EXPECT_EQ(Scroll(dialog, IDC_TEXSIZE, SB_LINERIGHT), 15);
        EXPECT_EQ(Scroll(dialog, IDC_TEXSIZE, SB_PAGELEFT), 13);
        EXPECT_EQ(Scroll(dialog, IDC_TEXSIZE, SB_LEFT), 1);
        EXPECT_EQ(Scroll(dialog, IDC_TEXSIZE, SB_LINELEFT), 1);

        SetScrollPos(GetDlgItem(dialog, IDC_GREEN), SB_CTL, 30, FALSE);
        EXPECT_EQ(Scroll(dialog, IDC_GREEN, SB_PAGELEFT), 0);
        EXPECT_EQ(Scroll(dialog, IDC_GREEN, SB_PAGERIGHT), 51);
        EXPECT_EQ(Scroll(dialog, IDC_GREEN, SB_LINERIGHT), 52);
        EXPECT_EQ(Scroll(dialog, IDC_GREEN, SB_RIGHT), 255);

        EXPECT_EQ(Scroll(dialog, IDC_SPEED, SB_PAGERIGHT), 198);
        EXPECT_EQ(Scroll(dialog, IDC_SPEED, SB_THUMBTRACK, 400), 198);
        EXPECT_EQ(Scroll(dialog, IDC_SPEED, SB_ENDSCROLL, 400), 198);
        EXPECT_EQ(Scroll(dialog, IDC_SPEED, SB_THUMBPOSITION, 400), 400);
        EXPECT_EQ(Scroll(dialog, IDC_SPEED, SB_TOP + 42), 400);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(IniValue("Speed"), "400");
    EXPECT_EQ(IniValue("Green"), "255");
    EXPECT_EQ(IniValue("TexSize"), "1");
}

TEST_F(SettingsDialog, OutOfRangeValuesShowAtTheEndsAndOkWritesValidOnes)
{
    WriteIni("[morvella.scr]\r\nSpeed=700\r\nRed=-5\r\nTexSize=0\r\nLightBlue=abc\r\n"
             "Smooth=2\r\nDisplay=7\r\nAnimation=9\r\n");
    RunDialog([](HWND dialog) {
        EXPECT_EQ(Position(dialog, IDC_SPEED), 500);
        EXPECT_EQ(Position(dialog, IDC_RED), 0);
        EXPECT_EQ(Position(dialog, IDC_TEXSIZE), 1);
        EXPECT_EQ(Position(dialog, IDC_LIGHT_BLUE), 0);
        EXPECT_TRUE(Checked(dialog, IDC_SMOOTH));
        for (int id : kDisplayIds)
            EXPECT_FALSE(Checked(dialog, id)) << "button " << id;
        for (int id : kAnimationIds)
            EXPECT_FALSE(Checked(dialog, id)) << "button " << id;
        Press(dialog, IDOK);
    });
    EXPECT_EQ(IniValue("Speed"), "500");
    EXPECT_EQ(IniValue("Red"), "0");
    EXPECT_EQ(IniValue("TexSize"), "1");
    EXPECT_EQ(IniValue("Smooth"), "1");
    EXPECT_EQ(IniValue("Display"), "0");
    EXPECT_EQ(IniValue("Animation"), "0");
}

TEST_F(SettingsDialog, RadioSetsAreIndependentAndTheLastChoiceIsSaved)
{
    RunDialog([](HWND dialog) {
        SendMessageW(GetDlgItem(dialog, IDC_DISPLAY_STRETCHED), BM_CLICK, 0, 0);
        SendMessageW(GetDlgItem(dialog, IDC_ANIM_VORTEX), BM_CLICK, 0, 0);
        EXPECT_TRUE(Checked(dialog, IDC_DISPLAY_STRETCHED));
        EXPECT_FALSE(Checked(dialog, IDC_DISPLAY_CENTRED));
        EXPECT_TRUE(Checked(dialog, IDC_ANIM_VORTEX));
        EXPECT_FALSE(Checked(dialog, IDC_ANIM_RANDOM));
        SendMessageW(GetDlgItem(dialog, IDC_DISPLAY_TILED), BM_CLICK, 0, 0);
        EXPECT_TRUE(Checked(dialog, IDC_ANIM_VORTEX));
        SendMessageW(GetDlgItem(dialog, IDC_SPOTLIGHT), BM_CLICK, 0, 0);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(IniValue("Display"), "2");
    EXPECT_EQ(IniValue("Animation"), "4");
    EXPECT_EQ(IniValue("SpotLight"), "1");
}

TEST_F(SettingsDialog, TypedBitmapNameIsSavedAsTypedUpTo255Characters)
{
    RunDialog([](HWND dialog) {
        HWND combo = GetDlgItem(dialog, IDC_BITMAP);
        SetWindowTextA(combo, "");
        for (const char* c = "my stone.bmp"; *c; ++c)
            SendMessageA(GetWindow(combo, GW_CHILD), WM_CHAR, *c, 1);
        EXPECT_EQ(BitmapText(dialog), "my stone.bmp");
        Press(dialog, IDOK);
    });
    EXPECT_EQ(IniValue("Bitmap"), "my stone.bmp");

    const std::string longest(251, 'x');
    RunDialog([&](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_BITMAP, (longest + ".bmp" + "tail").c_str());
        Press(dialog, IDOK);
    });
    EXPECT_EQ(IniValue("Bitmap"), longest + ".bmp");
}

class BitmapFolder : public SettingsDialog {
protected:
    void SetUp() override
    {
        SettingsDialog::SetUp();
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        folder = std::string(temp) + "morvella-dialog-" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(folder.c_str(), NULL);
    }
    void TearDown() override
    {
        for (const char* name : { "b.bmp", "A.BMP", "notes.txt", "d.bmpx", "new.bmp" })
            DeleteFileA((folder + name).c_str());
        RemoveDirectoryA((folder + "folder.bmp").c_str());
        RemoveDirectoryA(folder.c_str());
        SettingsDialog::TearDown();
    }
    void Touch(const char* name)
    {
        CloseHandle(CreateFileA((folder + name).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    }
    std::string folder;
};

TEST_F(BitmapFolder, ListHoldsExactlyTheBitmapsBesideTheSaverAndFollowsChanges)
{
    WriteIni("[morvella.scr]\r\nBitmap=typed by hand.bmp\r\n");
    RunDialog([this](HWND dialog) {
        // The dialog looked beside this test program; point it at a folder
        // whose content the test controls.
        lstrcpyA(SaverDirectory, folder.c_str());
        EXPECT_TRUE(DropDownList(dialog).empty());
        EXPECT_EQ(BitmapText(dialog), "typed by hand.bmp");

        for (const char* name : { "b.bmp", "A.BMP", "notes.txt", "d.bmpx" })
            Touch(name);
        CreateDirectoryA((folder + "folder.bmp").c_str(), NULL);
        EXPECT_EQ(DropDownList(dialog), (std::vector<std::string>{ "A.BMP", "b.bmp" }));

        Touch("new.bmp");
        DeleteFileA((folder + "b.bmp").c_str());
        EXPECT_EQ(DropDownList(dialog), (std::vector<std::string>{ "A.BMP", "new.bmp" }));
        EXPECT_EQ(BitmapText(dialog), "typed by hand.bmp");
        Press(dialog, IDCANCEL);
    });
}

// Collects the texts of every message box shown while it is installed and
// answers each with OK.
std::vector<std::wstring> MessageBoxTexts;

BOOL CALLBACK CollectText(HWND child, LPARAM text)
{
    WCHAR part[1024];
    GetWindowTextW(child, part, 1024);
    *reinterpret_cast<std::wstring*>(text) += part;
    return TRUE;
}

BOOL CALLBACK AnswerMessageBox(HWND window, LPARAM settingsDialog)
{
    WCHAR kind[32];
    GetClassNameW(window, kind, 32);
    if (window == reinterpret_cast<HWND>(settingsDialog) || lstrcmpW(kind, L"#32770") != 0 ||
        !IsWindowVisible(window))
        return TRUE;
    std::wstring text;
    EnumChildWindows(window, CollectText, reinterpret_cast<LPARAM>(&text));
    MessageBoxTexts.push_back(text);
    PostMessageW(window, WM_COMMAND, IDOK, 0);
    return FALSE;
}

HWND DialogUnderTest;

void CALLBACK AnswerMessageBoxes(HWND, UINT, UINT_PTR, DWORD)
{
    EnumThreadWindows(GetCurrentThreadId(), AnswerMessageBox, reinterpret_cast<LPARAM>(DialogUnderTest));
}

TEST_F(SettingsDialog, FailedSaveIsReportedAndTheDialogStaysOpenWithTheChoices)
{
    // A folder where the settings file belongs: nothing can be written.
    ASSERT_TRUE(CreateDirectoryA(IniPath().c_str(), NULL));
    INT_PTR result = RunDialog([](HWND dialog) {
        DialogUnderTest = dialog;
        Scroll(dialog, IDC_SPEED, SB_THUMBPOSITION, 333);
        UINT_PTR timer = SetTimer(NULL, 0, 50, AnswerMessageBoxes);
        Press(dialog, IDOK);
        KillTimer(NULL, timer);

        ASSERT_EQ(MessageBoxTexts.size(), 1u);
        EXPECT_NE(MessageBoxTexts[0].find(L"設定を保存できませんでした"), std::wstring::npos);
        EXPECT_NE(MessageBoxTexts[0].find(L"morvella.ini"), std::wstring::npos);
        EXPECT_TRUE(IsWindowVisible(dialog));
        EXPECT_EQ(Position(dialog, IDC_SPEED), 333);

        // Once the obstacle is gone, OK saves what was chosen before.
        RemoveDirectoryA(IniPath().c_str());
        Press(dialog, IDOK);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(IniValue("Speed"), "333");
}

}  // namespace
