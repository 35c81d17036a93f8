#pragma once
// Test driver for the real morvella.scr under Wine: starts it with a command
// line, finds its windows, sends it input and reads its full exit code.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <utility>
#include <string>
#include <vector>

std::string DistFile(const char* name);        // a file of the dist folder
std::string TestDir(const char* name);         // a fresh folder under the test build tree
bool CopyInto(const std::string& from, const std::string& folder, const char* name);
void WriteIni(const char* key, const char* value);  // into the shared morvella.ini
void RemoveIni();
// The saver as a user copies it by hand: morvella.scr, morvella.dat and
// sample.bmp of the dist folder, into `folder`.
bool CopySaverInto(const std::string& folder);
// A fresh shared morvella.ini holding these settings alone.
void WriteFreshIni(std::initializer_list<std::pair<const char*, const char*>> settings);

struct SaverProcess {
    PROCESS_INFORMATION info = {};
    DWORD pid() const { return info.dwProcessId; }
    bool Running() const;
    DWORD WaitExit(DWORD timeoutMs) const;     // the exit code, or STILL_ACTIVE
    ~SaverProcess();                           // ends a saver a test left running
};

// Starts `exe` with `args` as the command-line tail.
bool StartSaver(SaverProcess& process, const std::string& args, const std::string& exe = DistFile("morvella.scr"));

// Waits for a window of the saver class owned by `pid`; `child` selects the
// preview child of `parent`.
HWND WaitForSaverWindow(DWORD pid, DWORD timeoutMs = 10000);
HWND WaitForPreviewWindow(HWND parent, DWORD timeoutMs = 10000);

// Real input through the system's input queue.
void PressKey(WORD vk);
void ClickLeft();
void MoveMouseBy(int dx, int dy);

// The language the saver is expected to speak in this run: Japanese, the
// test session's UI language, unless MORVELLA_EXPECT_UI is "en" (set where a
// test runs with an English UI language, tests/windows/CMakeLists.txt).
bool ExpectEnglish();
template <class T>
T Said(T japanese, T english)
{
    return ExpectEnglish() ? english : japanese;
}

// Pumps this thread's messages for `ms` milliseconds.
void Pump(DWORD ms);

// Tries `done` until it holds or timeoutMs have passed (a loaded machine is
// slow), pumping this thread's messages for stepMs between tries; whether
// it held.
bool WaitUntil(DWORD timeoutMs, const std::function<bool()>& done, DWORD stepMs = 100);

// The registry value a process writes while it tells the system that a
// screen saver is running ("1"), or "" when absent.
std::string ScreenSaverRunningValue();
void SetUsePassword(DWORD value);              // HKCU\Control Panel\Desktop ScreenSaveUsePassword
void ClearUsePassword();

// The whole screen as the user sees it, 0xRRGGBB per pixel, top-down.
struct Screen {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[(size_t)y * width + x]; }
};
Screen Capture();
// The part `area` of the desktop, in screen coordinates (negative left of or
// above the primary monitor).
Screen Capture(const RECT& area);

// The bounding box of the non-black pixels and their number.
struct Box { int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1; long count = 0; };
Box Drawn(const Screen& s);
