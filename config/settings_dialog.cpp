#include <windows.h>

#include "config/settings_dialog.h"
#include "saver/saver_state.h"
#include "saver/settings_store.h"
#include "engine/render_engine.h"
#include "resources/dialog_ids.h"
#include "platform/display_dpi.h"
#include "platform/file_view.h"
#include "platform/paths.h"
#include "platform/ui_language.h"
#include "settings/modes.h"
#include "settings/settings_table.h"

namespace {

// Which control shows which setting (a row of kSettings).
struct ShownSetting {
    uint8_t setting;  // SettingIndex
    WORD id;
};

// The scroll bars show the stored value itself as their position.
const ShownSetting kScrollBars[] = {
    { SettingSpeed,      IDC_SPEED },
    { SettingRed,        IDC_RED },
    { SettingGreen,      IDC_GREEN },
    { SettingBlue,       IDC_BLUE },
    { SettingTexSize,    IDC_TEXSIZE },
    { SettingLightRed,   IDC_LIGHT_RED },
    { SettingLightGreen, IDC_LIGHT_GREEN },
    { SettingLightBlue,  IDC_LIGHT_BLUE },
};

const ShownSetting kCheckBoxes[] = {
    { SettingSmooth,    IDC_SMOOTH },
    { SettingRGBDevice, IDC_RGBDEVICE },
    { SettingSpotLight, IDC_SPOTLIGHT },
};

// A setting whose value is the index of the checked button of a radio set,
// one button per value of its range.
struct RadioSetting {
    uint8_t setting;  // SettingIndex
    const WORD* ids;
};

const WORD kDisplayButtons[] = { IDC_DISPLAY_CENTRED, IDC_DISPLAY_STRETCHED, IDC_DISPLAY_TILED };
const WORD kAnimationButtons[] = { IDC_ANIM_RANDOM, IDC_ANIM_JUMP, IDC_ANIM_WAVE,
                                   IDC_ANIM_ROTATION, IDC_ANIM_VORTEX, IDC_ANIM_FLAG };
static_assert(sizeof kDisplayButtons / sizeof *kDisplayButtons == kDisplayModeCount,
              "a radio button for every display mode");
static_assert(sizeof kAnimationButtons / sizeof *kAnimationButtons == kAnimationModeCount,
              "a radio button for every animation mode");
const RadioSetting kDisplaySetting = { SettingDisplay, kDisplayButtons };
const RadioSetting kAnimationSetting = { SettingAnimation, kAnimationButtons };

const SettingRow& Row(uint8_t setting)
{
    return kSettings[setting];
}

int ReadInt(const SettingsFileNames& names, uint8_t setting)
{
    const SettingRow& s = Row(setting);
    return static_cast<int>(GetPrivateProfileIntA(names.section, s.key, s.fallback, names.file));
}

bool WriteInt(const SettingsFileNames& names, uint8_t setting, int value)
{
    char text[kBitmapNameChars];
    wsprintfA(text, "%ld", static_cast<long>(value));
    return WritePrivateProfileStringA(names.section, Row(setting).key, text, names.file) != 0;
}

void SetBarPosition(HWND dialog, int id, int position)
{
    SetScrollPos(GetDlgItem(dialog, id), SB_CTL, position, TRUE);
}

int BarPosition(HWND dialog, int id)
{
    return GetScrollPos(GetDlgItem(dialog, id), SB_CTL);
}

void SetCheck(HWND dialog, int id, bool checked)
{
    CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

int RadioCount(const RadioSetting& radio)
{
    const SettingRow& s = Row(radio.setting);
    return s.maximum - s.minimum + 1;
}

// Checks the button for `value`; a value outside the set leaves every button
// of the set unchecked.
void ShowRadio(HWND dialog, const RadioSetting& radio, int value)
{
    for (int i = 0; i < RadioCount(radio); ++i)
        SetCheck(dialog, radio.ids[i], i == value);
}

// Index of the checked button, the last one if several are; the default 0
// when none is, so that an out-of-range stored value is replaced by a valid
// one rather than by whatever the set happens to show.
int CheckedRadio(HWND dialog, const RadioSetting& radio)
{
    int value = 0;
    for (int i = 0; i < RadioCount(radio); ++i) {
        if (IsDlgButtonChecked(dialog, radio.ids[i]) == BST_CHECKED)
            value = i;
    }
    return value;
}

void LoadControls(HWND dialog)
{
    SettingsFileNames names;
    LoadSettingsFileNames(names);

    for (const ShownSetting& shown : kScrollBars) {
        const SettingRow& s = Row(shown.setting);
        HWND bar = GetDlgItem(dialog, shown.id);
        int value = ReadInt(names, shown.setting);
        if (value < s.minimum)
            value = s.minimum;
        if (value > s.maximum)
            value = s.maximum;
        SetScrollRange(bar, SB_CTL, s.minimum, s.maximum, FALSE);
        SetScrollPos(bar, SB_CTL, value, TRUE);
    }

    char bitmap[kBitmapNameChars];
    GetPrivateProfileStringA(names.section, Row(SettingBitmap).key, kDefaultBitmap, bitmap, sizeof bitmap,
                             names.file);
    HWND combo = GetDlgItem(dialog, IDC_BITMAP);
    // What the user can type is exactly what OK can store.
    SendMessageA(combo, CB_LIMITTEXT, kBitmapNameChars - 1, 0);
    SetWindowTextA(combo, bitmap);

    // Any non-zero value means "on" to the saver, so it shows as checked.
    for (const ShownSetting& shown : kCheckBoxes)
        SetCheck(dialog, shown.id, ReadInt(names, shown.setting) != 0);

    ShowRadio(dialog, kDisplaySetting, ReadInt(names, kDisplaySetting.setting));
    ShowRadio(dialog, kAnimationSetting, ReadInt(names, kAnimationSetting.setting));
}

void ResetControls(HWND dialog)
{
    for (const ShownSetting& shown : kScrollBars)
        SetBarPosition(dialog, shown.id, Row(shown.setting).fallback);
    SetWindowTextA(GetDlgItem(dialog, IDC_BITMAP), kDefaultBitmap);
    for (const ShownSetting& shown : kCheckBoxes)
        SetCheck(dialog, shown.id, Row(shown.setting).fallback != 0);
    ShowRadio(dialog, kDisplaySetting, Row(kDisplaySetting.setting).fallback);
    ShowRadio(dialog, kAnimationSetting, Row(kAnimationSetting.setting).fallback);
}

// Writes every key, stopping at the first write the system refuses. The
// order is that of the keys in a file the dialog makes.
bool SaveControls(HWND dialog, const SettingsFileNames& names)
{
    for (const ShownSetting& shown : kScrollBars) {
        if (!WriteInt(names, shown.setting, BarPosition(dialog, shown.id)))
            return false;
    }

    char bitmap[kBitmapNameChars];
    GetWindowTextA(GetDlgItem(dialog, IDC_BITMAP), bitmap, sizeof bitmap);
    if (!WritePrivateProfileStringA(names.section, Row(SettingBitmap).key, bitmap, names.file))
        return false;

    for (const ShownSetting& shown : kCheckBoxes) {
        if (!WriteInt(names, shown.setting, IsDlgButtonChecked(dialog, shown.id) == BST_CHECKED))
            return false;
    }
    return WriteInt(names, kDisplaySetting.setting, CheckedRadio(dialog, kDisplaySetting)) &&
           WriteInt(names, kAnimationSetting.setting, CheckedRadio(dialog, kAnimationSetting));
}

// The texts of the dialog's message boxes, in the dialog's language.
struct DialogMessages {
    const WCHAR* caption;
    const WCHAR* saveFailedBefore;  // the settings file's path goes between these two
    const WCHAR* saveFailedAfter;
    const WCHAR* bitmapNameNotStorable;
};

const DialogMessages kJapaneseMessages = {
    L"設定",
    L"設定を保存できませんでした。\r\n\r\nWindows フォルダーの設定ファイル「",
    L"」に書き込めません。ファイルが読み取り専用になっていないか、"
    L"ディスクに空きがあるかを確かめてから、もう一度 OK を押してください。",
    L"ビットマップのファイル名を保存できません。この Windows の文字コードで表せない"
    L"文字が含まれているか、長すぎます。名前を変えてから、もう一度 OK を押してください。",
};

const DialogMessages kEnglishMessages = {
    L"Settings",
    L"Your settings could not be saved.\r\n\r\nThe settings file \"",
    L"\" in the Windows folder cannot be written. Make sure that the file is not "
    L"read-only and that the disk has free space, then click OK again.",
    L"The bitmap file name cannot be saved: it contains characters that the "
    L"current language for non-Unicode programs cannot represent, or it is too "
    L"long. Change the name, then click OK again.",
};

const DialogMessages& Messages()
{
    return UserUiLanguage() == UiJapanese ? kJapaneseMessages : kEnglishMessages;
}

void AppendWide(WCHAR* text, int& length, int size, const WCHAR* part)
{
    while (*part && length < size - 1)
        text[length++] = *part++;
    text[length] = 0;
}

// Without this the user's choices would vanish with a dialog that closed as
// if all were well. Built by hand: of the wide text functions, Windows 9x
// has MessageBoxW and the code-page conversions but no wsprintfW.
void ReportSaveFailure(HWND dialog, const SettingsFileNames& names)
{
    WCHAR file[sizeof names.file];
    if (!MultiByteToWideChar(CP_ACP, 0, names.file, -1, file, sizeof names.file))
        file[0] = 0;
    const DialogMessages& messages = Messages();
    WCHAR text[512];
    int length = 0;
    AppendWide(text, length, 512, messages.saveFailedBefore);
    AppendWide(text, length, 512, file);
    AppendWide(text, length, 512, messages.saveFailedAfter);
    MessageBoxW(dialog, text, messages.caption, MB_OK | MB_ICONEXCLAMATION);
}

// The name is stored as ANSI text, as the saver reads it. A character the
// system's code page lacks would be stored as '?' or a look-alike, and a name
// past 255 bytes would be cut: either way the saver would look for another
// file. Windows 9x keeps no wide text in its controls; there what was typed
// is ANSI text already.
bool BitmapNameStorable(HWND dialog)
{
    HWND combo = GetDlgItem(dialog, IDC_BITMAP);
    WCHAR name[kBitmapNameChars];
    if (!GetWindowTextW(combo, name, kBitmapNameChars))
        return true;
    // The ANSI text as the system converts it, back to wide for comparison.
    char ansi[kBitmapNameChars * 2];
    GetWindowTextA(combo, ansi, sizeof ansi);
    if (lstrlenA(ansi) >= kBitmapNameChars)
        return false;
    WCHAR back[kBitmapNameChars];
    int chars = MultiByteToWideChar(CP_ACP, 0, ansi, -1, back, kBitmapNameChars);
    return chars > 0 && memcmp(name, back, chars * sizeof(WCHAR)) == 0;
}

// Rebuilt on every drop-down so that bitmaps copied beside the saver while
// the dialog is open are offered too. The edit text is left alone.
void RefillBitmapList(HWND dialog)
{
    HWND combo = GetDlgItem(dialog, IDC_BITMAP);
    LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    if (count == CB_ERR)
        return;
    // One by one: CB_RESETCONTENT would also clear the edit text.
    for (; count > 0; --count)
        SendMessageA(combo, CB_DELETESTRING, 0, 0);

    // A saver directory too long to keep must not turn into a search of
    // whatever the current directory is.
    char pattern[kSaverPathChars];
    if (!SaverDirectoryFits || !JoinPath(pattern, sizeof pattern, SaverDirectory, "*.bmp"))
        return;
    WIN32_FIND_DATAA found;
    OpenSaverFileView();
    HANDLE search = FindFirstFileA(pattern, &found);
    CloseSaverFileView();
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        // "*.bmp" also matches through 8.3 short names ("a.bmpx" is A~1.BMP),
        // so the long name is checked again; folders are no textures.
        int length = lstrlenA(found.cFileName);
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && length > 4 &&
            lstrcmpiA(found.cFileName + length - 4, ".bmp") == 0)
            SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(found.cFileName));
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

void ScrollBar(HWND bar, int code, int thumb)
{
    if (!bar)
        return;
    int minimum = 0;
    int maximum = 0;
    GetScrollRange(bar, SB_CTL, &minimum, &maximum);
    int page = (maximum - minimum) / 5;
    int position = GetScrollPos(bar, SB_CTL);
    switch (code) {
    case SB_LINELEFT:
        position = position - 1 < minimum ? minimum : position - 1;
        break;
    case SB_LINERIGHT:
        position = position + 1 > maximum ? maximum : position + 1;
        break;
    case SB_PAGELEFT:
        position = position - page < minimum ? minimum : position - page;
        break;
    case SB_PAGERIGHT:
        position = position + page > maximum ? maximum : position + page;
        break;
    case SB_THUMBPOSITION:
        position = thumb;
        break;
    case SB_THUMBTRACK:
    case SB_ENDSCROLL:
        return;
    case SB_LEFT:
        position = minimum;
        break;
    case SB_RIGHT:
        position = maximum;
        break;
    default:
        break;
    }
    SetScrollPos(bar, SB_CTL, position, TRUE);
}

// The GUI font at `dpi`: the stock font is made for the system's DPI, which
// a dialog on a monitor of another scaling does not have. NULL when the stock
// font serves as it is or no other can be made.
HFONT GuiFontAt(HGDIOBJ stock, int stockDpi, UINT dpi)
{
    LOGFONTA font;
    if (static_cast<int>(dpi) == stockDpi || !GetObjectA(stock, sizeof font, &font))
        return NULL;
    font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), stockDpi);
    return CreateFontIndirectA(&font);
}

