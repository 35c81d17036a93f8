#include <windows.h>

#include "framework/saver_window.h"
#include "framework/input_rules.h"
#include "framework/modes.h"
#include "framework/password.h"
#include "saver/saver_proc.h"
#include "resources/resource.h"

// Not in this build's headers (Windows 8.1 and later send it).
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

BOOL PreviewMode;
HWND SaverWindow;
UINT AutoPlayQueryMessage;
POINT CursorAnchor;

static const char kSaverClassName[] = "WindowsScreenSaverClass";

// The input method is detached while the saver runs, so that a key press
// reaches the close rules instead of an IME window. IMM32 is only used when
// the process already has it: it is looked up, never loaded.
typedef HANDLE (WINAPI* ImmAssociateContextFn)(HWND, HANDLE);
static HMODULE ImeModule;
static ImmAssociateContextFn ImeAssociate;
static HANDLE SavedImeContext;

static void PostClose(HWND window)
{
    PostMessageA(window, WM_CLOSE, 0, 0);
}

static void ResetCursorAnchor()
{
    GetCursorPos(&CursorAnchor);
}

// The desktop changed (a monitor came or went, or a resolution changed): the
// full-screen window is stretched or shrunk to the new desktop, so that no
// monitor is left uncovered. Moving it neither activates it nor changes its
// place on top. The cursor may have been moved by the system (off a monitor
// that went away): measured from the old anchor, that would look like the
// user's move and close the saver.
static void CoverNewDesktop(HWND window, LPARAM primarySize)
{
    int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    int width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (width <= 0 || height <= 0) {
        // Windows 95 and NT 4 know no virtual screen: their one monitor is
        // the desktop, of the size the message gives.
        left = top = 0;
        width = LOWORD(primarySize);
        height = HIWORD(primarySize);
    }
    SetWindowPos(window, NULL, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    ResetCursorAnchor();
}

static void DetachIme(HWND window)
{
    ImeModule = GetModuleHandleA("IMM32.DLL");
    if (!ImeModule)
        return;
    ImeAssociate = reinterpret_cast<ImmAssociateContextFn>(
        reinterpret_cast<void*>(GetProcAddress(ImeModule, "ImmAssociateContext")));
    if (ImeAssociate)
        SavedImeContext = ImeAssociate(window, NULL);
}

static void RestoreIme(HWND window)
{
    if (ImeModule && ImeAssociate && SavedImeContext)
        ImeAssociate(window, SavedImeContext);
}

int RunSaverWindow(HWND parent)
{
    WNDCLASSA windowClass;
    windowClass.style = CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = SaverWindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = ModuleInstance;
    windowClass.hIcon = LoadIconA(ModuleInstance, MAKEINTRESOURCEA(IDI_SAVER_ICON));
    windowClass.hCursor = NULL;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszMenuName = NULL;
    windowClass.lpszClassName = kSaverClassName;

    RECT rect;
    DWORD style, exStyle;
    const char* title;
    if (parent) {
        GetClientRect(parent, &rect);
        style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
        exStyle = 0;
        title = "Preview";
        PreviewMode = TRUE;
    } else {
        HDC screen = GetDC(NULL);
        GetClipBox(screen, &rect);
        ReleaseDC(NULL, screen);
        style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
        exStyle = WS_EX_TOPMOST;
        title = "Screen Saver";
        PreviewMode = FALSE;

        HWND running = FindWindowA(kSaverClassName, "Screen Saver");
        if (running && IsWindow(running)) {
            SetForegroundWindow(running);
            return 0;
        }
        LoadPasswordVerifier();
    }

    AutoPlayQueryMessage = IsWindows9x ? RegisterWindowMessageA("QueryCancelAutoPlay") : 0;

    MSG message;
    message.wParam = 0;
    if (RegisterClassA(&windowClass)) {
        SaverWindow = CreateWindowExA(exStyle, kSaverClassName, title, style, rect.left, rect.top,
                                      rect.right - rect.left, rect.bottom - rect.top, parent, NULL,
                                      ModuleInstance, NULL);
    }
    if (SaverWindow) {
        if (!PreviewMode)
            SetForegroundWindow(SaverWindow);
        // A failed get (-1) ends the loop as well, instead of spinning on it.
        while (GetMessageA(&message, NULL, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    UnloadPasswordVerifier();
    return static_cast<int>(message.wParam);
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        DetachIme(window);
        ResetCursorAnchor();
        if (!PreviewMode)
            SetCursor(NULL);
        break;
    case WM_DESTROY:
        RestoreIme(window);
        PostQuitMessage(0);
        break;
    case WM_SETTEXT:
        return 0;
    case WM_DISPLAYCHANGE:
        if (!PreviewMode)
            CoverNewDesktop(window, lParam);
        break;
    case WM_DPICHANGED:
        // A monitor's scaling changed. The full-screen window covers the
        // desktop in real pixels, which scaling does not move: the smaller
        // or larger rectangle Windows suggests is not taken.
        if (!PreviewMode)
            return 0;
        break;
    case WM_PAINT:
        if (CloseAllowed)
            return DefWindowProcA(window, message, wParam, lParam);
        if (!PreviewMode)
            SetCursor(NULL);
        break;
    case WM_HELP:
    case WM_CONTEXTMENU:
        if (PreviewMode) {
            // The Display Properties page answers help and context menus for
            // its preview area.
            HWND parent = GetParent(window);
            if (parent && IsWindow(parent)) {
                // Help points at a record that lives only while this message
                // is handled; the system refuses to post such a message.
                if (message == WM_HELP)
                    SendMessageA(parent, message, reinterpret_cast<WPARAM>(parent), lParam);
                else
                    PostMessageA(parent, message, reinterpret_cast<WPARAM>(parent), lParam);
            }
            return 1;
        }
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (CloseAllowed)
            return DefWindowProcA(window, message, wParam, lParam);
        break;
    case WM_SYSCOMMAND:
        if (!PreviewMode && (wParam == SC_NEXTWINDOW || wParam == SC_PREVWINDOW || wParam == SC_SCREENSAVE))
            return 0;
        break;
    case WM_TIMER:
        if (CloseAllowed)
            return 0;
        Sleep(0);
        break;
    }
    return ScreenSaverProc(window, message, wParam, lParam);
}

// Input and system events close a running saver; returns TRUE when the
// message has been answered (with *result) and must go no further.
static BOOL ApplyInputRule(HWND window, UINT message, WPARAM wParam, LRESULT* result)
{
    switch (message) {
    case WM_SHOWWINDOW:
        if (wParam)
            SetCursor(NULL);
        break;
    case WM_SETCURSOR:
        SetCursor(NULL);
        *result = 1;
        return TRUE;
    case WM_ACTIVATEAPP:
        if (!wParam)
            PostClose(window);
        break;
    case WM_POWER:
        if (wParam == PWR_SUSPENDREQUEST)
            PostClose(window);
        break;
    case WM_MOUSEMOVE: {
        POINT now;
        GetCursorPos(&now);
        if (MovedBeyondThreshold(CursorAnchor.x, CursorAnchor.y, now.x, now.y)) {
            PostClose(window);
            CursorAnchor = now;
        }
        break;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        PostClose(window);
        break;
    case WM_POWERBROADCAST:
        // Suspend, standby and resume end the saver; a laptop's battery and
        // charger news does not. The message goes on to the default
        // handling, which grants a suspend query.
        if (PowerBroadcastEndsSaver(static_cast<uint32_t>(wParam)))
            PostClose(window);
        break;
    }
    return FALSE;
}

LRESULT DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!PreviewMode && !CloseAllowed) {
        if (message == WM_CLOSE) {
            if (IsWindows9x && !MaySaverClose(window)) {
                ResetCursorAnchor();
                return 0;
            }
        } else if (message == WM_APP) {
            if (IsWindows9x)
                return VerifyPasswordFn ? VerifyPasswordFn(window) : 1;
        } else if (!PasswordCheckActive) {
            LRESULT result;
            if (ApplyInputRule(window, message, wParam, &result))
                return result;
        }
    }
    if (AutoPlayQueryMessage && message == AutoPlayQueryMessage) {
        // AutoPlay is cancelled only while the saver is password-protected.
        PostClose(window);
        return VerifyPasswordFn ? 1 : 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
