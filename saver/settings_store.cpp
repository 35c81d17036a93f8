#include <windows.h>

#include "saver/settings_store.h"
#include "framework/modes.h"
#include "resources/resource.h"

void LoadSettingsFileNames(SettingsFileNames& names)
{
    LoadStringA(ModuleInstance, IDS_INI_SECTION, names.section, sizeof names.section);
    LoadStringA(ModuleInstance, IDS_INI_FILE_NAME, names.file, sizeof names.file);
}

int LoadSettings(SaverSettings& s)
{
    // A bare file name: the profile functions keep it in the Windows
    // directory, shared by every copy of the saver and by its dialog.
    SettingsFileNames names;
    LoadSettingsFileNames(names);
    const char* section = names.section;
    const char* file = names.file;

    s.Speed = GetPrivateProfileIntA(section, "Speed", kDefaultSpeed, file);
    s.Red = GetPrivateProfileIntA(section, "Red", kDefaultColour, file);
    s.Green = GetPrivateProfileIntA(section, "Green", kDefaultColour, file);
    s.Blue = GetPrivateProfileIntA(section, "Blue", kDefaultColour, file);
    s.TexSize = GetPrivateProfileIntA(section, "TexSize", kDefaultTexSize, file);
    GetPrivateProfileStringA(section, "Bitmap", kDefaultBitmap, s.Bitmap, sizeof s.Bitmap, file);
    s.Smooth = GetPrivateProfileIntA(section, "Smooth", 0, file);
    s.RGBDevice = GetPrivateProfileIntA(section, "RGBDevice", 0, file);
    s.Display = GetPrivateProfileIntA(section, "Display", 0, file);
    s.Animation = GetPrivateProfileIntA(section, "Animation", 0, file);
    s.SpotLight = GetPrivateProfileIntA(section, "SpotLight", 0, file);
    s.LightRed = GetPrivateProfileIntA(section, "LightRed", kDefaultLight, file);
    s.LightGreen = GetPrivateProfileIntA(section, "LightGreen", kDefaultLight, file);
    s.LightBlue = GetPrivateProfileIntA(section, "LightBlue", kDefaultLight, file);
    return 1;
}
