#include "object/window_win32.h"

#include "convert/import.h"
#include "convert/model_file.h"
#include "convert/partial_file.h"
#include "platform/ui_language.h"
#include "object/conversion_win32.h"
#include "object/elevation_win32.h"
#include "object/install_step_win32.h"
#include "object/saver_files_win32.h"
#include "object/step_command.h"
#include "object/texts.h"
#include "object/user_summary.h"
#include "object/utf8_win32.h"
#include "object/window_ids.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <vector>

#ifndef PBM_SETMARQUEE
#define PBM_SETMARQUEE (WM_USER + 10)
#endif

namespace {

// As long as the command-line converter gives a model before it calls the
// file damaged or too large.
const DWORD kTimeLimitSeconds = 600;
const UINT_PTR kClockTimer = 1;

// An edit control breaks lines at "\r\n" only.
std::wstring EditLines(const std::wstring& text)
{
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'\n')
            out += L'\r';
        out += c;
    }
    return out;
}

enum class Phase {
    NoModel,      // nothing chosen yet
    Converting,
    Converted,    // a converted object is ready to use
    Failed,       // the last conversion failed and none is ready
    Used,         // the object (or the previous one) is beside the saver
};

struct Window {
    HWND dialog = NULL;
    UiLanguage language = UiEnglish;
    bool forceElevation = false;
    Phase phase = Phase::NoModel;
    std::wstring model;
    std::wstring workFolder;     // the conversions' outputs, in the temporary folder
    unsigned attempts = 0;
    std::wstring converting;     // output of the conversion under way
    std::wstring converted;      // the last good conversion's output
    Conversion* running = NULL;
    bool timedOut = false;
    DWORD startTick = 0;
    int stage = 0;
    InstalledSaver saver;
    std::vector<std::wstring> hidden;
    int defaultId = 0;
};

std::wstring Say(const Window& w, Text id)
{
    return Wide(TextOf(id, w.language));
}

// A text with one %s filled in.
std::wstring SayWith(const Window& w, Text id, const std::wstring& value)
{
    return Wide(Formatted(TextOf(id, w.language), Utf8(value).c_str()));
}

std::wstring SayWith(const Window& w, Text id, unsigned value)
{
    return Wide(Formatted(TextOf(id, w.language), value));
}

void SetText(const Window& w, int id, const std::wstring& text)
{
    SetDlgItemTextW(w.dialog, id, text.c_str());
}

void Enable(const Window& w, int id, bool on)
{
    EnableWindow(GetDlgItem(w.dialog, id), on ? TRUE : FALSE);
}

void Show(const Window& w, int id, bool on)
{
    ShowWindow(GetDlgItem(w.dialog, id), on ? SW_SHOW : SW_HIDE);
}

void Status(const Window& w, const std::wstring& text)
{
    SetText(w, IDC_STATUS, text);
}

