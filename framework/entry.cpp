#include <windows.h>

#include "framework/command_line.h"
#include "framework/modes.h"

static const char* StepCharA(const char* at)
{
    return CharNextA(at);
}

// The GUI entry ignores its arguments: the raw command line is read and
// prepared here, so a quoted program name with blanks is skipped whole.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const char* tail = SkipProgramName(GetCommandLineA(), StepCharA);
    ExitProcess(static_cast<UINT>(RunSaverMode(GetModuleHandleA(NULL), tail)));
    return 0;
}
