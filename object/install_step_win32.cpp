#include "object/install_step_win32.h"

#include "object/model_check.h"
#include "object/saver_files_win32.h"

#include <vector>

namespace {

// No object of the saver comes near this; a file that claims more is no
// object of its.
const LONGLONG kMostBytes = (LONGLONG)1 << 30;

// Reads a file on a disk. The elevated second run is told its file by the
// user's own run: a name that leads to a named pipe of that user's must
// neither hand the pipe's server the administrator's rights (a pipe's
// client lets its server act as itself unless it opens it anonymously) nor
// be read as an object.
bool ReadWhole(const std::wstring& path, std::vector<unsigned char>* bytes, DWORD* error)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL | SECURITY_SQOS_PRESENT | SECURITY_ANONYMOUS, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        *error = GetLastError();
        return false;
    }
    if (GetFileType(file) != FILE_TYPE_DISK) {
        *error = ERROR_INVALID_PARAMETER;
        CloseHandle(file);
        return false;
    }
    LARGE_INTEGER size = {};
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart <= kMostBytes;
    if (ok) {
        bytes->assign((size_t)size.QuadPart, 0);
        DWORD read = 0;
        ok = bytes->empty() || (ReadFile(file, bytes->data(), (DWORD)bytes->size(), &read, NULL) &&
                                read == bytes->size());
    }
    if (!ok)
        *error = GetLastError();
    CloseHandle(file);
    return ok;
}

bool Accessible(DWORD error)
{
    return error != ERROR_ACCESS_DENIED && error != ERROR_PRIVILEGE_NOT_HELD;
}

// What a write that failed with `error` tells the user.
StepResult WriteFailure(DWORD error)
{
    return Accessible(error) ? StepWriteFailed : StepAccessDenied;
}

// A copy that is the step's own file. CopyFile hands on the source's
// attributes, and Windows neither deletes nor renames anything onto a
// read-only file: a copy of a read-only morvella.dat would stay behind
// when the step fails, and a read-only morvella.dat made by "Put back"
// would refuse every later step. So the copy is never read-only.
bool CopyAsOwn(const std::wstring& from, const std::wstring& to, DWORD* error)
{
    if (!CopyFileW(from.c_str(), to.c_str(), FALSE)) {
        *error = GetLastError();
        return false;
    }
    const DWORD attributes = GetFileAttributesW(to.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
        !SetFileAttributesW(to.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
        *error = GetLastError();
        return false;
    }
    return true;
}

// The checked bytes written to a new file of their own.
bool WriteWhole(const std::wstring& path, const std::vector<unsigned char>& bytes, DWORD* error)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        *error = GetLastError();
        return false;
    }
    DWORD written = 0;
    const bool ok = bytes.empty() || (WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL) &&
                                      written == bytes.size());
    if (!ok)
        *error = GetLastError();
    CloseHandle(file);
    return ok;
}

// The object checked already written to morvella.dat.new beside the saver,
// read back and found to be the same bytes, which the saver takes. `from`:
// the kept object beside the saver, copied with its times (setup knows its
// own file by them); none: the bytes themselves, so that the user's file
// is not opened again once checked.
StepResult WriteNew(const std::wstring& folder, const std::wstring& from, const std::vector<unsigned char>& bytes,
                    DWORD* error)
{
    const std::wstring neu = JoinFolder(folder, kNewObjectFile);
    if (from.empty() ? !WriteWhole(neu, bytes, error) : !CopyAsOwn(from, neu, error)) {
        DeleteFileW(neu.c_str());
        return WriteFailure(*error);
    }
    std::vector<unsigned char> written;
    if (!ReadWhole(neu, &written, error) || written != bytes ||
        !SaverTakesModel(written.data(), written.size())) {
        DeleteFileW(neu.c_str());
        return StepWriteFailed;
    }
    return StepDone;
}

// morvella.dat.new takes morvella.dat's place; the file it replaces, if
// any, becomes the kept previous object. `dropPrevious`: with no
// morvella.dat to keep, the kept file is gone once it has become morvella.dat.
StepResult Replace(const std::wstring& folder, bool dropPrevious, DWORD* error)
{
    const std::wstring current = JoinFolder(folder, kObjectFile), neu = JoinFolder(folder, kNewObjectFile);
    const std::wstring previous = JoinFolder(folder, kPreviousFile), newPrevious = JoinFolder(folder, kNewPreviousFile);
    const bool keep = GetFileAttributesW(current.c_str()) != INVALID_FILE_ATTRIBUTES;
    // A copy, not a rename: morvella.dat stays in place until the new
    // object replaces it in one step.
    if (keep && !CopyAsOwn(current, newPrevious, error)) {
        DeleteFileW(newPrevious.c_str());
        DeleteFileW(neu.c_str());
        return WriteFailure(*error);
    }
    if (!MoveFileExW(neu.c_str(), current.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        *error = GetLastError();
        DeleteFileW(newPrevious.c_str());
        DeleteFileW(neu.c_str());
        return WriteFailure(*error);
    }
    if (keep && !MoveFileExW(newPrevious.c_str(), previous.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        *error = GetLastError();
        // The replaced object goes back to its place: nothing has changed.
        MoveFileExW(newPrevious.c_str(), current.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        return WriteFailure(*error);
    }
    if (!keep && dropPrevious)
        DeleteFileW(previous.c_str());
    return StepDone;
}

StepResult Install(const std::wstring& folder, const std::wstring& file, DWORD* error)
{
    std::vector<unsigned char> bytes, shown;
    if (!ReadWhole(file, &bytes, error) || !SaverTakesModel(bytes.data(), bytes.size()))
        return StepRefused;
    DWORD ignored = 0;
    // The same object again: the kept one must not become a second copy of it.
    if (ReadWhole(JoinFolder(folder, kObjectFile), &shown, &ignored) && shown == bytes)
        return StepSame;
    const StepResult written = WriteNew(folder, std::wstring(), bytes, error);
    return written != StepDone ? written : Replace(folder, false, error);
}

StepResult PutBack(const std::wstring& folder, DWORD* error)
{
    const std::wstring previous = JoinFolder(folder, kPreviousFile);
    std::vector<unsigned char> bytes;
    if (GetFileAttributesW(previous.c_str()) == INVALID_FILE_ATTRIBUTES)
        return StepNoPrevious;
    if (!ReadWhole(previous, &bytes, error))
        return WriteFailure(*error);
    // A kept file damaged since is never shown.
    if (!SaverTakesModel(bytes.data(), bytes.size()))
        return StepRefused;
    const StepResult written = WriteNew(folder, previous, bytes, error);
    return written != StepDone ? written : Replace(folder, true, error);
}

}  // namespace

StepResult RunStep(Step step, const std::wstring& folder, const std::wstring& file, DWORD* error)
{
    *error = 0;
    bool realView = false;
    if (!SaverInFolder(folder, &realView))
        return StepNoSaver;
    // The object to install comes from the user's temporary folder, which
    // the view leaves as it is.
    FolderView view(realView);
    return step == Step::Install ? Install(folder, file, error) : PutBack(folder, error);
}
