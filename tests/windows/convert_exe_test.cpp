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
#include "test_files.h"

namespace {

// The saver's loader on the converter's output, copied to a name its narrow
// path can carry in every code page.
bool LoadOutput(const std::wstring& output, ModelData* model)
{
    const std::string copy = TestDir("ConverterOutputCopy") + "\\morvella.dat";
    ClearModelData(model);
    return CopyFileW(output.c_str(), Wide(copy).c_str(), FALSE) && LoadModelFile(model, copy.c_str());
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
        const char *inFolder, *input, *material, *outFolder, *output;
    } cases[] = {
        {"太郎", "ロゴ.obj", "色.mtl", "José", "出力.dat"},
        {"José", "Café.obj", "Crème.mtl", "太郎のデスクトップ", "morvella.dat"},
    };
    const std::string base = TestDir("ConverterNames");
    for (const auto& c : cases) {
        const std::string inDir = base + "\\" + c.inFolder, outDir = base + "\\" + c.outFolder;
        const std::wstring input = Wide(inDir + "\\" + c.input), output = Wide(outDir + "\\" + c.output);
        SCOPED_TRACE(inDir + " -> " + outDir + ", ANSI code page " + std::to_string(GetACP()));
        CreateDirectoryW(Wide(inDir).c_str(), NULL);
        CreateDirectoryW(Wide(outDir).c_str(), NULL);
        DeleteFileW(output.c_str());
        WriteWhole(Wide(inDir + "\\" + c.material), "newmtl orange\nKd 0.8 0.4 0.1\n");
        WriteWhole(input, std::string("mtllib ") + c.material + "\nusemtl orange\n"
                          "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nf 1 3 2\nf 1 2 4\nf 1 4 3\nf 2 3 4\n");

        PROCESS_INFORMATION run = {};
        const std::wstring log = Wide(base + "\\log.txt");
        ASSERT_TRUE(StartProgram(&run, ConverterExe(), L"\"" + input + L"\" \"" + output + L"\"", {log}));
        const DWORD code = FinishProgram(&run, 60000);
        const std::string printed = ReadWhole(log);
        EXPECT_EQ(0u, code) << printed;
        EXPECT_FALSE(Exists(output + L".partial"));
        // Redirected output carries names in UTF-8, whatever the code page.
        EXPECT_NE(std::string::npos, printed.find("wrote " + outDir + "\\" + c.output + " (")) << printed;

        ModelData model;
        ASSERT_TRUE(LoadOutput(output, &model)) << "load status " << model.loadStatus;
        ASSERT_EQ(1, model.objectCount);
        EXPECT_EQ(4, model.objects[0].polygonCount);
        const ModelColor& diffuse = model.objects[0].record->material.diffuse;
        EXPECT_NEAR(0.8, diffuse.r, 0.01) << "the MTL file's colour";
        EXPECT_NEAR(0.4, diffuse.g, 0.01);
        FreeModelData(&model);
    }
}

// 64-bit Windows gives a large-address-aware 32-bit program 4 GB, and the
// guard's limit follows it: a 3,000,000-triangle scan (150 MB of STL) is
// read and simplified within it. Run by a test of its own, with more time
// than the others get on a busy machine.
TEST(ConverterMemory, DISABLED_ThreeMillionTriangleScanSimplifiesTo20000)
{
    const std::wstring folder = Wide(TestDir("ConverterMemory"));
    const std::wstring input = folder + L"\\scan.stl", output = folder + L"\\scan.dat";
    uint32_t triangles = 0;
    WriteSphereStl(input, 1001, 1500, &triangles);
    ASSERT_EQ(3000000u, triangles);

    PROCESS_INFORMATION run = {};
    const DWORD start = GetTickCount();
    ASSERT_TRUE(StartProgram(&run, ConverterExe(), L"\"" + input + L"\" \"" + output + L"\" --max-triangles 20000",
                             {folder + L"\\log.txt"}));
    const DWORD code = FinishProgram(&run, 400000);
    const DWORD seconds = (GetTickCount() - start) / 1000;
    DeleteFileW(input.c_str());
    EXPECT_EQ(0u, code) << ReadWhole(folder + L"\\log.txt");
    printf("converted 3,000,000 triangles in %lu s\n", seconds);

    ModelData model;
    ASSERT_TRUE(LoadOutput(output, &model)) << "load status " << model.loadStatus;
    ASSERT_EQ(1, model.objectCount);
    EXPECT_LE(model.objects[0].polygonCount, 20000);
    EXPECT_GT(model.objects[0].polygonCount, 10000);
    FreeModelData(&model);
}

namespace {

BOOL WINAPI KeepRunning(DWORD)
{
    return TRUE;
}

}  // namespace