// The button Enter presses, with the focus on it so that Tab goes on from there.
void SetDefault(Window& w, int id)
{
    if (w.defaultId && w.defaultId != id)
        SendDlgItemMessageW(w.dialog, w.defaultId, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    w.defaultId = id;
    SendMessageW(w.dialog, DM_SETDEFID, id, 0);
    SendDlgItemMessageW(w.dialog, id, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    SendMessageW(w.dialog, WM_NEXTDLGCTL, (WPARAM)GetDlgItem(w.dialog, id), TRUE);
}

bool HaveSaver(const Window& w)
{
    return w.saver.place.source != SaverSource::None;
}

// Every control as the phase allows it.
void Refresh(Window& w)
{
    const bool busy = w.phase == Phase::Converting;
    for (int id : {IDC_CHOOSE, IDC_UP_Y, IDC_UP_Z, IDC_FLAT})
        Enable(w, id, !busy);
    Enable(w, IDC_CONVERT, !busy && !w.model.empty());
    SetText(w, IDC_CONVERT, Say(w, w.converted.empty() ? Text::Convert : Text::ConvertAgain));
    Enable(w, IDC_USE, !busy && !w.converted.empty());
    Enable(w, IDC_PUT_BACK, !busy && HaveSaver(w) && FileIn(w.saver, kPreviousFile));
    Enable(w, IDC_SHOW, !busy && HaveSaver(w) && FileIn(w.saver, kObjectFile));
    Enable(w, IDC_REMOVE_HIDDEN, !busy);
    SetText(w, IDCANCEL, Say(w, busy ? Text::Cancel : Text::Close));
    Show(w, IDC_PROGRESS, busy);
    SendDlgItemMessageW(w.dialog, IDC_PROGRESS, PBM_SETMARQUEE, busy ? TRUE : FALSE, 50);
}

// Where the saver is, and any copy in the VirtualStore that hides its object.
void LookForSaver(Window& w)
{
    w.saver = FindInstalledSaver();
    if (!HaveSaver(w)) {
        SetText(w, IDC_SAVER, Say(w, Text::NoSaver));
    } else {
        const Text from = w.saver.place.source == SaverSource::Settings ? Text::SaverFromSettings
                          : w.saver.place.source == SaverSource::Setup  ? Text::SaverFromSetup
                                                                          : Text::SaverFromSystem;
        SetText(w, IDC_SAVER, SayWith(w, Text::Saver, JoinFolder(w.saver.place.folder, kSaverFile)) + L" " + Say(w, from));
    }
    w.hidden = HiddenCopies(w.saver);
    std::wstring paths;
    for (const std::wstring& path : w.hidden)
        paths += (paths.empty() ? L"" : L"; ") + path;
    SetText(w, IDC_HIDDEN_COPY, w.hidden.empty() ? L"" : SayWith(w, Text::HiddenCopy, paths));
    Show(w, IDC_HIDDEN_COPY, !w.hidden.empty());
    Show(w, IDC_REMOVE_HIDDEN, !w.hidden.empty());
}

void SetTexts(Window& w)
{
    SetWindowTextW(w.dialog, Say(w, Text::WindowTitle).c_str());
    SetText(w, IDC_MODEL_LABEL, Say(w, Text::ModelLabel));
    Status(w, Say(w, Text::NoModelChosen));
    SetText(w, IDC_CHOOSE, Say(w, Text::Choose));
    SetText(w, IDC_UP_LABEL, Say(w, Text::UpLabel));
    SetText(w, IDC_UP_Y, Say(w, Text::UpY));
    SetText(w, IDC_UP_Z, Say(w, Text::UpZ));
    SetText(w, IDC_FLAT, Say(w, Text::Flat));
    SetText(w, IDC_USE, Say(w, Text::UseIt));
    SetText(w, IDC_PUT_BACK, Say(w, Text::PutBack));
    SetText(w, IDC_SHOW, Say(w, Text::ShowIt));
    SetText(w, IDC_REMOVE_HIDDEN, Say(w, Text::RemoveHiddenCopy));
    CheckRadioButton(w.dialog, IDC_UP_Y, IDC_UP_Z, IDC_UP_Y);
}

void RemoveFile(const std::wstring& path)
{
    if (!path.empty()) {
        DeleteFileW(path.c_str());
        RemovePartial(PartialOutputPath(Utf8(path)));
    }
}

// A folder of this run's own in the temporary folder.
std::wstring MakeWorkFolder()
{
    wchar_t temp[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH)
        return std::wstring();
    for (unsigned n = 0; n < 100; ++n) {
        const std::wstring folder = JoinFolder(temp, L"morvella-object-" + std::to_wstring(GetCurrentProcessId()) +
                                                         L"-" + std::to_wstring(GetTickCount() + n));
        if (CreateDirectoryW(folder.c_str(), NULL))
            return folder;
    }
    return std::wstring();
}

void StageStatus(Window& w)
{
    const Text stages[] = {Text::StageReading, Text::StagePreparing, Text::StageSimplifying, Text::StageWriting};
    const Text stage = stages[w.stage >= 0 && w.stage < 4 ? w.stage : 0];
    const unsigned seconds = (GetTickCount() - w.startTick) / 1000;
    Status(w, Say(w, stage) + SayWith(w, Text::Seconds, seconds));
}

void StartConverting(Window& w)
{
    if (w.model.empty() || w.running)
        return;
    if (w.workFolder.empty())
        w.workFolder = MakeWorkFolder();
    ConvertOptions options;
    options.input = Utf8(w.model);
    w.converting = JoinFolder(w.workFolder, L"converted-" + std::to_wstring(++w.attempts) + L".dat");
    options.output = Utf8(w.converting);
    options.placement.up = IsDlgButtonChecked(w.dialog, IDC_UP_Z) == BST_CHECKED ? UpAxis::Z : UpAxis::Y;
    options.flat = IsDlgButtonChecked(w.dialog, IDC_FLAT) == BST_CHECKED;
    w.running = w.workFolder.empty() ? NULL : StartConversion(w.dialog, options);
    if (!w.running) {
        Status(w, Say(w, Text::ConvertNotStarted));
        return;
    }
    w.phase = Phase::Converting;
    w.timedOut = false;
    w.stage = 0;
    w.startTick = GetTickCount();
    SetTimer(w.dialog, kClockTimer, 1000, NULL);
    Refresh(w);
    SetDefault(w, IDCANCEL);
    StageStatus(w);
}

void Converted(Window& w, Conversion* ended)
{
    KillTimer(w.dialog, kClockTimer);
    const ConversionResult result = FinishConversion(ended);
    w.running = NULL;
    if (result.ok) {
        RemoveFile(w.converted);
        w.converted = w.converting;
        SetText(w, IDC_SUMMARY, EditLines(Wide(result.text)));
        Status(w, Say(w, Text::Converted));
    } else {
        // The last good object, if any, is still the one to use.
        RemoveFile(w.converting);
        if (w.timedOut)
            Status(w, SayWith(w, Text::ConvertTimedOut, kTimeLimitSeconds / 60));
        else if (result.stopped)
            Status(w, Say(w, Text::ConvertCancelled));
        else if (result.crashed)
            Status(w, Say(w, Text::ConvertCrashed));
        else
            Status(w, SayWith(w, Text::ConvertFailed, Wide(result.text)));
    }
    w.converting.clear();
    w.phase = w.converted.empty() ? Phase::Failed : Phase::Converted;
    Refresh(w);
    SetDefault(w, w.phase == Phase::Converted ? IDC_USE : IDC_CHOOSE);
}

void Choose(Window& w)
{
    const std::wstring formats = Wide(ImportFormats());
    std::wstring filter = SayWith(w, Text::OpenFilterModels, formats);
    filter += L'\0';
    filter += formats + L'\0';
    filter += Say(w, Text::OpenFilterAll) + L'\0' + L"*.*" + L'\0' + L'\0';
    const std::wstring title = Say(w, Text::OpenTitle);
    std::vector<wchar_t> file(32768, L'\0');
    OPENFILENAMEW open = {};
    open.lStructSize = sizeof open;
    open.hwndOwner = w.dialog;
    open.lpstrFilter = filter.c_str();
    open.nFilterIndex = 1;
    open.lpstrFile = file.data();
    open.nMaxFile = (DWORD)file.size();
    open.lpstrTitle = title.c_str();
    open.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
    if (!GetOpenFileNameW(&open))
        return;
    w.model = file.data();
    SetText(w, IDC_MODEL, w.model);
    StartConverting(w);
}

// Runs a step beside the saver: here when this process may write there,
// else (or when told to) in the elevated second run. Tells the outcome.
void RunSaverStep(Window& w, Step step)
{
    LookForSaver(w);
    if (!HaveSaver(w)) {
        Status(w, Say(w, Text::NoSaver));
        Refresh(w);
        return;
    }
    const std::wstring& folder = w.saver.place.folder;
    const std::wstring file = step == Step::Install ? w.converted : std::wstring();
    DWORD error = 0;
    DWORD result = w.forceElevation ? (DWORD)StepAccessDenied : (DWORD)RunStep(step, folder, file, &error);
    if (result == StepAccessDenied) {
        const ElevatedRun run = RunStepElevated(w.dialog, step, folder, file);
        if (run.cancelled) {
            Status(w, Say(w, Text::ElevationCancelled));
            Refresh(w);
            return;
        }
        if (run.startError) {
            Status(w, SayWith(w, Text::ElevationFailed, ErrorText(run.startError)));
            Refresh(w);
            return;
        }
        result = run.exitCode;
        error = 0;
    }
    std::wstring said;
    switch (result) {
    case StepDone: said = Say(w, step == Step::Install ? Text::Installed : Text::PutBackDone); break;
    case StepSame: said = Say(w, Text::AlreadyInstalled); break;
    case StepRefused: said = Say(w, Text::StepRefused); break;
    case StepNoSaver: said = Say(w, Text::StepNoSaver); break;
    case StepNoPrevious: said = Say(w, Text::NoPrevious); break;
    case StepWriteFailed:
        // The elevated run answers by its exit code alone, and a copy that
        // read back wrong has no Windows error: no reason is made up then.
        said = error ? SayWith(w, Text::StepWriteFailed, ErrorText(error)) : Say(w, Text::StepWriteFailedUntold);
        break;
    case StepAccessDenied:
        said = SayWith(w, Text::StepWriteFailed, ErrorText(error ? error : ERROR_ACCESS_DENIED));
        break;
    default: said = SayWith(w, Text::StepFailed, (unsigned)result); break;
    }
    Status(w, said);
    LookForSaver(w);
    if (result == StepDone || result == StepSame)
        w.phase = Phase::Used;
    Refresh(w);
    if (w.phase == Phase::Used)
        SetDefault(w, IDCANCEL);
}

void ShowSaver(Window& w)
{
    DWORD error = 0;
    if (!HaveSaver(w) || !StartSaverFullScreen(w.saver, &error))
        Status(w, SayWith(w, Text::SaverNotStarted, ErrorText(error ? error : ERROR_FILE_NOT_FOUND)));
}

void RemoveHidden(Window& w)
{
    std::wstring said;
    for (const std::wstring& path : w.hidden)
        said += (said.empty() ? L"" : L"\r\n") +
                SayWith(w, RemoveHiddenCopy(path) ? Text::HiddenCopyRemoved : Text::HiddenCopyNotRemoved, path);
    Status(w, said);
    LookForSaver(w);
    Refresh(w);
    // The button pressed is hidden now: the focus goes back to the step's default.
    SetDefault(w, w.defaultId);
}

// A model given to the window: shown, and converted with today's defaults.
void TakeModel(Window& w, const std::wstring& model)
{
    w.model = model;
    SetText(w, IDC_MODEL, model);
    StartConverting(w);
}

void Close(Window& w)
{
    if (w.running) {
        StopConversion(w.running);
        FinishConversion(w.running);   // its end, still posted, is then ignored
        w.running = NULL;
    }
    RemoveFile(w.converting);
    RemoveFile(w.converted);
    if (!w.workFolder.empty())
        RemoveDirectoryW(w.workFolder.c_str());
    EndDialog(w.dialog, 0);
}

void Command(Window& w, int id, int code)
{
    switch (id) {
    case IDC_CHOOSE: Choose(w); break;
    case IDC_CONVERT: StartConverting(w); break;
    case IDC_USE: RunSaverStep(w, Step::Install); break;
    case IDC_PUT_BACK: RunSaverStep(w, Step::PutBack); break;
    case IDC_SHOW: ShowSaver(w); break;
    case IDC_REMOVE_HIDDEN: RemoveHidden(w); break;
    case IDC_UP_Y:
    case IDC_UP_Z:
    case IDC_FLAT:
        // A new choice is taken by converting again.
        if (code == BN_CLICKED && w.phase != Phase::Converting && !w.model.empty()) {
            SetDefault(w, IDC_CONVERT);
            SendMessageW(w.dialog, WM_NEXTDLGCTL, (WPARAM)GetDlgItem(w.dialog, id), TRUE);
        }
        break;
    case IDCANCEL:
        // Esc: a conversion under way is cancelled, else the window closes.
        if (w.running)
            StopConversion(w.running);
        else
            Close(w);
        break;
    }
}

INT_PTR CALLBACK WindowProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* w = (Window*)GetWindowLongPtrW(dialog, DWLP_USER);
    switch (message) {
    case WM_INITDIALOG: {
        w = (Window*)lParam;
        SetWindowLongPtrW(dialog, DWLP_USER, (LONG_PTR)w);
        w->dialog = dialog;
        SetTexts(*w);
        LookForSaver(*w);
        Refresh(*w);
        SetDefault(*w, IDC_CHOOSE);
        if (!w->model.empty())
            TakeModel(*w, w->model);
        else
            PostMessageW(dialog, WM_COMMAND, IDC_CHOOSE, 0);   // once the window shows
        return FALSE;   // the focus is set
    }
    case WM_COMMAND:
        if (w)
            Command(*w, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_TIMER:
        if (w && w->running) {
            if ((GetTickCount() - w->startTick) / 1000 >= kTimeLimitSeconds) {
                w->timedOut = true;
                StopConversion(w->running);
            } else {
                StageStatus(*w);
            }
        }
        return TRUE;
    case kConversionStage:
        if (w && w->running) {
            w->stage = (int)wParam;
            StageStatus(*w);
        }
        return TRUE;
    case kConversionEnded:
        // Only the conversion under way: one stopped as the window closed
        // is finished already.
        if (w && w->running && (Conversion*)lParam == w->running)
            Converted(*w, w->running);
        return TRUE;
    case WM_DROPFILES: {
        HDROP drop = (HDROP)wParam;
        std::vector<wchar_t> name(32768, L'\0');
        const bool got = DragQueryFileW(drop, 0, name.data(), (UINT)name.size()) > 0;
        DragFinish(drop);
        if (w && got && !w->running)
            TakeModel(*w, name.data());
        return TRUE;
    }
    case WM_CLOSE:
        if (w)
            Close(*w);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int RunObjectWindow(HINSTANCE instance, const std::wstring& model, bool forceElevation)
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    Window w;
    w.language = UserUiLanguage();
    w.forceElevation = forceElevation;
    w.model = model;
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_OBJECT_WINDOW), NULL, WindowProc, (LPARAM)&w);
    return 0;
}
