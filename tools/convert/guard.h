// The model-import library parses files of dozens of formats, and damaged
// files can crash or hang it, or make it ask for any amount of memory. The
// conversion therefore runs in a child process where the platform allows,
// with a time and a memory limit: a crash or a time-out becomes one clear
// error line and exit 1, and the half-written output is removed.
#ifndef MORVELLA_TOOLS_CONVERT_GUARD_H
#define MORVELLA_TOOLS_CONVERT_GUARD_H

#include <functional>
#include <string>

// Runs work and returns its exit code. If work dies instead, prints
// "morvella-convert: INPUT: ..." to stderr, removes partialOutput and
// returns 1.
int RunGuarded(const std::function<int()>& work, const std::string& input, const std::string& partialOutput,
               unsigned timeLimitSeconds);

#endif
