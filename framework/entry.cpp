#include <windows.h>
#include <stdlib.h>

#include "framework/command_line.h"
#include "framework/modes.h"

// The GUI entry ignores its arguments: the raw command line is read and
// prepared here, so a quoted program name with blanks is skipped whole.
// The process ends through the runtime's exit, which tears the model and
// the engine down in order before ExitProcess; calling ExitProcess directly
// would skip every static destructor.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const char* tail = SkipProgramName(GetCommandLineA(), StepCharA);
    exit(RunSaverMode(GetModuleHandleA(NULL), tail));
}
