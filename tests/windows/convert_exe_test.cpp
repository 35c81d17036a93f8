// morvella-convert.exe as users meet it on Windows: folders and files named
// in any script, in any ANSI code page; a scan of millions of triangles;
// and a run stopped by Ctrl+C or killed, which must leave neither a running
// copy nor a partial file, and the old output as it was.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "assets/model_data.h"
#include "saver_driver.h"

namespace {

std::wstring Wide(const std::string& utf8)
{
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), (int)utf8.size(), &wide[0], (int)wide.size()));
    return wide;
}

std::string Utf8(const std::wstring& wide)
{
    std::string utf8(wide.size() * 3, '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, wide.data(), (int)wide.size(), &utf8[0], (int)utf8.size(), NULL,
                                    NULL));
    return utf8;
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

// The file's first `most` bytes.
std::string ReadWhole(const std::wstring& path, size_t most = 1 << 20)
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

// A closed sphere of about 2 x rings x segments triangles as a binary STL,
// written as it is made: the largest is 150 MB.
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

struct ConverterRun {
    PROCESS_INFORMATION info = {};
    HANDLE out = INVALID_HANDLE_VALUE;
};

// Starts the converter with a wide command-line tail, its output into the
// file `log`.
bool StartConverter(ConverterRun& run, const std::wstring& args, const std::wstring& log)
{
    const std::wstring exe = Wide(DistFile("morvella-convert.exe"));
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    run.out = CreateFileW(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, NULL);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = run.out;
    startup.hStdError = run.out;
    std::wstring line = L"\"" + exe + L"\" " + args;
    return CreateProcessW(exe.c_str(), &line[0], NULL, NULL, TRUE, 0, NULL, NULL, &startup, &run.info) != 0;
}

// Waits for the run to end (ending it after timeoutMs) and gives its code.
DWORD Finish(ConverterRun& run, DWORD timeoutMs)
{
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(run.info.hProcess, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(run.info.hProcess, &code);
    else
        TerminateProcess(run.info.hProcess, 99);
    CloseHandle(run.info.hProcess);
    CloseHandle(run.info.hThread);
    CloseHandle(run.out);
    return code;
}

// The saver's loader on the converter's output, copied to a name its narrow
// path can carry in every code page.
bool LoadOutput(const std::wstring& output, ModelData* model)
{
    const std::string copy = TestDir("ConverterOutputCopy") + "\\morvella.dat";
    ClearModelData(model);
    return CopyFileW(output.c_str(), Wide(copy).c_str(), FALSE) && LoadModelFile(model, copy.c_str());
}

int32_t Triangles(const ModelData& model)
{
    int32_t n = 0;
    for (int32_t i = 0; i < model.objectCount; ++i)
        n += model.objects[i].polygonCount;
    return n;
}

}  // namespace

// Input and output in folders named in Japanese and with an accent, and an
// MTL file named so too, found by the name the OBJ gives in UTF-8. Run once
// under each ANSI code page the test command sets (932 and 1252).
TEST(ConverterNames, JapaneseAndAccentedNamesConvertInAnyCodePage)
{
    const char* expected = getenv("MORVELLA_EXPECT_ACP");
    if (expected)
        ASSERT_EQ((UINT)atoi(expected), GetACP());
    const struct {
        const wchar_t *inFolder, *input, *material, *outFolder, *output;
    } cases[] = {
        {L"太郎", L"ロゴ.obj", L"色.mtl", L"José", L"出力.dat"},
        {L"José", L"Café.obj", L"Crème.mtl", L"太郎のデスクトップ", L"morvella.dat"},
    };
    const std::wstring base = Wide(TestDir("ConverterNames"));
    for (const auto& c : cases) {
        const std::wstring inDir = base + L"\\" + c.inFolder, outDir = base + L"\\" + c.outFolder;
        const std::wstring input = inDir + L"\\" + c.input, output = outDir + L"\\" + c.output;
        SCOPED_TRACE(Utf8(input) + " -> " + Utf8(output) + ", ANSI code page " + std::to_string(GetACP()));
        CreateDirectoryW(inDir.c_str(), NULL);
        CreateDirectoryW(outDir.c_str(), NULL);
        DeleteFileW(output.c_str());
        WriteWhole(inDir + L"\\" + c.material, "newmtl orange\nKd 0.8 0.4 0.1\n");
        WriteWhole(input, "mtllib " + Utf8(c.material) + "\nusemtl orange\n"
                         "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nf 1 3 2\nf 1 2 4\nf 1 4 3\nf 2 3 4\n");

        ConverterRun run;
        const std::wstring log = base + L"\\log.txt";
        ASSERT_TRUE(StartConverter(run, L"\"" + input + L"\" \"" + output + L"\"", log));
        const DWORD code = Finish(run, 60000);
        const std::string printed = ReadWhole(log);
        EXPECT_EQ(0u, code) << printed;
        EXPECT_FALSE(Exists(output + L".partial"));
        // Redirected output carries names in UTF-8, whatever the code page.
        EXPECT_NE(std::string::npos, printed.find("wrote " + Utf8(output) + " (")) << printed;

        ModelData model;
        ASSERT_TRUE(LoadOutput(output, &model)) << "load status " << model.loadStatus;
        ASSERT_EQ(1, model.objectCount);
        EXPECT_EQ(4, Triangles(model));
        const ModelColor& diffuse = model.objects[0].record->material.diffuse;
        EXPECT_NEAR(0.8, diffuse.r, 0.01) << "the MTL file's colour";
        EXPECT_NEAR(0.4, diffuse.g, 0.01);
        FreeModelData(&model);
    }
}

