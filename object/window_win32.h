// The object window: choose a model (or have one dropped on the program),
// convert it, put it beside the installed saver, put the previous object
// back, show the saver. Every step from the keyboard: Tab moves through the
// controls, Enter takes the step's default action (convert, then use it,
// then close), Esc cancels a conversion under way or closes the window.
#ifndef MORVELLA_OBJECT_WINDOW_WIN32_H
#define MORVELLA_OBJECT_WINDOW_WIN32_H

#include <windows.h>

#include <string>

// model: a file dropped on the program, or "" to ask for one.
// forceElevation: every write beside the saver goes through the elevated
// second run, even where this process could write there itself.
int RunObjectWindow(HINSTANCE instance, const std::wstring& model, bool forceElevation);

#endif
