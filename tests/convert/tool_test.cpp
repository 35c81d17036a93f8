// The tool as a process: it never writes over its input, it works when
// started with SIGCHLD ignored, and stopped by a signal it leaves neither
// a conversion running, nor a half-written file, nor a changed output.
#include "convert_fixture.h"
#include "test_meshes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <chrono>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace convert_test;

namespace {

std::string Contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

const char kTriangle[] = "v 0 0 0\nv 1 0 0\nv 0 0 -1\nf 1 2 3\n";

TEST(Tool, AnOutputThatIsTheInputByAnyNameIsRefused)
{
    const std::string dir = ScratchDir("same");
    const std::string input = dir + "/model.obj";
    WriteText(input, kTriangle);
    std::filesystem::create_symlink("model.obj", dir + "/symlink.obj");
    std::filesystem::create_hard_link(input, dir + "/hardlink.obj");
    WriteText(dir + "/copy.obj", kTriangle);
    WriteText(dir + "/out.dat.partial", kTriangle);
    struct Case {
        std::string input, output;
        int code;
    } cases[] = {
        {input, input, 2},
        {input, dir + "/./model.obj", 2},
        {dir + "/../same/model.obj", input, 2},
        {input, dir + "/symlink.obj", 2},
        {dir + "/symlink.obj", dir + "/hardlink.obj", 2},
        // The half-written file would take the input's place.
        {dir + "/out.dat.partial", dir + "/out.dat", 2},
        // A file of the same content is another file.
        {input, dir + "/copy.obj", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input + " -> " + c.output);
        const std::string before = Contents(c.input);
        const ToolRun run = RunTool({c.input, c.output});
        EXPECT_EQ(c.code, run.exitCode) << run.err;
        if (c.code == 2) {
            EXPECT_EQ(before, Contents(c.input));
            EXPECT_NE(std::string::npos, run.err.find("the output is the input file")) << run.err;
            EXPECT_EQ(1, std::count(run.err.begin(), run.err.end(), '\n')) << run.err;
        }
    }
}

// Bytes a terminal obeys: ESC, BEL, a C1 CSI in UTF-8, and a lone byte
// that is no UTF-8 (a CSI to a Latin-1 terminal).
bool HasControls(const std::string& text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = (unsigned char)text[i];
        if ((c < 0x20 && c != '\n') || c == 0x7F || c == 0x9B)
            return true;
    }
    return false;
}

TEST(Tool, NamesFromTheFileAndMessagesArePrintedWithoutControlCharacters)
{
    const std::string dir = ScratchDir("controls");
    const std::string hostile = "\x1b]0;owned\x07\x1b[2J\xc2\x9b" "31m\x9b" "41m";
    WriteText(dir + "/named.obj", "o " + hostile + "\nv 0 0 0\nv 2 0 0\nv 0 0 -2\nf 1 2 3\n"
                                  "o other\nv 0 1 0\nv 1 1 0\nv 0 1 -1\nf 4 5 6\n");
    // Named in the summary's first-object line, and in the error line.
    const ToolRun named = RunTool({dir + "/named.obj", dir + "/out.dat", "--parts"});
    ASSERT_EQ(0, named.exitCode) << named.err;
    EXPECT_NE("", LineWith(named.out, "first object: \"?]0;owned??[2J??31m?41m\"")) << named.out;
    const ToolRun missing = RunTool({dir + "/" + hostile + ".obj", dir + "/out.dat"});
    EXPECT_EQ(1, missing.exitCode);
    for (const std::string& text : {named.out, named.err, missing.out, missing.err})
        EXPECT_FALSE(HasControls(text)) << text;
    EXPECT_NE(std::string::npos, missing.err.find("?]0;owned??[2J??31m?41m.obj: no such file")) << missing.err;
}

TEST(Tool, WorksWhenStartedWithSigchldIgnored)
{
    const std::string dir = ScratchDir("sigchld");
    WriteText(dir + "/model.obj", kTriangle);
    const std::string tool = MORVELLA_CONVERT_TOOL, in = dir + "/model.obj", out = dir + "/out.dat";
    const pid_t pid = fork();
    if (pid == 0) {
        signal(SIGCHLD, SIG_IGN);   // kept across exec
        const int devnull = open("/dev/null", O_WRONLY);
        dup2(devnull, 1);
        execl(tool.c_str(), tool.c_str(), in.c_str(), out.c_str(), (char*)nullptr);
        _exit(127);
    }
    int status = 0;
    pid_t done = 0;
    for (int i = 0; i < 600 && (done = waitpid(pid, &status, WNOHANG)) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (done == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        FAIL() << "still running after a minute";
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status));
    Loaded loaded;
    EXPECT_TRUE(Load(out, &loaded));
}

