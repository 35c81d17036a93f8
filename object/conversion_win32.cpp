#include "object/conversion_win32.h"

#include "convert/job_win32.h"
#include "convert/printable.h"
#include "platform/ui_language.h"
#include "object/step_command.h"
#include "object/user_summary.h"
#include "object/utf8_win32.h"

#include <cstdlib>

const wchar_t kWorkerSwitch[] = L"/convert-worker";

namespace {

// What the worker writes, line by line: "stage N" as each stage begins,
// then "done" and the summary, or "failed" and the reason.
const char kStageLine[] = "stage ";
const char kDoneLine[] = "done\n";
const char kFailedLine[] = "failed\n";

void Write(HANDLE out, const std::string& text)
{
    DWORD written = 0;
    WriteFile(out, text.data(), (DWORD)text.size(), &written, NULL);
}

}  // namespace

struct Conversion {
    HWND window = NULL;
    HANDLE process = NULL;
    HANDLE job = NULL;
    HANDLE thread = NULL;
    HANDLE pipe = NULL;       // the worker's output, read by the thread
    std::string output;       // all it wrote
    volatile LONG stopped = 0;
};

namespace {

DWORD WINAPI ReadWorker(void* context)
{
    Conversion* c = (Conversion*)context;
    char buffer[4096];
    size_t told = 0;         // bytes of output looked at for stage lines
    bool summary = false;    // the rest is the summary or the reason
    DWORD read = 0;
    while (ReadFile(c->pipe, buffer, sizeof buffer, &read, NULL) && read > 0) {
        c->output.append(buffer, read);
        for (size_t end; !summary && (end = c->output.find('\n', told)) != std::string::npos;) {
            const std::string line = c->output.substr(told, end + 1 - told);
            told = end + 1;
            if (line.compare(0, sizeof kStageLine - 1, kStageLine) == 0)
                PostMessageW(c->window, kConversionStage, (WPARAM)atoi(line.c_str() + sizeof kStageLine - 1), 0);
            summary = line == kDoneLine || line == kFailedLine;
        }
    }
    WaitForSingleObject(c->process, INFINITE);
    PostMessageW(c->window, kConversionEnded, 0, (LPARAM)c);
    return 0;
}

}  // namespace

Conversion* StartConversion(HWND window, const ConvertOptions& options)
{
    std::vector<wchar_t> self(32768);
    const DWORD length = GetModuleFileNameW(NULL, self.data(), (DWORD)self.size());
    if (length == 0 || length >= self.size())
        return NULL;
    std::wstring line = QuoteArgument(self.data()) + L" " + kWorkerSwitch + L" " +
                        (options.placement.up == UpAxis::Z ? L"z" : L"y") + L" " + (options.flat ? L"flat" : L"smooth") +
                        L" " + QuoteArgument(Wide(options.input)) + L" " + QuoteArgument(Wide(options.output));

    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    HANDLE readEnd = NULL, writeEnd = NULL;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return NULL;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION worker = {};
    const BOOL started = CreateProcessW(self.data(), &line[0], NULL, NULL, TRUE, CREATE_SUSPENDED | CREATE_NO_WINDOW,
                                        NULL, NULL, &startup, &worker);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return NULL;
    }
    Conversion* c = new Conversion;
    c->window = window;
    c->process = worker.hProcess;
    c->pipe = readEnd;
    c->job = PutInLimitedJob(worker.hProcess);
    ResumeThread(worker.hThread);
    CloseHandle(worker.hThread);
    c->thread = CreateThread(NULL, 0, ReadWorker, c, 0, NULL);
    if (!c->thread) {
        TerminateProcess(c->process, 1);
        WaitForSingleObject(c->process, 10000);
        FinishConversion(c);
        return NULL;
    }
    return c;
}

void StopConversion(Conversion* c)
{
    InterlockedExchange(&c->stopped, 1);
    TerminateProcess(c->process, 1);
}

ConversionResult FinishConversion(Conversion* c)
{
    if (c->thread) {
        WaitForSingleObject(c->thread, INFINITE);
        CloseHandle(c->thread);
    }
    DWORD code = 1;
    WaitForSingleObject(c->process, 10000);
    GetExitCodeProcess(c->process, &code);
    ConversionResult result;
    result.stopped = c->stopped != 0;
    const size_t done = c->output.find(kDoneLine), failed = c->output.find(kFailedLine);
    if (!result.stopped && code == 0 && done != std::string::npos) {
        result.ok = true;
        result.text = c->output.substr(done + sizeof kDoneLine - 1);
    } else if (!result.stopped && code == 1 && failed != std::string::npos) {
        result.text = c->output.substr(failed + sizeof kFailedLine - 1);
        while (!result.text.empty() && (result.text.back() == '\n' || result.text.back() == '\r'))
            result.text.pop_back();
    } else if (!result.stopped) {
        result.crashed = true;
    }
    CloseHandle(c->pipe);
    CloseHandle(c->process);
    if (c->job)
        CloseHandle(c->job);
    delete c;
    return result;
}

int RunConversionWorker(const std::vector<std::wstring>& arguments)
{
    // A crash ends this process quietly; the window reports it.
    SetErrorMode(SetErrorMode(0) | SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (arguments.size() != 5 || arguments[0] != kWorkerSwitch)
        return 2;
    ConvertOptions options;
    options.placement.up = arguments[1] == L"z" ? UpAxis::Z : UpAxis::Y;
    options.flat = arguments[2] == L"flat";
    options.input = Utf8(arguments[3]);
    options.output = Utf8(arguments[4]);
    const ConvertReport report = ConvertModel(options, [out](ConvertStage stage) {
        Write(out, kStageLine + std::to_string((int)stage) + "\n");
    });
    if (!report.ok) {
        std::string reason = report.error;
        for (char& c : reason)
            if (c == '\n' || c == '\r')
                c = ' ';
        Write(out, kFailedLine + Printable(reason) + "\n");
        return 1;
    }
    Write(out, kDoneLine + UserSummary(options, report, UserUiLanguage()));
    return 0;
}
