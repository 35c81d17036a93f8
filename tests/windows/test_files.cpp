#include "test_files.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <cmath>
#include <cstdio>
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

void WriteSphereStl(const std::wstring& path, int rings, int segments, uint32_t* triangles)
{
    FILE* file = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(nullptr, file);
    char header[84] = "sphere";
    fwrite(header, 1, sizeof header, file);
    auto point = [&](int r, int s, float* p) {
        const double theta = 3.14159265358979 * r / rings, phi = 2 * 3.14159265358979 * s / segments;
        p[0] = (float)(sin(theta) * cos(phi));
        p[1] = (float)cos(theta);
        p[2] = (float)(-sin(theta) * sin(phi));
    };
    std::vector<unsigned char> record(50, 0);
    *triangles = 0;
    auto facet = [&](int r0, int s0, int r1, int s1, int r2, int s2) {
        float* p = (float*)(record.data() + 12);   // after the normal, left zero
        point(r0, s0, p);
        point(r1, s1, p + 3);
        point(r2, s2, p + 6);
        fwrite(record.data(), 1, record.size(), file);
        ++*triangles;
    };
    for (int r = 0; r < rings; ++r)
        for (int s = 0; s < segments; ++s) {
            if (r > 0)
                facet(r, s, r + 1, s, r, s + 1);
            if (r < rings - 1)
                facet(r, s + 1, r + 1, s, r + 1, s + 1);
        }
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

