// Where the installed saver lies, as Windows finds it, and the names of the
// files the object window keeps beside it. Portable: the Windows side reads
// the registry and the disk and hands the answers in.
#ifndef MORVELLA_OBJECT_SAVER_PLACE_H
#define MORVELLA_OBJECT_SAVER_PLACE_H

#include <functional>
#include <string>
#include <vector>

// The files beside the saver: the object it shows, the object that one
// replaced, and the names they have while a step writes them.
extern const wchar_t kSaverFile[];        // morvella.scr
extern const wchar_t kObjectFile[];       // morvella.dat
extern const wchar_t kPreviousFile[];     // morvella-previous.dat
extern const wchar_t kNewObjectFile[];    // morvella.dat.new
extern const wchar_t kNewPreviousFile[];  // morvella-previous.dat.new

enum class SaverSource { None, Settings, Setup, System };

struct SaverPlace {
    SaverSource source = SaverSource::None;
    std::wstring folder;   // without a final backslash
};

// Where Windows starts the saver from, in this order:
//  - the folder of the screen saver named in the user's settings, when that
//    is a morvella.scr (an administrator's own settings may name another);
//  - the folder setup recorded when it installed the saver;
//  - the system folder where 32-bit savers are listed.
// Each counts only when hasSaver says a morvella.scr lies in it.
SaverPlace FindSaverPlace(const std::wstring& settingsSaver, const std::wstring& setupFolder,
                          const std::wstring& systemFolder,
                          const std::function<bool(const std::wstring& folder)>& hasSaver);

// Whether the path's file name is morvella.scr, in any case.
bool NamesMorvellaSaver(const std::wstring& path);

// The path up to its last backslash (not included); "" when it has none.
std::wstring FolderOf(const std::wstring& path);

// folder + "\" + name, with exactly one backslash between them.
std::wstring JoinFolder(const std::wstring& folder, const std::wstring& name);

// Where Windows Vista and later keep a file that a program without a
// manifest wrote into `folder` without the right to: the same path below
// localAppData\VirtualStore. The two system folders of 64-bit Windows both
// lead there (a program asking for System32 is sent to SysWOW64 first), so
// for either of them, both twins.
std::vector<std::wstring> VirtualStoreFolders(const std::wstring& localAppData, const std::wstring& folder,
                                              const std::wstring& windowsFolder);

#endif
