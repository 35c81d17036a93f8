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
    ULONGLONG firstCpu;           // process CPU time at the first frame, 100 ns units
    DWORD frames;
};

FrameStats stats;

ULONGLONG ProcessCpuTime()
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0;
    ULARGE_INTEGER k, u;
    k.LowPart = kernel.dwLowDateTime;
    k.HighPart = kernel.dwHighDateTime;
    u.LowPart = user.dwLowDateTime;
    u.HighPart = user.dwHighDateTime;
    return k.QuadPart + u.QuadPart;
}

// Hundredths as "I.FF" without the C runtime's formatting.
void FormatHundredths(char* out, ULONGLONG hundredths)
{
    wsprintfA(out, "%lu.%02lu", (unsigned long)(hundredths / 100), (unsigned long)(hundredths % 100));
}

void WriteStats(LONGLONG now)
{
    ULONGLONG wallUs = (ULONGLONG)(now - stats.firstStart.QuadPart) * 1000000 / stats.frequency.QuadPart;
    ULONGLONG cpu100ns = ProcessCpuTime() - stats.firstCpu;
    ULONGLONG stepUs = (ULONGLONG)stats.stepTicks * 1000000 / stats.frequency.QuadPart;
    // Frames after the first over the time since the first began.
    ULONGLONG fps100 = wallUs ? (ULONGLONG)(stats.frames - 1) * 100000000 / wallUs : 0;
    char fps[32], cpu[32], step[32], line[200];
    FormatHundredths(fps, fps100);
    FormatHundredths(cpu, cpu100ns / 100 / stats.frames);    // 100 ns -> hundredths of a ms
    FormatHundredths(step, stepUs / 10 / stats.frames);
    int length = wsprintfA(line, "frames=%lu ms=%lu fps=%s cpu_ms_per_frame=%s step_ms_per_frame=%s\r\n",
                           stats.frames, (unsigned long)(wallUs / 1000), fps, cpu, step);
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
        stats.firstCpu = ProcessCpuTime();
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