// The children of a process, from /proc.
std::vector<pid_t> Children(pid_t pid)
{
    std::vector<pid_t> children;
    std::ifstream list("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
    for (pid_t child; list >> child;)
        children.push_back(child);
    return children;
}

// A wavy grid of 2 n^2 triangles; 400,000 take a while to read.
void WriteGrid(const std::string& path, int n)
{
    WriteStl(path, test_meshes::GridCorners(n, n, [](int i, int j) { return std::sin(i * 0.1) * std::cos(j * 0.1); }));
}

TEST(Tool, AStoppedConversionLeavesNothingBehind)
{
    // Orphans come to this process, where they can be seen and reaped.
    ASSERT_EQ(0, prctl(PR_SET_CHILD_SUBREAPER, 1));
    const std::string dir = ScratchDir("stop");
    WriteGrid(dir + "/big.stl", 447);
    const std::string tool = MORVELLA_CONVERT_TOOL, in = dir + "/big.stl", out = dir + "/out.dat";
    for (int stop : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(strsignal(stop));
        WriteText(out, "precious");
        const pid_t pid = fork();
        if (pid == 0) {
            const int devnull = open("/dev/null", O_WRONLY);
            dup2(devnull, 1);
            dup2(devnull, 2);
            execl(tool.c_str(), tool.c_str(), in.c_str(), out.c_str(), (char*)nullptr);
            _exit(127);
        }
        // Once the conversion runs in its child, stop the tool alone.
        std::vector<pid_t> converting;
        for (int i = 0; i < 200 && converting.empty(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            converting = Children(pid);
        }
        ASSERT_EQ(1u, converting.size());
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        kill(pid, stop);
        int status = 0;
        ASSERT_EQ(pid, waitpid(pid, &status, 0));
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == stop) << "status " << status;
        // The conversion is gone with the tool: if it were still running,
        // it would be this process's child now.
        int childStatus = 0;
        const pid_t reaped = waitpid(converting[0], &childStatus, WNOHANG);
        EXPECT_TRUE(reaped == converting[0] || (reaped < 0 && errno == ECHILD))
            << "the conversion still runs: " << converting[0];
        if (reaped == 0) {
            kill(converting[0], SIGKILL);
            waitpid(converting[0], &childStatus, 0);
        }
        EXPECT_EQ("precious", Contents(out));
        EXPECT_FALSE(std::filesystem::exists(out + ".partial"));
    }
}

// Started under nohup (SIGHUP ignored), the tool keeps converting through
// a hangup; and a reader of its summary that has gone (`| head -1`) costs
// the summary, not the conversion nor a false report of a crash.
TEST(Tool, AnIgnoredHangupOrAGoneReaderDoesNotStopIt)
{
    const std::string dir = ScratchDir("nohup");
    WriteGrid(dir + "/grid.stl", 100);
    const std::string tool = MORVELLA_CONVERT_TOOL, in = dir + "/grid.stl", out = dir + "/out.dat";
    for (bool hangup : {true, false}) {
        SCOPED_TRACE(hangup ? "SIGHUP ignored and sent" : "stdout a pipe nobody reads");
        std::filesystem::remove(out);
        int pipeEnds[2];
        ASSERT_EQ(0, pipe(pipeEnds));
        const pid_t pid = fork();
        if (pid == 0) {
            if (hangup)
                signal(SIGHUP, SIG_IGN);   // kept across exec, as nohup does
            signal(SIGPIPE, SIG_DFL);
            dup2(pipeEnds[1], 1);
            const int errFile = open((dir + "/err.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(errFile, 2);
            close(pipeEnds[0]);
            execl(tool.c_str(), tool.c_str(), in.c_str(), out.c_str(), (char*)nullptr);
            _exit(127);
        }
        close(pipeEnds[1]);
        if (hangup) {
            // Once the conversion runs in its child.
            for (int i = 0; i < 200 && Children(pid).empty(); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            kill(pid, SIGHUP);
        }
        close(pipeEnds[0]);   // the reader goes before the summary comes
        int status = 0;
        ASSERT_EQ(pid, waitpid(pid, &status, 0));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << "status " << status << ": " << Contents(dir + "/err.txt");
        Loaded loaded;
        EXPECT_TRUE(Load(out, &loaded));
    }
}

}  // namespace
