#include <windows.h>

#include "saver/settings_store.h"
#include "resources/resource.h"
#include "settings/settings_table.h"

void LoadSettingsFileNames(SettingsFileNames& names)
{
    // The saver file is the process's own module, the one the process entry
    // also records for the framework: asked of Windows here, so that the
    // store needs nothing of the framework above it.
    HINSTANCE saver = GetModuleHandleA(NULL);
    LoadStringA(saver, IDS_INI_SECTION, names.section, sizeof names.section);
    LoadStringA(saver, IDS_INI_FILE_NAME, names.file, sizeof names.file);
}

int LoadSettings(SaverSettings& settings)
{
    // A bare file name: the profile functions keep it in the Windows
    // directory, shared by every copy of the saver and by its dialog.
    SettingsFileNames names;
    LoadSettingsFileNames(names);
    for (const SettingRow& s : kSettings) {
        if (s.type == SettingText)
            GetPrivateProfileStringA(names.section, s.key, kDefaultBitmap, settings.Bitmap,
                                     sizeof settings.Bitmap, names.file);
        else
            settings.*s.field = GetPrivateProfileIntA(names.section, s.key, s.fallback, names.file);
    }
    return 1;
}
