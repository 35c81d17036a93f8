// The converter's guard for real: a case starts this test program once more
// as the converter would be started, with its output redirected to files;
// that copy calls the guard, which runs the program a third time to do the
// work, and the work crashes, hangs or returns. The converter itself, run
// with redirected output, shows its arguments and lines pass the guard.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "saver_driver.h"
#include "test_files.h"
#include "convert/guard.h"

namespace {

const char kCaseVariable[] = "MORVELLA_GUARD_CASE";
const char kPartialVariable[] = "MORVELLA_GUARD_PARTIAL";
const char kInput[] = "broken model.obj";

std::string Variable(const char* name)
{
    char value[MAX_PATH] = "";
    const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n < sizeof value ? std::string(value, n) : std::string();
}

struct Finished {
    DWORD code = STILL_ACTIVE;
    std::string out, err;
};

// Runs `exe` with `args`, its output in files of `folder`, read back with
// line ends as "\n"; gives up after a minute.
Finished RunRedirected(const std::string& exe, const std::string& args, const std::string& folder)
{
    Finished result;
    result.code = RunProgram(exe, args, 60000, {FromAnsi(folder + "\\stdout.txt"), FromAnsi(folder + "\\stderr.txt")});
    result.out = ReadText(folder + "\\stdout.txt");
    result.err = ReadText(folder + "\\stderr.txt");
    return result;
}

struct ConvertGuard : ::testing::Test {
    std::string folder, partial;

    void SetUp() override
    {
        folder = TestDir("ConvertGuard");
        partial = folder + "\\model.dat.partial";
        FILE* file = fopen(partial.c_str(), "wb");
        ASSERT_NE(nullptr, file);
        fputs("half a model", file);
        fclose(file);
    }

    // This program once more, running the guarded work named `guardCase`.
    Finished RunCase(const char* guardCase)
    {
        char self[MAX_PATH];
        GetModuleFileNameA(NULL, self, sizeof self);
        SetEnvironmentVariableA(kCaseVariable, guardCase);
        SetEnvironmentVariableA(kPartialVariable, partial.c_str());
        const Finished result = RunRedirected(
            self, "--gtest_also_run_disabled_tests --gtest_filter=ConvertGuardCase.DISABLED_Run", folder);
        SetEnvironmentVariableA(kCaseVariable, NULL);
        SetEnvironmentVariableA(kPartialVariable, NULL);
        return result;
    }
};

}  // namespace

