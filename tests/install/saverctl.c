/* Starts a screen saver the way Windows does and reports what the install
 * tests need to see. Built for 32-bit and for 64-bit Windows: on 64-bit
 * Windows the saver is started by 64-bit Windows components, so the 64-bit
 * build reads the saver path the way they do.
 *
 *   saverctl run /s [PATH]   start `"PATH" /s` (default PATH: the user's
 *                            SCRNSAVE.EXE value) and wait until it ends
 *   saverctl run /c [PATH]   start `"PATH" /c`, wait for its settings dialog,
 *                            print the entries of its bitmap list (one a
 *                            line), cancel the dialog and wait for the end
 *   saverctl dialog          the same for a settings dialog that another
 *                            process opened
 *   saverctl uninstall [ARG...]
 *                            run Morvella's QuietUninstallString (as Apps /
 *                            Add or Remove Programs finds it) with ARGs
 *                            added (before its "_?=" folder), and wait until
 *                            it and every process it started have ended, so
 *                            that an uninstaller that hands its work to a
 *                            copy of itself is waited for as well
 *   saverctl quiet-uninstall [ARG...]
 *                            the same, waiting for the uninstaller's own
 *                            process only (as a script would), and print its
 *                            exit code
 *
 * Exit status: 0 when everything went as described, 1 otherwise (with the
 * reason on stderr). Every wait is bounded. */
#include <windows.h>
#include <stdio.h>
#include <string.h>

#define BITMAP_LIST_ID 1008          /* the dialog's bitmap drop-down */
#define DIALOG_WAIT_MS 30000
#define SAVER_WAIT_MS 60000
static const wchar_t kDialogTitle[] = L"\x8a2d\x5b9a";   /* 設定 */

struct Search { DWORD pid; HWND found; };

static BOOL CALLBACK FindDialog(HWND window, LPARAM param)
{
    struct Search* search = (struct Search*)param;
    wchar_t title[16], cls[16];
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (search->pid && pid != search->pid) return TRUE;
    if (!GetClassNameW(window, cls, 16) || wcscmp(cls, L"#32770")) return TRUE;
    if (!GetWindowTextW(window, title, 16) || wcscmp(title, kDialogTitle)) return TRUE;
    search->found = window;
    return FALSE;
}

static HWND WaitForDialog(DWORD pid, HANDLE process)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < DIALOG_WAIT_MS) {
        struct Search search = { pid, NULL };
        EnumWindows(FindDialog, (LPARAM)&search);
        if (search.found && IsWindowVisible(search.found)) return search.found;
        if (process && WaitForSingleObject(process, 0) == WAIT_OBJECT_0) {
            fprintf(stderr, "saverctl: the saver ended without showing its settings dialog\n");
            return NULL;
        }
        Sleep(100);
    }
    fprintf(stderr, "saverctl: no settings dialog within %d s\n", DIALOG_WAIT_MS / 1000);
    return NULL;
}

/* A message to the dialog's thread, bounded in time. Not SMTO_ABORTIFHUNG:
 * a saver that started slowly on a busy machine may count as hung for the
 * moment between showing its dialog and reading its first message. */
static int Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result)
{
    if (SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 10000, result))
        return 1;
    fprintf(stderr, "saverctl: message %#x to the dialog failed (error %lu)\n", message, GetLastError());
    return 0;
}

/* Drops the bitmap list down as a user would (the dialog fills it then),
 * prints its entries as UTF-8 and cancels the dialog. */
