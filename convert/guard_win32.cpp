// Windows has no fork: the guard starts this program once more, with the
// same command line and a variable that marks the copy, and the copy does
// the work. A job object bounds the copy's memory and lets a crash end it
// without an error-report dialog that nobody may be there to close.
#include "convert/guard.h"

#include "convert/console.h"
#include "convert/job_win32.h"
#include "convert/partial_file.h"
#include "convert/printable.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const wchar_t kChildVariable[] = L"MORVELLA_CONVERT_CHILD";

// The copy ends with its work's code (0, 1 or 2) added to this, so that a
// copy ended from outside, which TerminateProcess may end with any code,
// 0 too, is never taken for one that finished its work.
const DWORD kCopyCodeBase = 0x4D430000;

// The conversion under way, for the console's control handler, which runs
// on a thread of its own.
CRITICAL_SECTION runningLock;
HANDLE runningChild = NULL;
std::string runningPartial;
volatile LONG interrupted = 0;

// Whether the user ends the program at its console. Log-off and shutdown
// events reach only programs run as services, and are not theirs to act on.
bool UserInterrupts(DWORD event)
{
    return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT;
}

// Ctrl+C, Ctrl+Break, the console window closed: the copy is ended first,
// so that nothing writes after, then its partial output removed, and the
// program ends with the code of an interrupted program. Not left to the
// system's default, which on some systems ends it with 0, which would read
// as success.
BOOL WINAPI OnInterrupt(DWORD event)
{
    if (!UserInterrupts(event))
        return FALSE;
    InterlockedExchange(&interrupted, 1);
    EnterCriticalSection(&runningLock);
    if (runningChild) {
        TerminateProcess(runningChild, STATUS_CONTROL_C_EXIT);
        WaitForSingleObject(runningChild, 10000);
    }
    if (!runningPartial.empty())
        RemovePartial(runningPartial);
    LeaveCriticalSection(&runningLock);
    ExitProcess(STATUS_CONTROL_C_EXIT);
    return TRUE;
}

// The copy shares the console and is told too; it leaves the ending to the
// guard, which removes what it leaves behind.
BOOL WINAPI LeaveInterruptToGuard(DWORD event)
{
    return UserInterrupts(event);
}

// An inheritable copy of a standard handle, or NULL when there is none.
HANDLE InheritableStdHandle(DWORD which)
{
    const HANDLE handle = GetStdHandle(which);
    HANDLE copy = NULL;
    if (handle == NULL || handle == INVALID_HANDLE_VALUE ||
        !DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE, DUPLICATE_SAME_ACCESS))
        return NULL;
    return copy;
}

}  // namespace

int RunGuarded(const std::function<int()>& work, const std::string& input, const std::string& partialOutput,
               unsigned timeLimitSeconds)
{
    if (GetEnvironmentVariableW(kChildVariable, NULL, 0) > 0) {
        SetErrorMode(SetErrorMode(0) | SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
        SetConsoleCtrlHandler(LeaveInterruptToGuard, TRUE);
        return (int)(kCopyCodeBase + (DWORD)work());
    }

    std::vector<wchar_t> exe(32768);
    const DWORD length = GetModuleFileNameW(NULL, exe.data(), (DWORD)exe.size());
    const wchar_t* const commandLine = GetCommandLineW();
    if (length == 0 || length >= exe.size() || !commandLine)
        return work();   // no copy to be had: run here, unguarded
    std::vector<wchar_t> line(commandLine, commandLine + wcslen(commandLine) + 1);

    fflush(stdout);
    fflush(stderr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = InheritableStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = InheritableStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = InheritableStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION child = {};
    InitializeCriticalSection(&runningLock);
    runningPartial = partialOutput;
    SetConsoleCtrlHandler(OnInterrupt, TRUE);
    EnterCriticalSection(&runningLock);
    SetEnvironmentVariableW(kChildVariable, L"1");
    const BOOL started =
        CreateProcessW(exe.data(), line.data(), NULL, NULL, TRUE, CREATE_SUSPENDED, NULL, NULL, &startup, &child);
    SetEnvironmentVariableW(kChildVariable, NULL);
    for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError})
        if (handle)
            CloseHandle(handle);
    if (started)
        runningChild = child.hProcess;
    LeaveCriticalSection(&runningLock);
    if (!started)
        return work();

    const HANDLE job = PutInLimitedJob(child.hProcess);
    ResumeThread(child.hThread);
    CloseHandle(child.hThread);
    const DWORD waitMs = timeLimitSeconds < 4000000 ? timeLimitSeconds * 1000 : 4000000000u;
    const bool timedOut = WaitForSingleObject(child.hProcess, waitMs) != WAIT_OBJECT_0;
    DWORD code = STILL_ACTIVE;
    if (timedOut) {
        TerminateProcess(child.hProcess, 1);
        // Until it has gone it may hold the output open, which cannot be removed then.
        WaitForSingleObject(child.hProcess, 10000);
    } else {
        GetExitCodeProcess(child.hProcess, &code);
    }
    EnterCriticalSection(&runningLock);
    runningChild = NULL;
    LeaveCriticalSection(&runningLock);
    // Ended by the handler, which has removed what it left: end as it
    // would, without a word about a crash.
    if (interrupted)
        ExitProcess(STATUS_CONTROL_C_EXIT);
    CloseHandle(child.hProcess);
    if (job)
        CloseHandle(job);
    if (!timedOut && code >= kCopyCodeBase && code - kCopyCodeBase <= 2)
        return (int)(code - kCopyCodeBase);   // the tool's own exit codes

    RemovePartial(partialOutput);
    if (timedOut)
        Print(stderr, "morvella-convert: %s: reading it took more than %u seconds; it is damaged or too large\n",
              Printable(input).c_str(), timeLimitSeconds);
    else
        Print(stderr, "morvella-convert: %s: the model-import library crashed or ran out of memory reading it "
              "(exit code 0x%lX); the file is damaged, too large, or uses a part of its format the library "
              "cannot read\n",
              Printable(input).c_str(), code);
    return 1;
}
