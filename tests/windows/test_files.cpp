#include "test_files.h"

#include "saver_driver.h"
#include "tests/convert/test_meshes.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

std::string Utf8Of(const std::wstring& wide)
{
    std::string utf8(wide.size() * 3, '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, wide.data(), (int)wide.size(), &utf8[0], (int)utf8.size(), NULL,
                                    NULL));
    return utf8;
}

std::wstring Wide(const std::string& utf8)
{
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), (int)utf8.size(), &wide[0], (int)wide.size()));
    return wide;
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Exists(const std::string& ansiPath)
{
    return GetFileAttributesA(ansiPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WriteWhole(const std::wstring& path, const std::string& bytes)
{
    if (FILE* file = _wfopen(path.c_str(), L"wb")) {
        fwrite(bytes.data(), 1, bytes.size(), file);
        fclose(file);
    }
}

std::string ReadWhole(const std::wstring& path, size_t most)
{
    std::string bytes;
    if (FILE* file = _wfopen(path.c_str(), L"rb")) {
        char buffer[4096];
        for (size_t n; bytes.size() < most && (n = fread(buffer, 1, sizeof buffer, file)) > 0;)
            bytes.append(buffer, n);
        fclose(file);
    }
    return bytes.substr(0, most);
}

std::string ReadText(const std::string& path)
{
    std::string text = ReadWhole(FromAnsi(path));
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

bool Listed(const std::wstring& pattern)
{
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return true;
}

void WriteSphereStl(const std::wstring& path, int rings, int segments, uint32_t* triangles)
{
    FILE* file = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(nullptr, file);
    char header[84] = "sphere";
    fwrite(header, 1, sizeof header, file);
    std::vector<unsigned char> record(50, 0);
    *triangles = 0;
    test_meshes::Sphere(rings, segments, [&](const float* p) {
        memcpy(record.data() + 12, p, 9 * sizeof(float));   // after the normal, left zero
        fwrite(record.data(), 1, record.size(), file);
        ++*triangles;
    });
    fseek(file, 80, SEEK_SET);
    fwrite(triangles, 4, 1, file);
    fclose(file);
}

DWORD ChildOf(DWORD parent)
{
    DWORD child = 0;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !child; more = Process32NextW(snapshot, &entry))
        if (entry.th32ParentProcessID == parent)
            child = entry.th32ProcessID;
    CloseHandle(snapshot);
    return child;
}


namespace {

HANDLE InheritableFile(const std::wstring& path)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, NULL);
}

}  // namespace

bool StartProgram(PROCESS_INFORMATION* run, const std::wstring& exe, const std::wstring& args, const Launch& how)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    const bool redirected = !how.log.empty() || !how.errors.empty();
    if (redirected) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = InheritableFile(how.log);
        startup.hStdError = how.errors.empty() ? startup.hStdOutput : InheritableFile(how.errors);
    }
    std::wstring line = L"\"" + exe + L"\" " + args;
    const bool started = CreateProcessW(exe.c_str(), &line[0], NULL, NULL, redirected, how.flags, NULL,
                                        how.folder.empty() ? NULL : how.folder.c_str(), &startup, run) != FALSE;
    if (redirected) {
        CloseHandle(startup.hStdOutput);
        if (startup.hStdError != startup.hStdOutput)
            CloseHandle(startup.hStdError);
    }
    return started;
}

DWORD FinishProgram(PROCESS_INFORMATION* run, DWORD timeoutMs)
{
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(run->hProcess, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(run->hProcess, &code);
    else
        TerminateProcess(run->hProcess, 99);
    CloseHandle(run->hProcess);
    CloseHandle(run->hThread);
    return code;
}

DWORD RunProgram(const std::wstring& exe, const std::wstring& args, DWORD timeoutMs, const Launch& how)
{
    PROCESS_INFORMATION run = {};
    return StartProgram(&run, exe, args, how) ? FinishProgram(&run, timeoutMs) : 0xFFFFFFFF;
}

std::wstring FromAnsi(const std::string& ansi)
{
    std::wstring wide(ansi.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, ansi.data(), (int)ansi.size(), &wide[0], (int)wide.size()));
    return wide;
}

DWORD RunProgram(const std::string& exe, const std::string& args, DWORD timeoutMs, const Launch& how)
{
    return RunProgram(FromAnsi(exe), FromAnsi(args), timeoutMs, how);
}

std::wstring ConverterExe()
{
    return Wide(DistFile("morvella-convert.exe"));
}

DWORD RunConverter(const std::wstring& args, DWORD timeoutMs, const Launch& how)
{
    return RunProgram(ConverterExe(), args, timeoutMs, how);
}
