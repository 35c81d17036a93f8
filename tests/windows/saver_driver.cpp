#include "saver_driver.h"

#include "test_files.h"

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>

#include "gtest/gtest.h"

SaverProcess::~SaverProcess()
{
    if (info.hProcess) {
        if (Running()) {
            TerminateProcess(info.hProcess, 99);
            WaitForSingleObject(info.hProcess, 5000);
        }
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
}

bool SaverProcess::Running() const
{
    return info.hProcess && WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD SaverProcess::WaitExit(DWORD timeoutMs) const
{
    if (WaitForSingleObject(info.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info.hProcess, &code);
    return code;
}

std::string DistFile(const char* name)
{
    return std::string(MORVELLA_DIST_WIN) + "\\" + name;
}

std::string TestDir(const char* name)
{
    std::string dir = std::string(MORVELLA_TESTS_WIN) + "\\scratch";
    CreateDirectoryA(dir.c_str(), NULL);
    dir += "\\";
    dir += name;
    CreateDirectoryA(dir.c_str(), NULL);
    // Empty it: each test starts from a known folder.
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA((dir + "\\" + found.cFileName).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return dir;
}

bool CopyInto(const std::string& from, const std::string& folder, const char* name)
{
    return CopyFileA(from.c_str(), (folder + "\\" + name).c_str(), FALSE) != 0;
}

void WriteIni(const char* key, const char* value)
{
    WritePrivateProfileStringA("morvella.scr", key, value, "morvella.ini");
}

void RemoveIni()
{
    char path[MAX_PATH];
    GetWindowsDirectoryA(path, MAX_PATH);
    lstrcatA(path, "\\morvella.ini");
    WritePrivateProfileStringA(NULL, NULL, NULL, "morvella.ini");  // flush the profile cache
    DeleteFileA(path);
}

bool CopySaverInto(const std::string& folder)
{
    return CopyInto(DistFile("morvella.scr"), folder, "morvella.scr") &&
           CopyInto(DistFile("morvella.dat"), folder, "morvella.dat") &&
           CopyInto(DistFile("sample.bmp"), folder, "sample.bmp");
}

void WriteFreshIni(std::initializer_list<std::pair<const char*, const char*>> settings)
{
    RemoveIni();
    for (const auto& setting : settings)
        WriteIni(setting.first, setting.second);
}

bool StartSaver(SaverProcess& process, const std::string& args, const std::string& exe)
{
    return StartProgram(&process.info, FromAnsi(exe), FromAnsi(args));
}

struct WindowSearch {
    DWORD pid;
    HWND parent;
    HWND found;
};

static BOOL CALLBACK MatchTopLevel(HWND window, LPARAM context)
{
    WindowSearch* search = reinterpret_cast<WindowSearch*>(context);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[64];
    if (pid == search->pid && GetClassNameA(window, cls, sizeof cls)
        && lstrcmpA(cls, "WindowsScreenSaverClass") == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForSaverWindow(DWORD pid, DWORD timeoutMs)
{
    WindowSearch search = { pid, NULL, NULL };
    // The window shows once its whole start-up (display, device, model,
    // texture) has run; input only reaches it after that.
    const bool shown = WaitUntil(timeoutMs, [&] {
        EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
        return search.found && IsWindowVisible(search.found) && GetForegroundWindow() == search.found;
    }, 20);
    if (!shown)
        return NULL;
    Pump(200);
    return search.found;
}

HWND WaitForPreviewWindow(HWND parent, DWORD timeoutMs)
{
    HWND child = NULL;
    if (!WaitUntil(timeoutMs, [&] {
            child = FindWindowExA(parent, NULL, "WindowsScreenSaverClass", NULL);
            return child && IsWindowVisible(child);
        }, 20))
        return NULL;
    Pump(200);
    return child;
}

void PressKey(WORD vk)
{
    INPUT input[2] = {};
    input[0].type = INPUT_KEYBOARD;
    input[0].ki.wVk = vk;
    input[1] = input[0];
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}

void ClickLeft()
{
    INPUT input[2] = {};
    input[0].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1] = input[0];
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof(INPUT));
}

// Moves the X pointer itself, as a real mouse does. A move injected with
// SendInput only changes the cursor Wine keeps: Wine warps the X pointer to
// match only when no other X client holds a pointer grab, and the process
// whose full-screen window is in front holds one. From 100 ms after the last
// change Wine reads the cursor back from the X pointer, so such a move seems
// undone, and a window that looks at the cursor late never sees it. Absolute
// X moves, since the server may accelerate relative ones. Wine starts a Unix
// program without a handle to wait on: the move is done when the cursor
// stands at its end.
void MoveMouseBy(int dx, int dy)
{
    POINT at;
    GetCursorPos(&at);
    const LONG x = at.x + dx, y = at.y + dy;
    char line[128];
    wsprintfA(line, "xdotool mousemove %ld %ld", x, y);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA("Z:\\usr\\bin\\xdotool", line, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        ADD_FAILURE() << "cannot start xdotool (error " << GetLastError() << ")";
        return;
    }
    WaitUntil(5000, [&] {
        GetCursorPos(&at);
        return at.x == x && at.y == y;
    }, 10);
    EXPECT_TRUE(at.x == x && at.y == y) << line << ": the cursor stands at " << at.x << ", " << at.y;
}

bool ExpectEnglish()
{
    const char* expected = getenv("MORVELLA_EXPECT_UI");
    return expected && lstrcmpA(expected, "en") == 0;
}

void Pump(DWORD ms)
{
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(ms < 10 ? ms : 10);
    } while (GetTickCount() - start < ms);
}

bool WaitUntil(DWORD timeoutMs, const std::function<bool()>& done, DWORD stepMs)
{
    for (const DWORD start = GetTickCount();; Pump(stepMs)) {
        if (done())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
    }
}

std::string ScreenSaverRunningValue()
{
    // Wine keeps a system parameter set without SPIF_UPDATEINIFILE in a
    // volatile copy of its key.
    const char* keys[] = { "Software\\Wine\\Temporary System Parameters\\Control Panel\\Desktop",
                           "Control Panel\\Desktop" };
    for (const char* path : keys) {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
            continue;
        char data[16] = {};
        DWORD size = sizeof data - 1;
        LONG status = RegQueryValueExA(key, "WINE_ScreenSaverRunning", NULL, NULL,
                                       reinterpret_cast<BYTE*>(data), &size);
        RegCloseKey(key);
        if (status == ERROR_SUCCESS)
            return data;
    }
    return "";
}

void SetUsePassword(DWORD value)
{
    HKEY key;
    if (RegCreateKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &key) == ERROR_SUCCESS) {
        RegSetValueExA(key, "ScreenSaveUsePassword", 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), sizeof value);
        RegCloseKey(key);
    }
}

void ClearUsePassword()
{
    HKEY key;
    if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, "ScreenSaveUsePassword");
        RegCloseKey(key);
    }
}

Screen Capture()
{
    HDC screen = GetDC(nullptr);
    RECT all = {0, 0, GetDeviceCaps(screen, HORZRES), GetDeviceCaps(screen, VERTRES)};
    ReleaseDC(nullptr, screen);
    return Capture(all);
}

Screen Capture(const RECT& area)
{
    Screen s;
    HDC screen = GetDC(nullptr);
    s.width = area.right - area.left;
    s.height = area.bottom - area.top;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = s.width;
    info.bmiHeader.biHeight = -s.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, s.width, s.height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    s.pixels.assign((uint32_t*)bits, (uint32_t*)bits + (size_t)s.width * s.height);
    for (auto& p : s.pixels)
        p &= 0xFFFFFF;
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(dib);
    ReleaseDC(nullptr, screen);
    return s;
}

Box Drawn(const Screen& s)
{
    Box b;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x)
            if (s.at(x, y)) {
                b.left = std::min(b.left, x);
                b.top = std::min(b.top, y);
                b.right = std::max(b.right, x + 1);
                b.bottom = std::max(b.bottom, y + 1);
                ++b.count;
            }
    return b;
}
