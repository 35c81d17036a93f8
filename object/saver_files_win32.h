// The installed saver and the files beside it, as this program reaches them
// on every Windows: the folder Windows starts the saver from, the file-system
// redirection of 64-bit Windows, the copies Windows Vista and later keep in
// the user's VirtualStore, and the saver started full screen.
#ifndef MORVELLA_OBJECT_SAVER_FILES_WIN32_H
#define MORVELLA_OBJECT_SAVER_FILES_WIN32_H

#include "object/saver_place.h"

#include <windows.h>

#include <string>
#include <vector>

struct InstalledSaver {
    SaverPlace place;
    // On 64-bit Windows a 32-bit program that names the system folder is
    // sent to SysWOW64. As the saver itself decides (its file view), the
    // files beside a saver that is found with the redirection off are
    // reached with it off.
    bool realView = false;
};

// Where Windows starts morvella.scr from (see FindSaverPlace), or no place.
InstalledSaver FindInstalledSaver();

// Whether morvella.scr lies in folder, and in which view.
bool SaverInFolder(const std::wstring& folder, bool* realView);

// Turns the redirection off on this thread while it lives, when realView
// asks for it (and Windows redirects at all). Only file calls within:
// a library loaded meanwhile would come from the 64-bit folder.
class FolderView {
public:
    explicit FolderView(bool realView);
    ~FolderView();
    bool Off() const { return off_; }
    FolderView(const FolderView&) = delete;
    FolderView& operator=(const FolderView&) = delete;

private:
    bool off_ = false;
    void* previous_ = nullptr;
};

// Whether a file (not a folder) of that name lies in folder, in its view.
bool FileIn(const InstalledSaver& saver, const wchar_t* name);

// The morvella.dat copies in the user's VirtualStore that hide the one beside
// the saver from this user.
std::vector<std::wstring> HiddenCopies(const InstalledSaver& saver);

// Moves a hidden copy to the Recycle Bin (the user's own file: nothing lost).
bool RemoveHiddenCopy(const std::wstring& path);

// Starts the saver full screen, as Windows does when the wait is over.
bool StartSaverFullScreen(const InstalledSaver& saver, DWORD* error);

// Windows' own words for an error code (in the user's language), or the number.
std::wstring ErrorText(DWORD error);

#endif
