// The model-import library parses files of dozens of formats, and damaged
// files can crash or hang it, or make it ask for any amount of memory. The
// conversion therefore runs in a child process with a time and a memory
// limit: a crash or a time-out becomes one clear error line and exit 1, and
// the half-written output is removed. Where no child can be started, the
// conversion runs unguarded in the process itself.
#ifndef MORVELLA_CONVERT_GUARD_H
#define MORVELLA_CONVERT_GUARD_H

#include <functional>
#include <string>

// Runs work and returns its exit code, which must be 0, 1 or 2. If work
// dies instead, prints "morvella-convert: INPUT: ..." to stderr, removes
// partialOutput and returns 1.
// Windows has no fork: there the child is this program run once more with
// the same command line, in which the call runs work and returns its code
// for the program to exit with (there in a form that tells it from an end
// the child did not choose). Whatever the program does before the call it
// does twice, so it must do no more than read its arguments; any other end
// of the child counts as a crash.
int RunGuarded(const std::function<int()>& work, const std::string& input, const std::string& partialOutput,
               unsigned timeLimitSeconds);

#endif