static int ReportDialog(HWND dialog)
{
    HWND list = GetDlgItem(dialog, BITMAP_LIST_ID);
    DWORD_PTR count = 0, ignored;
    if (!list || !Ask(list, CB_SHOWDROPDOWN, TRUE, 0, &ignored) ||
        !Ask(list, CB_GETCOUNT, 0, 0, &count) || (LRESULT)count == CB_ERR) {
        fprintf(stderr, "saverctl: the dialog has no readable bitmap list\n");
        return 1;
    }
    int status = 0;
    for (DWORD_PTR i = 0; i < count; ++i) {
        wchar_t text[MAX_PATH + 1];
        char utf8[4 * MAX_PATH + 4];
        DWORD_PTR length = 0;
        if (!Ask(list, CB_GETLBTEXTLEN, i, 0, &length) || length > MAX_PATH ||
            !Ask(list, CB_GETLBTEXT, i, (LPARAM)text, &length)) {
            status = 1;
            continue;
        }
        text[length <= MAX_PATH ? length : MAX_PATH] = 0;
        WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, NULL, NULL);
        printf("%s\n", utf8);
    }
    fflush(stdout);
    Ask(list, CB_SHOWDROPDOWN, FALSE, 0, &ignored);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return status;
}

/* The saver path Windows would start: the SCRNSAVE.EXE value of the user's
 * desktop settings, read as the running program's bitness reads it. */
static int ReadSaverPath(wchar_t* path, DWORD size)
{
    HKEY key;
    DWORD type = 0, bytes = size * sizeof(wchar_t);
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_QUERY_VALUE, &key)) {
        fprintf(stderr, "saverctl: no Control Panel\\Desktop key\n");
        return 0;
    }
    LONG status = RegQueryValueExW(key, L"SCRNSAVE.EXE", NULL, &type, (BYTE*)path, &bytes);
    RegCloseKey(key);
    if (status || (type != REG_SZ && type != REG_EXPAND_SZ) || bytes < 2 * sizeof(wchar_t)) {
        fprintf(stderr, "saverctl: no SCRNSAVE.EXE value\n");
        return 0;
    }
    path[bytes / sizeof(wchar_t) < size ? bytes / sizeof(wchar_t) : size - 1] = 0;
    return 1;
}

