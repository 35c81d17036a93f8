// morvella-object.exe: the model converter in a window, for a user who
// drops a model file on it or starts it from the Start menu. The same
// program also runs, by a switch, as the window's conversion worker and as
// its elevated second run for a copy beside the saver.
//   morvella-object.exe [/elevate] [MODEL]
//     /elevate  every copy beside the saver goes through the elevated
//               second run (which Windows asks the user about), even where
//               this program could write there itself
#include "object/conversion_win32.h"
#include "object/install_step_win32.h"
#include "object/step_command.h"
#include "object/window_win32.h"

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> arguments;
    for (int i = 1; wide && i < count; ++i)
        arguments.push_back(wide[i]);
    if (wide)
        LocalFree(wide);

    if (!arguments.empty() && arguments[0] == kWorkerSwitch)
        return RunConversionWorker(arguments);
    if (!arguments.empty() && (arguments[0] == kInstallSwitch || arguments[0] == kPutBackSwitch)) {
        Step step;
        std::wstring folder, file;
        if (!ReadStepArguments(arguments, &step, &folder, &file))
            return StepUsage;
        DWORD error = 0;
        return RunStep(step, folder, file, &error);
    }
    bool forceElevation = false;
    std::wstring model;
    for (const std::wstring& argument : arguments) {
        if (argument == L"/elevate")
            forceElevation = true;
        else if (model.empty())
            model = argument;   // several files dropped: the first
    }
    return RunObjectWindow(instance, model, forceElevation);
}
