// Where the object window looks for the installed saver, and where Windows
// keeps the copies that would hide its object from the user.
#include <gtest/gtest.h>

#include "object/saver_place.h"

#include <set>
#include <string>
#include <vector>

namespace {

std::string Narrow(const std::wstring& wide)
{
    return std::string(wide.begin(), wide.end());
}

}  // namespace

// The user's settings first (when they name a Morvella), then setup's
// record, then the system folder; each only where a morvella.scr lies.
TEST(SaverPlace, SettingsThenSetupThenSystemFolderWhereverASaverLies)
{
    const std::wstring system = L"C:\\Windows\\SysWOW64", setup = L"C:\\Windows\\SysWOW64\\";
    const struct {
        const char* name;
        std::wstring settings, setup;
        std::set<std::wstring> withSaver;
        SaverSource source;
        std::wstring folder;
    } cases[] = {
        {"settings name Morvella in a folder of the user's", L"D:\\My Savers\\Morvella.SCR", setup,
         {L"D:\\My Savers", system}, SaverSource::Settings, L"D:\\My Savers"},
        {"settings name another saver", L"C:\\Windows\\System32\\Ribbons.scr", setup, {system}, SaverSource::Setup,
         system},
        {"settings name a Morvella that is gone", L"E:\\gone\\morvella.scr", setup, {system}, SaverSource::Setup,
         system},
        {"a short name the long form could not be found for", L"C:\\WINDOWS\\SYSTEM32\\MORVEL~1.SCR", L"", {system},
         SaverSource::System, system},
        {"setup's folder holds no saver any more", L"", L"C:\\Old", {system}, SaverSource::System, system},
        {"no saver anywhere", L"C:\\x\\morvella.scr", setup, {}, SaverSource::None, L""},
        {"a bare name in the settings", L"morvella.scr", L"", {L"", system}, SaverSource::System, system},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::wstring> asked;
        const SaverPlace place = FindSaverPlace(c.settings, c.setup, system, [&](const std::wstring& folder) {
            asked.push_back(folder);
            return c.withSaver.count(folder) > 0;
        });
        EXPECT_EQ((int)c.source, (int)place.source);
        EXPECT_EQ(Narrow(c.folder), Narrow(place.folder));
        for (const std::wstring& folder : asked)
            EXPECT_FALSE(folder.empty()) << "an empty folder was looked in";
    }
}

// A program without a manifest that wrote morvella.dat beside the saver
// without the right to put it below the user's VirtualStore; for the two
// system folders of 64-bit Windows both twins may hold one.
TEST(SaverPlace, VirtualStoreTwinsOfTheSaverFolder)
{
    const std::wstring local = L"C:\\Users\\Taro\\AppData\\Local", windows = L"C:\\Windows";
    const std::wstring store = local + L"\\VirtualStore";
    const struct {
        std::wstring folder;
        std::vector<std::wstring> twins;
    } cases[] = {
        {L"C:\\Windows\\SysWOW64", {store + L"\\Windows\\SysWOW64", store + L"\\Windows\\System32"}},
        {L"c:\\windows\\system32\\", {store + L"\\windows\\system32", store + L"\\Windows\\SysWOW64"}},
        {L"C:\\Program Files (x86)\\Morvella", {store + L"\\Program Files (x86)\\Morvella"}},
        {L"D:\\Savers", {store + L"\\Savers"}},
        {L"\\\\server\\share\\savers", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.folder));
        const std::vector<std::wstring> twins = VirtualStoreFolders(local, c.folder, windows);
        ASSERT_EQ(c.twins.size(), twins.size());
        for (size_t i = 0; i < twins.size(); ++i)
            EXPECT_EQ(Narrow(c.twins[i]), Narrow(twins[i]));
    }
    EXPECT_TRUE(VirtualStoreFolders(L"", L"C:\\Windows\\SysWOW64", windows).empty()) << "before Vista: no store";
}