static int Run(const wchar_t* argument, const wchar_t* givenPath)
{
    wchar_t path[MAX_PATH + 1], commandLine[2 * MAX_PATH];
    if (givenPath) {
        lstrcpynW(path, givenPath, MAX_PATH + 1);
    } else if (!ReadSaverPath(path, MAX_PATH + 1)) {
        return 1;
    }
    wsprintfW(commandLine, L"\"%s\" %s", path, argument);

    STARTUPINFOW startup;
    PROCESS_INFORMATION process;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    if (!CreateProcessW(NULL, commandLine, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        fprintf(stderr, "saverctl: cannot start %ls (error %lu)\n", commandLine, GetLastError());
        return 1;
    }
    CloseHandle(process.hThread);

    int status = 0;
    if (!lstrcmpiW(argument, L"/c")) {
        HWND dialog = WaitForDialog(process.dwProcessId, process.hProcess);
        status = dialog ? ReportDialog(dialog) : 1;
    }
    if (WaitForSingleObject(process.hProcess, SAVER_WAIT_MS) != WAIT_OBJECT_0) {
        fprintf(stderr, "saverctl: the saver did not end within %d s\n", SAVER_WAIT_MS / 1000);
        TerminateProcess(process.hProcess, 1);
        status = 1;
    }
    CloseHandle(process.hProcess);
    return status;
}

static int Uninstall(int argc, wchar_t** argv, int follow)
{
    /* A 32-bit setup program registers in the 32-bit view of the registry;
     * Apps lists both views. */
    static const REGSAM views[] = { KEY_WOW64_32KEY, KEY_WOW64_64KEY };
    wchar_t commandLine[4 * MAX_PATH];
    DWORD bytes = 0;
    LONG status = ERROR_FILE_NOT_FOUND;
    for (int i = 0; i < 2 && status; ++i) {
        HKEY key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                          L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Morvella", 0,
                          KEY_QUERY_VALUE | views[i], &key))
            continue;
        bytes = sizeof commandLine - sizeof(wchar_t);
        DWORD type = 0;
        status = RegQueryValueExW(key, L"QuietUninstallString", NULL, &type, (BYTE*)commandLine, &bytes);
        if (!status && type != REG_SZ) status = ERROR_INVALID_DATA;
        RegCloseKey(key);
    }
    if (status) {
        fprintf(stderr, "saverctl: no QuietUninstallString for Morvella\n");
        return 1;
    }
    commandLine[bytes / sizeof(wchar_t)] = 0;
    /* The uninstaller takes everything after "_?=" as its folder, so the
     * added ARGs go in front of it. */
    wchar_t folder[4 * MAX_PATH] = L"";
    wchar_t* rest = wcsstr(commandLine, L" _?=");
    if (rest) {
        lstrcpynW(folder, rest, sizeof folder / sizeof(wchar_t));
        *rest = 0;
    }
    for (int i = 2; i < argc; ++i) {
        if (lstrlenW(commandLine) + lstrlenW(argv[i]) + lstrlenW(folder) + 2 >=
            (int)(sizeof commandLine / sizeof(wchar_t)))
            return 1;
        lstrcatW(commandLine, L" ");
        lstrcatW(commandLine, argv[i]);
    }
    lstrcatW(commandLine, folder);

    STARTUPINFOW startup;
    PROCESS_INFORMATION process;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    if (!follow) {
        DWORD code = 0;
        if (!CreateProcessW(NULL, commandLine, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
            fprintf(stderr, "saverctl: cannot start %ls (error %lu)\n", commandLine, GetLastError());
            return 1;
        }
        CloseHandle(process.hThread);
        int ended = WaitForSingleObject(process.hProcess, SAVER_WAIT_MS) == WAIT_OBJECT_0;
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hProcess);
        if (!ended) {
            fprintf(stderr, "saverctl: the uninstaller did not end within %d s\n", SAVER_WAIT_MS / 1000);
            return 1;
        }
        printf("%lu\n", code);
        return 0;
    }

    HANDLE job = CreateJobObjectW(NULL, NULL);
    if (!job || !CreateProcessW(NULL, commandLine, NULL, NULL, FALSE, CREATE_SUSPENDED, NULL, NULL,
                                &startup, &process)) {
        fprintf(stderr, "saverctl: cannot start %ls (error %lu)\n", commandLine, GetLastError());
        return 1;
    }
    if (!AssignProcessToJobObject(job, process.hProcess)) {
        fprintf(stderr, "saverctl: cannot follow the uninstaller (error %lu)\n", GetLastError());
        TerminateProcess(process.hProcess, 1);
        return 1;
    }
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    DWORD start = GetTickCount();
    for (;;) {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info;
        if (!QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &info, sizeof info, NULL)) {
            fprintf(stderr, "saverctl: cannot follow the uninstaller (error %lu)\n", GetLastError());
            return 1;
        }
        if (info.ActiveProcesses == 0) return 0;
        if (GetTickCount() - start > SAVER_WAIT_MS) {
            fprintf(stderr, "saverctl: the uninstaller did not end within %d s\n", SAVER_WAIT_MS / 1000);
            TerminateJobObject(job, 1);
            return 1;
        }
        Sleep(100);
    }
}

int wmain(int argc, wchar_t** argv)
{
    if (argc >= 3 && argc <= 4 && !wcscmp(argv[1], L"run"))
        return Run(argv[2], argc == 4 ? argv[3] : NULL);
    if (argc == 2 && !wcscmp(argv[1], L"dialog")) {
        HWND dialog = WaitForDialog(0, NULL);
        return dialog ? ReportDialog(dialog) : 1;
    }
    if (argc >= 2 && !wcscmp(argv[1], L"uninstall"))
        return Uninstall(argc, argv, 1);
    if (argc >= 2 && !wcscmp(argv[1], L"quiet-uninstall"))
        return Uninstall(argc, argv, 0);
    fprintf(stderr, "usage: saverctl run /s|/c [PATH] | saverctl dialog | saverctl [quiet-]uninstall [ARG...]\n");
    return 2;
}
