// The two steps that change what the saver shows, run in this process or in
// the elevated second run alike. Each either completes or leaves the files
// beside the saver as they were: the new object is written beside the old
// one under a name of its own, read back and checked with the saver's own
// loader, and only then takes morvella.dat's place in one rename; the file
// it replaces is kept as morvella-previous.dat, replacing the one kept
// before only once everything else has succeeded.
#ifndef MORVELLA_OBJECT_INSTALL_STEP_WIN32_H
#define MORVELLA_OBJECT_INSTALL_STEP_WIN32_H

#include "object/step_command.h"

#include <windows.h>

#include <string>

// Runs the step on the saver in `folder` (file: the object to install). On a
// failure, *error holds Windows' error code where one is known.
StepResult RunStep(Step step, const std::wstring& folder, const std::wstring& file, DWORD* error);

#endif
