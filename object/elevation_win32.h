// A step run by a second run of this program with administrator rights:
// Windows asks the user (the elevation prompt of Vista and later, the Run As
// dialog before), and the second run does the step and answers by its exit
// code. Only that step runs elevated; the window stays the user's.
#ifndef MORVELLA_OBJECT_ELEVATION_WIN32_H
#define MORVELLA_OBJECT_ELEVATION_WIN32_H

#include "object/step_command.h"

#include <windows.h>

#include <string>

struct ElevatedRun {
    bool cancelled = false;   // the user said no: nothing ran
    DWORD startError = 0;     // it could not be started (and nothing ran)
    DWORD exitCode = 0;       // the second run's StepResult, when it ran
};

// Runs the step elevated and waits for it, keeping `owner` painted but
// closed to input meanwhile.
ElevatedRun RunStepElevated(HWND owner, Step step, const std::wstring& folder, const std::wstring& file);

#endif
