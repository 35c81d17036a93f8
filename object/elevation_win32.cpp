#include "object/elevation_win32.h"

#include <shellapi.h>

#include <vector>

namespace {

// A copy of one small file takes seconds at most.
const DWORD kMostMs = 120000;

}  // namespace

ElevatedRun RunStepElevated(HWND owner, Step step, const std::wstring& folder, const std::wstring& file)
{
    ElevatedRun run;
    std::vector<wchar_t> self(32768);
    const DWORD length = GetModuleFileNameW(NULL, self.data(), (DWORD)self.size());
    if (length == 0 || length >= self.size()) {
        run.startError = GetLastError();
        return run;
    }
    const std::wstring arguments = StepArguments(step, folder, file);
    SHELLEXECUTEINFOW execute = {};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
    execute.hwnd = owner;
    execute.lpVerb = L"runas";
    execute.lpFile = self.data();
    execute.lpParameters = arguments.c_str();
    execute.nShow = SW_HIDE;
    if (!ShellExecuteExW(&execute)) {
        const DWORD error = GetLastError();
        run.cancelled = error == ERROR_CANCELLED;
        run.startError = run.cancelled ? 0 : error;
        return run;
    }
    if (!execute.hProcess) {
        run.startError = ERROR_INVALID_HANDLE;
        return run;
    }
    // Painted while it waits; no click may start a second step meanwhile.
    EnableWindow(owner, FALSE);
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD waited = GetTickCount() - start;
        if (waited >= kMostMs)
            break;
        const DWORD woke =
            MsgWaitForMultipleObjects(1, &execute.hProcess, FALSE, kMostMs - waited, QS_ALLINPUT);
        if (woke != WAIT_OBJECT_0 + 1)
            break;
        MSG message;
        while (PeekMessageW(&message, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    EnableWindow(owner, TRUE);
    SetForegroundWindow(owner);
    if (WaitForSingleObject(execute.hProcess, 0) != WAIT_OBJECT_0) {
        TerminateProcess(execute.hProcess, StepWriteFailed);
        WaitForSingleObject(execute.hProcess, 5000);
    }
    DWORD code = StepWriteFailed;
    GetExitCodeProcess(execute.hProcess, &code);
    CloseHandle(execute.hProcess);
    run.exitCode = code;
    return run;
}
