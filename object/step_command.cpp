#include "object/step_command.h"

const wchar_t kInstallSwitch[] = L"/install-object";
const wchar_t kPutBackSwitch[] = L"/put-back-object";

std::wstring QuoteArgument(const std::wstring& argument)
{
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes count as themselves unless a quote follows: then
        // each is doubled, and the quote escaped.
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

std::wstring StepArguments(Step step, const std::wstring& folder, const std::wstring& file)
{
    if (step == Step::PutBack)
        return std::wstring(kPutBackSwitch) + L" " + QuoteArgument(folder);
    return std::wstring(kInstallSwitch) + L" " + QuoteArgument(folder) + L" " + QuoteArgument(file);
}

bool ReadStepArguments(const std::vector<std::wstring>& arguments, Step* step, std::wstring* folder,
                       std::wstring* file)
{
    if (arguments.size() == 3 && arguments[0] == kInstallSwitch && !arguments[1].empty() && !arguments[2].empty()) {
        *step = Step::Install;
        *folder = arguments[1];
        *file = arguments[2];
        return true;
    }
    if (arguments.size() == 2 && arguments[0] == kPutBackSwitch && !arguments[1].empty()) {
        *step = Step::PutBack;
        *folder = arguments[1];
        file->clear();
        return true;
    }
    return false;
}