// A conversion of a million triangles stopped: by Ctrl+C, which the
// converter and its copy both get from the console they share, well into
// reading (a half-written output, stood in for by one made before, must
// go); or by a kill, as the task manager does it, while the copy reads and
// while it writes the output, which must take the copy and its partial file
// with it. No partial file is left and the old output stays as it was.
TEST(ConverterStopped, CtrlCOrAKillEndsTheCopyLeavesNoPartialFileAndKeepsTheOldOutput)
{
    const std::string folder = TestDir("ConverterStopped");
    const std::wstring input = Wide(folder + "\\scan.stl"), output = Wide(folder + "\\scan.dat");
    const std::wstring partial = output + L".partial";
    uint32_t triangles = 0;
    WriteSphereStl(input, 501, 1000, &triangles);
    // A console of this test's own, shared by the converter as it would
    // share the user's; this program lets its events pass.
    FreeConsole();
    AllocConsole();
    SetConsoleCtrlHandler(KeepRunning, TRUE);
    enum How { kCtrlC, kKill, kKillTheCopy };
    enum When { kWhileReading, kWhileWriting };
    const struct {
        How how;
        When when;
        const char* name;
    } cases[] = {
        {kCtrlC, kWhileReading, "Ctrl+C while reading"},
        {kKill, kWhileReading, "killed while reading"},
        {kKill, kWhileWriting, "killed while writing"},
        // Ended with 0, as a tool may end a process: still no success.
        {kKillTheCopy, kWhileReading, "the copy alone ended from outside"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteWhole(output, "the model from before");
        DeleteFileW(partial.c_str());
        if (c.how == kCtrlC)
            WriteWhole(partial, "half a model");
        PROCESS_INFORMATION run = {};
        // --parts: the whole million triangles are written, so the write
        // lasts long enough to be caught in the middle.
        ASSERT_TRUE(StartProgram(&run, ConverterExe(), L"\"" + input + L"\" \"" + output + L"\" --parts",
                                 {Wide(folder + "\\log.txt")}));
        DWORD copy = 0;
        ASSERT_TRUE(WaitUntil(20000, [&] { return (copy = ChildOf(run.dwProcessId)) != 0; }, 50))
            << "the converter started no copy";
        if (c.when == kWhileReading)
            Sleep(500);
        if (c.when == kWhileWriting)
            ASSERT_TRUE(WaitUntil(60000, [&] { return Listed(partial); }, 2)) << "the copy wrote no partial file";
        if (c.how == kKill)
            TerminateProcess(run.hProcess, 1);
        if (c.how == kCtrlC)
            ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
        if (c.how == kKillTheCopy) {
            const HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, copy);
            ASSERT_TRUE(process && TerminateProcess(process, 0));
            CloseHandle(process);
        }
        const DWORD code = FinishProgram(&run, 20000);
        const std::string printed = ReadWhole(Wide(folder + "\\log.txt"));
        if (c.how == kCtrlC)
            EXPECT_EQ((DWORD)STATUS_CONTROL_C_EXIT, code) << printed;
        if (c.how == kKillTheCopy) {
            EXPECT_EQ(1u, code) << printed;
            EXPECT_EQ(0u, printed.find("morvella-convert: ")) << printed;
        }
        const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, copy);
        EXPECT_TRUE(!process || WaitForSingleObject(process, 5000) == WAIT_OBJECT_0) << "the copy still runs";
        if (process)
            CloseHandle(process);
        EXPECT_FALSE(Listed(partial)) << "the partial output is left";
        EXPECT_EQ("the model from before", ReadWhole(output, 64));
    }
    DeleteFileW(input.c_str());
}

// Outputs whose names Windows reads as devices (the console, the null
// device, a serial port) are refused before a byte is written: the model
// file must not appear on the user's console nor go to a port.
TEST(ConverterOutputs, AnOutputNamedLikeADeviceIsRefusedUnwritten)
{
    const std::string folder = TestDir("ConverterDevices");
    const std::wstring input = Wide(folder + "\\tetra.obj");
    WriteWhole(input, "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nf 1 3 2\nf 1 2 4\nf 1 4 3\nf 2 3 4\n");
    // A console of this test's own, which the converter shares.
    FreeConsole();
    AllocConsole();
    const HANDLE screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, screen);
    for (const wchar_t* device : {L"con.dat", L"NUL", L"aux"}) {
        SCOPED_TRACE(Utf8Of(device));
        PROCESS_INFORMATION run = {};
        const std::wstring log = Wide(folder + "\\log.txt");
        ASSERT_TRUE(StartProgram(&run, ConverterExe(), L"\"" + input + L"\" " + device, {log}));
        EXPECT_EQ(1u, FinishProgram(&run, 60000));
        EXPECT_NE(std::string::npos, ReadWhole(log).find("device")) << ReadWhole(log);
    }
    CONSOLE_SCREEN_BUFFER_INFO info;
    ASSERT_TRUE(GetConsoleScreenBufferInfo(screen, &info));
    std::wstring shown((size_t)info.dwSize.X * info.dwSize.Y, L' ');
    DWORD read = 0;
    ReadConsoleOutputCharacterW(screen, &shown[0], (DWORD)shown.size(), COORD{0, 0}, &read);
    CloseHandle(screen);
    EXPECT_EQ(std::wstring::npos, shown.find(L"Morvella model")) << "the model file was written to the console";
}
