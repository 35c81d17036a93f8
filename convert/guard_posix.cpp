#include "convert/guard.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const rlim_t kMemoryLimit = (rlim_t)6 << 30;

}  // namespace

int RunGuarded(const std::function<int()>& work, const std::string& input, const std::string& partialOutput,
               unsigned timeLimitSeconds)
{
    fflush(stdout);
    fflush(stderr);
    const pid_t child = fork();
    if (child < 0)
        return work();   // no child to be had: run here, unguarded
    if (child == 0) {
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
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
    }
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    remove(partialOutput.c_str());
    const int signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    if (signal == SIGALRM)
        fprintf(stderr, "morvella-convert: %s: reading it took more than %u seconds; it is damaged or too large\n",
                input.c_str(), timeLimitSeconds);
    else
        fprintf(stderr, "morvella-convert: %s: the model-import library crashed or ran out of memory reading it "
                "(signal %d); the file is damaged, too large, or uses a part of its format the library cannot read\n",
                input.c_str(), signal);
    return 1;
}
