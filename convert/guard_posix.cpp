#include "convert/guard.h"

#include "convert/partial_file.h"
#include "convert/printable.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const rlim_t kMemoryLimit = (rlim_t)6 << 30;

// The signals that end the tool from the terminal or from another program.
const int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile sig_atomic_t g_child = 0;
volatile sig_atomic_t g_stopSignal = 0;
// Stop signals the tool was started with ignored (nohup ignores SIGHUP, a
// shell's background job SIGINT): whoever started it asked that they not
// end it, so neither the tool nor its conversion takes them.
bool g_ignored[sizeof kStopSignals / sizeof kStopSignals[0]];

// The child goes at once; the parent, woken from waitpid, tidies up.
void OnStopSignal(int signal)
{
    g_stopSignal = signal;
    if (g_child > 0)
        kill((pid_t)g_child, SIGKILL);
}

void SetStopHandlers(void (*handler)(int))
{
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < sizeof kStopSignals / sizeof kStopSignals[0]; ++i)
        if (!g_ignored[i])
            sigaction(kStopSignals[i], &action, nullptr);
}

void NoteIgnoredStopSignals()
{
    for (size_t i = 0; i < sizeof kStopSignals / sizeof kStopSignals[0]; ++i) {
        struct sigaction old;
        g_ignored[i] = sigaction(kStopSignals[i], nullptr, &old) == 0 && old.sa_handler == SIG_IGN;
    }
}

sigset_t StopSignalSet()
{
    sigset_t set;
    sigemptyset(&set);
    for (int s : kStopSignals)
        sigaddset(&set, s);
    return set;
}

[[noreturn]] void RunChild(const std::function<int()>& work, pid_t parent, unsigned timeLimitSeconds,
                           const sigset_t& previousMask)
{
    SetStopHandlers(SIG_DFL);
    // A reader that went away (`| head`) must not end the conversion: killed
    // by SIGPIPE after the output was written, it would be reported as a
    // crash of the import library. The summary is then lost, nothing else.
    signal(SIGPIPE, SIG_IGN);
    // The conversion must not outlive the tool: a killed tool's child that
    // went on would replace the output and report success to nobody.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        _exit(1);   // the parent went before the line above took effect
    sigprocmask(SIG_SETMASK, &previousMask, nullptr);
    alarm(timeLimitSeconds);   // the default action of SIGALRM ends the child
#if !defined(__SANITIZE_ADDRESS__)
    // A damaged file can make the library ask for any amount of memory
    // (one of its own test files, 16 GB); the format holds at most 2 GB.
    // The sanitizer's shadow memory needs an unlimited address space.
    const rlimit memory = {kMemoryLimit, kMemoryLimit};
    setrlimit(RLIMIT_AS, &memory);
#endif
    const int code = work();
    fflush(stdout);
    fflush(stderr);
    _exit(code);
}

}  // namespace

int RunGuarded(const std::function<int()>& work, const std::string& input, const std::string& partialOutput,
               unsigned timeLimitSeconds)
{
    const std::string shownInput = Printable(input);
    // Started with SIGCHLD ignored, the child would be reaped unseen and
    // waitpid could never report it.
    signal(SIGCHLD, SIG_DFL);
    fflush(stdout);
    fflush(stderr);

    // The stop signals wait until the child's number is known, so that the
    // handler always has it to kill.
    const sigset_t stops = StopSignalSet();
    sigset_t previousMask;
    sigprocmask(SIG_BLOCK, &stops, &previousMask);
    g_stopSignal = 0;
    NoteIgnoredStopSignals();
    SetStopHandlers(OnStopSignal);
    const pid_t parent = getpid();
    const pid_t child = fork();
    if (child == 0)
        RunChild(work, parent, timeLimitSeconds, previousMask);
    if (child < 0) {
        // No child to be had: run here, unguarded, stopped the usual way.
        SetStopHandlers(SIG_DFL);
        sigprocmask(SIG_SETMASK, &previousMask, nullptr);
        return work();
    }
    g_child = child;
    sigprocmask(SIG_SETMASK, &previousMask, nullptr);

    int status = 0;
    pid_t waited;
    while ((waited = waitpid(child, &status, 0)) < 0 && errno == EINTR) {
    }
    const int waitErrno = errno;
    g_child = 0;
    SetStopHandlers(SIG_DFL);

    if (waited == child && WIFEXITED(status) && g_stopSignal == 0)
        return WEXITSTATUS(status);
    if (waited == child && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        // Finished and written before the stop could end it.
        return 0;
    }
    RemovePartial(partialOutput);
    if (g_stopSignal != 0) {
        fprintf(stderr, "morvella-convert: %s: stopped (%s); no half-written file is left\n", shownInput.c_str(),
                strsignal(g_stopSignal));
        fflush(stderr);
        // End the way the signal ends a program, so that the shell or the
        // script that sent it sees it.
        const int stop = g_stopSignal;
        signal(stop, SIG_DFL);
        raise(stop);
        return 1;
    }
    if (waited != child) {
        fprintf(stderr, "morvella-convert: %s: the conversion's outcome cannot be known (%s); nothing was written\n",
                shownInput.c_str(), strerror(waitErrno));
        return 1;
    }
    const int signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    if (signal == SIGALRM)
        fprintf(stderr, "morvella-convert: %s: reading it took more than %u seconds; it is damaged or too large\n",
                shownInput.c_str(), timeLimitSeconds);
    else
        fprintf(stderr, "morvella-convert: %s: the model-import library crashed or ran out of memory reading it "
                "(signal %d); the file is damaged, too large, or uses a part of its format the library cannot read\n",
                shownInput.c_str(), signal);
    return 1;
}
