// A conversion run for the window by a second process of this program, so
// that the window stays responsive and can cancel it, and a model that
// crashes the import library or makes it ask for too much memory takes
// only that process down (the limits of the converter's own guard). The
// worker is this program, a Windows program: no console window ever opens.
#ifndef MORVELLA_OBJECT_CONVERSION_WIN32_H
#define MORVELLA_OBJECT_CONVERSION_WIN32_H

#include "convert/convert.h"

#include <windows.h>

#include <string>
#include <vector>

// Posted to the window: wParam the ConvertStage begun.
const UINT kConversionStage = WM_APP + 1;
// Posted to the window once the worker has ended: lParam a Conversion* to
// pass to FinishConversion.
const UINT kConversionEnded = WM_APP + 2;

struct Conversion;

// Starts converting `input` (UTF-8 options) into `output`; NULL when no
// worker could be started.
Conversion* StartConversion(HWND window, const ConvertOptions& options);

// Ends the worker at once (cancel, a time-out, the window closing); its
// partial output goes with it. The end is still posted.
void StopConversion(Conversion* conversion);

struct ConversionResult {
    bool ok = false;
    bool stopped = false;   // ended by StopConversion
    bool crashed = false;   // the worker ended without a word: it crashed or ran out of memory
    std::string text;       // ok: the summary for the user; else the converter's reason
};

// After kConversionEnded: the outcome, the conversion freed.
ConversionResult FinishConversion(Conversion* conversion);

// The worker's side: the switch, and its run with the arguments after the
// program's name. Returns the exit code.
extern const wchar_t kWorkerSwitch[];   // /convert-worker
int RunConversionWorker(const std::vector<std::wstring>& arguments);

#endif