// The converter's side of the cases below, which run it as a program of its
// own: the guard runs the same command line again to do the work.
TEST(ConvertGuardCase, DISABLED_Run)
{
    const std::string which = Variable(kCaseVariable), partial = Variable(kPartialVariable);
    if (which.empty())
        GTEST_SKIP() << "run only by the ConvertGuard cases";
    std::function<int()> work;
    if (which == "crash")
        work = [&] {
            FILE* output = fopen(partial.c_str(), "ab");   // left open, as a crash leaves it
            fputs(" and more", output);
            // Not address 0: under Wine a write there can succeed.
            int* volatile nowhere = (int*)VirtualAlloc(NULL, 4096, MEM_RESERVE, PAGE_NOACCESS);
            *nowhere = 1;
            return 0;
        };
    else if (which == "abort")
        work = [] {
            abort();
            return 0;
        };
    else if (which == "hang")
        work = [&] {
            FILE* output = fopen(partial.c_str(), "ab");
            fputs(" and more", output);
            fflush(output);
            printf("hanging in process %lu\n", GetCurrentProcessId());
            fflush(stdout);
            for (;;)
                Sleep(1000);
            return 0;
        };
    else
        work = [&] {
            printf("work returns %s\n", which.c_str());
            fprintf(stderr, "work's own error line\n");
            return atoi(which.c_str());
        };
    // Whoever started the converter need not have made its output inheritable.
    SetHandleInformation(GetStdHandle(STD_OUTPUT_HANDLE), HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(GetStdHandle(STD_ERROR_HANDLE), HANDLE_FLAG_INHERIT, 0);
    const int code = RunGuarded(work, kInput, partial, which == "hang" ? 2 : 60);
    fflush(stdout);
    fflush(stderr);
    ExitProcess(code);
}

TEST_F(ConvertGuard, ACrashOrAbortReturns1WithOneLineAndRemovesThePartialOutput)
{
    const struct {
        const char* guardCase;
        const char* exitCode;
    } cases[] = {{"crash", "0xC0000005"}, {"abort", "0x3"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.guardCase);
        SetUp();
        const Finished run = RunCase(c.guardCase);
        EXPECT_EQ(1u, run.code);
        EXPECT_FALSE(Exists(partial)) << "the partial output is still there";
        const std::string line = std::string("morvella-convert: ") + kInput +
                                 ": the model-import library crashed or ran out of memory reading it (exit code " +
                                 c.exitCode + "); the file is damaged, too large, or uses a part of its format "
                                 "the library cannot read\n";
        EXPECT_NE(std::string::npos, run.err.find(line)) << "expected the line\n" << line << "in stderr:\n" << run.err;
    }
}

TEST_F(ConvertGuard, WorkOverTheTimeLimitIsEndedReportedAndItsPartialOutputRemoved)
{
    const DWORD start = GetTickCount();
    const Finished run = RunCase("hang");
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_EQ(1u, run.code);
    EXPECT_GE(elapsed, 2000u);
    EXPECT_LT(elapsed, 30000u);
    EXPECT_FALSE(Exists(partial)) << "the partial output is still there";
    const std::string line =
        std::string("morvella-convert: ") + kInput + ": reading it took more than 2 seconds; it is damaged or too large\n";
    EXPECT_NE(std::string::npos, run.err.find(line)) << "expected the line\n" << line << "in stderr:\n" << run.err;

    unsigned long pid = 0;
    const size_t at = run.out.find("hanging in process ");
    ASSERT_NE(std::string::npos, at) << "stdout:\n" << run.out;
    ASSERT_EQ(1, sscanf(run.out.c_str() + at, "hanging in process %lu", &pid)) << "stdout:\n" << run.out;
    ASSERT_NE(0ul, pid);
    // Gone, the worker's id names no process; any other refusal (access
    // denied, say) tells nothing about whether it still runs.
    const HANDLE worker = OpenProcess(SYNCHRONIZE, FALSE, pid);
    const DWORD refusal = GetLastError();
    if (!worker) {
        EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, refusal) << "process " << pid << " could not be opened";
    } else {
        EXPECT_EQ((DWORD)WAIT_OBJECT_0, WaitForSingleObject(worker, 0)) << "process " << pid << " still runs";
        CloseHandle(worker);
    }
}

TEST_F(ConvertGuard, ExitCodesZeroToTwoPassThroughWithTheWorksOutputAndThePartialOutputKept)
{
    for (const char* code : {"0", "1", "2"}) {
        SCOPED_TRACE(code);
        const Finished run = RunCase(code);
        EXPECT_EQ((DWORD)atoi(code), run.code);
        EXPECT_TRUE(Exists(partial)) << "the partial output was removed";
        EXPECT_NE(std::string::npos, run.out.find(std::string("work returns ") + code + "\n")) << "stdout:\n" << run.out;
        EXPECT_NE(std::string::npos, run.err.find("work's own error line\n")) << "stderr:\n" << run.err;
        EXPECT_EQ(std::string::npos, run.err.find("morvella-convert:")) << "stderr:\n" << run.err;
    }
}

// The converter as shipped: names with spaces reach the guarded copy as
// given, and its summary and error lines reach redirected output.
TEST(ConverterThroughItsGuard, NamesWithSpacesConvertAndLinesReachRedirectedOutput)
{
    const std::string exe = DistFile("morvella-convert.exe");
    if (!Exists(exe))
        GTEST_SKIP() << "the converter has not been built";
    const std::string folder = TestDir("ConverterThroughItsGuard");
    const std::string input = folder + "\\my model.obj", output = folder + "\\my model.dat";
    if (FILE* file = fopen(input.c_str(), "wb")) {
        fputs("v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nf 1 3 2\nf 1 2 4\nf 1 4 3\nf 2 3 4\n", file);
        fclose(file);
    }
    const Finished converted = RunRedirected(exe, "\"" + input + "\" \"" + output + "\"", folder);
    EXPECT_EQ(0u, converted.code) << "stderr:\n" << converted.err;
    EXPECT_TRUE(Exists(output));
    EXPECT_NE(std::string::npos, converted.out.find("wrote " + output + " (")) << "stdout:\n" << converted.out;

    const std::string missing = folder + "\\no such model.obj";
    const Finished refused = RunRedirected(exe, "\"" + missing + "\" \"" + output + "\"", folder);
    EXPECT_EQ(1u, refused.code);
    EXPECT_EQ(0u, refused.err.find("morvella-convert: " + missing + ": ")) << "stderr:\n" << refused.err;
}