// Painted between BeginPaint and EndPaint: drawn before the default paint,
// the line would be wiped by the background erase of every later repaint
// (after the dialog was covered, for instance). Its place and font scale with
// the dialog, which Windows lays out at the DPI of its monitor.
void PaintLibVersion(HWND dialog)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog, &paint);
    if (!dc)
        return;
    int systemDpi = GetDeviceCaps(dc, LOGPIXELSY);
    UINT dpi = WindowDpi(dialog);
    if (!dpi)
        dpi = static_cast<UINT>(systemDpi);
    // Without the GUI font the line is left out rather than drawn in
    // whatever font the context happens to hold.
    HGDIOBJ stock = GetStockObject(DEFAULT_GUI_FONT);
    HFONT scaled = stock ? GuiFontAt(stock, systemDpi, dpi) : NULL;
    HGDIOBJ font = scaled ? scaled : stock;
    HGDIOBJ previous = font ? SelectObject(dc, font) : NULL;
    if (!previous) {
        if (scaled)
            DeleteObject(scaled);
        EndPaint(dialog, &paint);
        return;
    }
    SetBkMode(dc, TRANSPARENT);
    const char* version;
    const char* buildDate;
    const char* buildTime;
    g_Engine.GetLibVersion(version, buildDate, buildTime);
    char line[64];
    int length = wsprintfA(line, "Lib Ver. %s", version);
    TextOutA(dc, ScaleForDpi(12, dpi), ScaleForDpi(44, dpi), line, length);
    SelectObject(dc, previous);
    if (scaled)
        DeleteObject(scaled);
    EndPaint(dialog, &paint);
}

}  // namespace

extern "C" INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        FindSaverDirectory();
        LoadControls(dialog);
        return TRUE;
    case WM_PAINT:
        PaintLibVersion(dialog);
        return TRUE;
    case WM_HSCROLL:
        ScrollBar(reinterpret_cast<HWND>(lParam), LOWORD(wParam), HIWORD(wParam));
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: {
            if (!BitmapNameStorable(dialog)) {
                MessageBoxW(dialog, Messages().bitmapNameNotStorable, Messages().caption,
                            MB_OK | MB_ICONEXCLAMATION);
                return TRUE;
            }
            SettingsFileNames names;
            LoadSettingsFileNames(names);
            if (!SaveControls(dialog, names)) {
                ReportSaveFailure(dialog, names);
                return TRUE;
            }
            EndDialog(dialog, 1);
            return TRUE;
        }
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        case IDC_DEFAULTS:
            ResetControls(dialog);
            return FALSE;
        case IDC_BITMAP:
            if (HIWORD(wParam) == CBN_DROPDOWN)
                RefillBitmapList(dialog);
            return FALSE;
        }
        return FALSE;
    }
    return FALSE;
}