// 64-bit Windows gives a large-address-aware 32-bit program 4 GB, and the
// guard's limit follows it: a 3,000,000-triangle scan (150 MB of STL) is
// read and simplified within it.
TEST(ConverterMemory, ThreeMillionTriangleScanSimplifiesTo20000)
{
    const std::wstring folder = Wide(TestDir("ConverterMemory"));
    const std::wstring input = folder + L"\\scan.stl", output = folder + L"\\scan.dat";
    uint32_t triangles = 0;
    WriteSphereStl(input, 1001, 1500, &triangles);
    ASSERT_EQ(3000000u, triangles);

    ConverterRun run;
    const DWORD start = GetTickCount();
    ASSERT_TRUE(StartConverter(run, L"\"" + input + L"\" \"" + output + L"\" --max-triangles 20000",
                               folder + L"\\log.txt"));
    const DWORD code = Finish(run, 100000);
    const DWORD seconds = (GetTickCount() - start) / 1000;
    DeleteFileW(input.c_str());
    EXPECT_EQ(0u, code) << ReadWhole(folder + L"\\log.txt");
    printf("converted 3,000,000 triangles in %lu s\n", seconds);

    ModelData model;
    ASSERT_TRUE(LoadOutput(output, &model)) << "load status " << model.loadStatus;
    EXPECT_LE(Triangles(model), 20000);
    EXPECT_GT(Triangles(model), 10000);
    FreeModelData(&model);
}

namespace {

BOOL WINAPI KeepRunning(DWORD)
{
    return TRUE;
}

// A conversion of about a million triangles, stopped while its copy works.
struct ConverterStopped : ::testing::Test {
    std::wstring folder, input, output, partial;
    ConverterRun run;
    DWORD copy = 0;   // the process that does the work

    void SetUp() override
    {
        folder = Wide(TestDir("ConverterStopped"));
        input = folder + L"\\scan.stl";
        output = folder + L"\\scan.dat";
        partial = output + L".partial";
        uint32_t triangles = 0;
        WriteSphereStl(input, 501, 1000, &triangles);
        WriteWhole(output, "the model from before");
        // A console of this test's own, which the converter shares as it
        // would share the user's; this program lets its events pass.
        FreeConsole();
        AllocConsole();
        SetConsoleCtrlHandler(KeepRunning, TRUE);
        ASSERT_TRUE(StartConverter(run, L"\"" + input + L"\" \"" + output + L"\"", folder + L"\\log.txt"));
        for (DWORD waited = 0; !copy && waited < 20000; waited += 50) {
            Sleep(50);
            copy = ChildOf(run.info.dwProcessId);
        }
        ASSERT_NE(0u, copy) << "the converter started no copy";
        Sleep(500);   // well into reading the file
    }

    void TearDown() override { DeleteFileW(input.c_str()); }

    static DWORD ChildOf(DWORD parent)
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

    // Whether the copy has gone within timeoutMs.
    bool CopyEnds(DWORD timeoutMs) const
    {
        const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, copy);
        const bool ended = !process || WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
        if (process)
            CloseHandle(process);
        return ended;
    }
};

}  // namespace

// Ctrl+C reaches the converter and its copy alike; the copy's half-written
// output (here stood in for by one made before) must go, and the old
// output stay.
TEST_F(ConverterStopped, CtrlCEndsTheCopyRemovesThePartialFileAndKeepsTheOldOutput)
{
    WriteWhole(partial, "half a model");
    ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
    EXPECT_EQ((DWORD)STATUS_CONTROL_C_EXIT, Finish(run, 20000));
    EXPECT_TRUE(CopyEnds(5000)) << "the copy still runs";
    EXPECT_FALSE(Exists(partial)) << "the partial output is still there";
    EXPECT_EQ("the model from before", ReadWhole(output, 64));
}

// Killing the converter (as the task manager does) ends the copy with it,
// before it can write: the old output stays.
TEST_F(ConverterStopped, KillingTheConverterEndsTheCopyBeforeItWrites)
{
    TerminateProcess(run.info.hProcess, 1);
    Finish(run, 5000);
    EXPECT_TRUE(CopyEnds(5000)) << "the copy runs on without the converter";
    EXPECT_FALSE(Exists(partial)) << "a partial output was left";
    EXPECT_EQ("the model from before", ReadWhole(output, 64));
}
