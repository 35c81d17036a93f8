// Opt-in frame-rate and CPU figures, written to a file the user names.
#include <windows.h>

#include "anim/frame_stats.h"

namespace {

enum { kUnknown = 0, kOn, kOff };
enum { kWriteEvery = 64 };

struct FrameStats {
    int state;
    char path[MAX_PATH];
    LARGE_INTEGER frequency;
    LARGE_INTEGER firstStart;     // wall clock at the first measured frame
    LARGE_INTEGER stepStart;
    LONGLONG stepTicks;           // wall time spent inside frame steps
    double firstCpuMs;            // process CPU time at the first frame
    DWORD frames;
};

FrameStats stats;

// Process CPU time (all threads, user and kernel) in milliseconds. The sums
// are kept in doubles: 64-bit integer division would pull helper code into
// the saver for a feature that is off by default.
// GetProcessTimes is looked up, not imported: Windows 9x lacks it, and the
// saver must load there; the CPU figure is then 0.
typedef BOOL (WINAPI* GetProcessTimesFn)(HANDLE, FILETIME*, FILETIME*, FILETIME*, FILETIME*);

double ProcessCpuMs()
{
    static GetProcessTimesFn getProcessTimes = reinterpret_cast<GetProcessTimesFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("KERNEL32.DLL"), "GetProcessTimes")));
    FILETIME created, exited, kernel, user;
    // (HANDLE)-1 is the documented pseudo-handle GetCurrentProcess returns;
    // written out, it costs the saver no import.
    HANDLE self = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-1));
    if (!getProcessTimes || !getProcessTimes(self, &created, &exited, &kernel, &user))
        return 0;
    LARGE_INTEGER k, u;
    k.LowPart = kernel.dwLowDateTime;
    k.HighPart = (LONG)kernel.dwHighDateTime;
    u.LowPart = user.dwLowDateTime;
    u.HighPart = (LONG)user.dwHighDateTime;
    return ((double)k.QuadPart + (double)u.QuadPart) / 10000.0;
}

// A value as "I.FF" without the C runtime's formatting.
void FormatHundredths(char* out, double value)
{
    DWORD hundredths = value > 0 ? (DWORD)(value * 100.0 + 0.5) : 0;
    wsprintfA(out, "%lu.%02lu", hundredths / 100, hundredths % 100);
}

void WriteStats(LONGLONG now)
{
    double ticksPerMs = (double)stats.frequency.QuadPart / 1000.0;
    double wallMs = (double)(now - stats.firstStart.QuadPart) / ticksPerMs;
    double frames = (double)stats.frames;
    char fps[32], cpu[32], step[32], line[200];
    // Frames after the first over the time since the first began.
    FormatHundredths(fps, wallMs > 0 ? (frames - 1) * 1000.0 / wallMs : 0);
    FormatHundredths(cpu, (ProcessCpuMs() - stats.firstCpuMs) / frames);
    FormatHundredths(step, (double)stats.stepTicks / ticksPerMs / frames);
    int length = wsprintfA(line, "frames=%lu ms=%lu fps=%s cpu_ms_per_frame=%s step_ms_per_frame=%s\r\n",
                           stats.frames, (DWORD)wallMs, fps, cpu, step);
    HANDLE file = CreateFileA(stats.path, GENERIC_WRITE, FILE_SHARE_READ, 0, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written;
    WriteFile(file, line, length, &written, 0);
    CloseHandle(file);
}

}  // namespace

void FrameStatsBegin()
{
    if (stats.state == kOff)
        return;
    if (stats.state == kUnknown) {
        DWORD n = GetEnvironmentVariableA("MORVELLA_STATS", stats.path, sizeof stats.path);
        if (n == 0 || n >= sizeof stats.path || !QueryPerformanceFrequency(&stats.frequency)) {
            stats.state = kOff;
            return;
        }
        stats.state = kOn;
    }
    QueryPerformanceCounter(&stats.stepStart);
    if (stats.frames == 0) {
        stats.firstStart = stats.stepStart;
        stats.firstCpuMs = ProcessCpuMs();
    }
}

void FrameStatsEnd()
{
    if (stats.state != kOn)
        return;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    stats.stepTicks += now.QuadPart - stats.stepStart.QuadPart;
    ++stats.frames;
    if (stats.frames % kWriteEvery == 0)
        WriteStats(now.QuadPart);
}
