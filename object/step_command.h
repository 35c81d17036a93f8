// The steps that write beside the installed saver, and how the object
// window hands one to a second run of itself with administrator rights:
// as a command line naming the step, the saver's folder and the file, and
// an exit code for the answer.
#ifndef MORVELLA_OBJECT_STEP_COMMAND_H
#define MORVELLA_OBJECT_STEP_COMMAND_H

#include <string>
#include <vector>

enum class Step {
    Install,   // the converted file becomes morvella.dat, the one it replaces is kept
    PutBack,   // the kept object and morvella.dat change places
};

// Every outcome a step may have; the second run exits with it.
enum StepResult {
    StepDone = 0,
    StepSame = 1,           // the file is the object shown already: nothing changed
    StepRefused = 2,        // the saver would refuse the file: nothing changed
    StepNoSaver = 3,        // no morvella.scr in the folder: nothing changed
    StepWriteFailed = 4,    // a file could not be written: nothing changed
    StepNoPrevious = 5,     // nothing kept to put back: nothing changed
    StepAccessDenied = 6,   // writing there needs administrator rights: nothing changed
    StepUsage = 7,          // the command line names no step
};

// The switch that names each step on the command line.
extern const wchar_t kInstallSwitch[];   // /install-object
extern const wchar_t kPutBackSwitch[];   // /put-back-object

// The arguments (after the program's name) of the second run: the step's
// switch, the folder and, for Install, the file.
std::wstring StepArguments(Step step, const std::wstring& folder, const std::wstring& file);

// The step a second run's arguments name, read back; false when they name
// none (or lack what it needs).
bool ReadStepArguments(const std::vector<std::wstring>& arguments, Step* step, std::wstring* folder,
                       std::wstring* file);

// One argument quoted so that Windows' rules for splitting a command line
// (CommandLineToArgvW, the C runtime) give it back unchanged: blanks,
// quotes and backslashes before a quote or at the end included.
std::wstring QuoteArgument(const std::wstring& argument);

#endif
