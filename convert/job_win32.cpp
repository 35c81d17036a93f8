#include "convert/job_win32.h"

namespace {

// Where Windows cannot tell its memory (before Windows 2000).
const SIZE_T kFallbackMemoryLimit = (SIZE_T)3 << 29;   // 1.5 GiB

typedef BOOL(WINAPI* GlobalMemoryStatusExFn)(LPMEMORYSTATUSEX);

// Committed memory a conversion may use: what Windows lets this program address
// (2 GB for a 32-bit program, or 3 to 4 GB as it is large address aware)
// but no more than the machine's memory, less an eighth for the system and
// the rest of its address space. A damaged file that asks for more
// fails at this limit, also in a 64-bit build, where nothing else would
// stop it before the page file is exhausted.
SIZE_T MemoryLimit()
{
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const GlobalMemoryStatusExFn status =
        kernel ? (GlobalMemoryStatusExFn)(void*)GetProcAddress(kernel, "GlobalMemoryStatusEx") : NULL;
    MEMORYSTATUSEX memory = {};
    memory.dwLength = sizeof memory;
    if (!status || !status(&memory) || memory.ullTotalVirtual == 0 || memory.ullTotalPhys == 0)
        return kFallbackMemoryLimit;
    DWORDLONG limit = memory.ullTotalVirtual < memory.ullTotalPhys ? memory.ullTotalVirtual : memory.ullTotalPhys;
    limit -= limit / 8;
    return limit < (DWORDLONG)(SIZE_T)-1 ? (SIZE_T)limit : (SIZE_T)-1;
}

typedef HANDLE(WINAPI* CreateJobObjectWFn)(LPSECURITY_ATTRIBUTES, LPCWSTR);
typedef BOOL(WINAPI* SetInformationJobObjectFn)(HANDLE, JOBOBJECTINFOCLASS, LPVOID, DWORD);
typedef BOOL(WINAPI* AssignProcessToJobObjectFn)(HANDLE, HANDLE);

}  // namespace

HANDLE PutInLimitedJob(HANDLE process)
{
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (!kernel)
        return NULL;
    const CreateJobObjectWFn create = (CreateJobObjectWFn)(void*)GetProcAddress(kernel, "CreateJobObjectW");
    const SetInformationJobObjectFn set =
        (SetInformationJobObjectFn)(void*)GetProcAddress(kernel, "SetInformationJobObject");
    const AssignProcessToJobObjectFn assign =
        (AssignProcessToJobObjectFn)(void*)GetProcAddress(kernel, "AssignProcessToJobObject");
    if (!create || !set || !assign)
        return NULL;
    HANDLE job = create(NULL, NULL);
    if (!job)
        return NULL;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_PROCESS_MEMORY | JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE |
                                              JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
    limits.ProcessMemoryLimit = MemoryLimit();
    if (!set(job, JobObjectExtendedLimitInformation, &limits, sizeof limits) || !assign(job, process)) {
        CloseHandle(job);
        return NULL;
    }
    return job;
}

