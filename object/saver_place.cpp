#include "object/saver_place.h"

const wchar_t kSaverFile[] = L"morvella.scr";
const wchar_t kObjectFile[] = L"morvella.dat";
const wchar_t kPreviousFile[] = L"morvella-previous.dat";
const wchar_t kNewObjectFile[] = L"morvella.dat.new";
const wchar_t kNewPreviousFile[] = L"morvella-previous.dat.new";

namespace {

wchar_t Lower(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? (wchar_t)(c - L'A' + L'a') : c;
}

bool SameLetters(const std::wstring& a, const std::wstring& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

std::wstring Trimmed(std::wstring folder)
{
    while (folder.size() > 1 && (folder.back() == L'\\' || folder.back() == L'/'))
        folder.pop_back();
    return folder;
}

// The path below its drive: "C:\Windows" gives "\Windows".
std::wstring BelowDrive(const std::wstring& path)
{
    if (path.size() >= 2 && path[1] == L':')
        return path.substr(2);
    return std::wstring();
}

}  // namespace

bool NamesMorvellaSaver(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return SameLetters(slash == std::wstring::npos ? path : path.substr(slash + 1), kSaverFile);
}

std::wstring FolderOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring JoinFolder(const std::wstring& folder, const std::wstring& name)
{
    const std::wstring base = Trimmed(folder);
    return base.empty() || base.back() == L'\\' ? base + name : base + L"\\" + name;
}

SaverPlace FindSaverPlace(const std::wstring& settingsSaver, const std::wstring& setupFolder,
                          const std::wstring& systemFolder,
                          const std::function<bool(const std::wstring& folder)>& hasSaver)
{
    const struct {
        SaverSource source;
        std::wstring folder;
    } candidates[] = {
        {SaverSource::Settings, NamesMorvellaSaver(settingsSaver) ? FolderOf(settingsSaver) : std::wstring()},
        {SaverSource::Setup, setupFolder},
        {SaverSource::System, systemFolder},
    };
    for (const auto& c : candidates) {
        const std::wstring folder = Trimmed(c.folder);
        if (!folder.empty() && hasSaver(folder))
            return SaverPlace{c.source, folder};
    }
    return SaverPlace();
}

std::vector<std::wstring> VirtualStoreFolders(const std::wstring& localAppData, const std::wstring& folder,
                                              const std::wstring& windowsFolder)
{
    std::vector<std::wstring> twins;
    const std::wstring below = BelowDrive(Trimmed(folder));
    if (localAppData.empty() || below.empty())
        return twins;
    const std::wstring store = JoinFolder(localAppData, L"VirtualStore");
    twins.push_back(store + below);
    const std::wstring windows = Trimmed(windowsFolder);
    const wchar_t* const systems[] = {L"System32", L"SysWOW64"};
    for (int i = 0; i < 2; ++i)
        if (SameLetters(Trimmed(folder), JoinFolder(windows, systems[i])))
            twins.push_back(store + BelowDrive(JoinFolder(windows, systems[1 - i])));
    return twins;
}
