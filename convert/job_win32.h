// The limits a conversion runs under on Windows, in a process of its own:
// the import library reads files from strangers, and a damaged one may make
// it ask for any amount of memory or crash.
#ifndef MORVELLA_CONVERT_JOB_WIN32_H
#define MORVELLA_CONVERT_JOB_WIN32_H

#include <windows.h>

// Puts the suspended process into a job that limits its memory, ends it on
// an unhandled exception (without an error-report dialog) and kills it when
// the job's last handle closes, with this process at the latest. Returns the
// job, or NULL where Windows has no jobs or will not put the process in one
// (an older Windows refuses when this process is already in a job); the
// process then runs without.
HANDLE PutInLimitedJob(HANDLE process);

#endif
