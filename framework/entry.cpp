#include <windows.h>
#include <stdlib.h>

#include "framework/command_line.h"
#include "framework/modes.h"

// The process starts here, not in the C runtime's start-up code: that code
// comes built for processors newer than the oldest the saver runs on, and
// most of what it does (a copy of the arguments, thread-local storage,
// unwind-table registration) the saver has no use for. What the saver does need of it is
// done here: the x87 unit reset to full precision, the command line split
// into __argc and __argv by the C runtime DLL, the program-wide objects
// constructed before the mode runs, the functions given to atexit run last
// first when it ends (the model is freed before the engine that made its
// textures is released), and the mode's result handed to Windows as the
// exit code.

namespace {

// The program registers one function per program-wide object with a
// destructor, a handful; the C language promises room for 32.
const int ExitFunctionRoom = 32;
void (*ExitFunctions[ExitFunctionRoom])(void);
int ExitFunctionCount;

void RunExitFunctions()
{
    // A function that registers another while the program ends still has it run.
    while (ExitFunctionCount > 0)
        ExitFunctions[--ExitFunctionCount]();
}

}  // namespace

extern "C" int __cdecl atexit(void (__cdecl* function)(void))
{
    if (!function || ExitFunctionCount == ExitFunctionRoom)
        return -1;
    ExitFunctions[ExitFunctionCount++] = function;
    return 0;
}

// The C runtime DLL's own split of the command line, which fills __argc and
// __argv: the saver reads the path it was started by from __argv[0]. No
// wildcard expansion, the default heap mode. Older versions of the DLL
// return nothing, so no result is read.
struct RuntimeStartInfo {
    int newMode;
};
extern "C" void __cdecl __getmainargs(int* count, char*** arguments, char*** environment,
                                      int expandWildcards, RuntimeStartInfo* info);

static void SplitCommandLine()
{
    int count;
    char** arguments;
    char** environment;
    RuntimeStartInfo info = { 0 };
    __getmainargs(&count, &arguments, &environment, 0, &info);
}

// The linker's constructor and destructor lists: -1, the functions, a null
// pointer. The compiler names every file's initialisation in the first and
// functions marked as destructors in the second.
extern "C" void (*__CTOR_LIST__[])(void);
extern "C" void (*__DTOR_LIST__[])(void);

static void RunDestructorList()
{
    for (void (**function)(void) = __DTOR_LIST__ + 1; *function; ++function)
        (*function)();
}

static void RunConstructorList()
{
    // Last first, as the compiler's own runtime runs them; the destructor
    // list then runs before the functions registered while constructing.
    int count = 0;
    while (__CTOR_LIST__[count + 1])
        ++count;
    for (int i = count; i >= 1; --i)
        __CTOR_LIST__[i]();
    atexit(RunDestructorList);
}

// The GUI subsystem's default entry name, so the linker needs no option for
// it. Windows calls it with a stack aligned to 4 bytes; the saver's doubles
// are kept 8-byte aligned on the stack only if it starts from 16.
extern "C" __attribute__((force_align_arg_pointer, noreturn)) void WinMainCRTStartup()
{
    // Round to 64 bits, all exceptions masked, whatever control word the
    // process was started with (Windows NT and Wine start it at 53 bits).
    // Direct3D sets single precision of its own when the device is made,
    // since the saver does not ask it to keep the control word: from then
    // on the animation computes at that precision.
    __asm__ __volatile__("fninit");
    SplitCommandLine();
    RunConstructorList();
    // The raw command line, so a quoted program name with blanks is skipped whole.
    const char* tail = SkipProgramName(GetCommandLineA(), StepCharA);
    int code = RunSaverMode(GetModuleHandleA(NULL), tail);
    RunExitFunctions();
    ExitProcess(code);
}
