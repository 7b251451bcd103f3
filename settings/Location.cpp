#include "settings/Location.h"

#include "settings/Registry.h"

#include <windows.h>

#include <optional>

// The classic per-user store for application "Vornikel", section "Settings": other installers of
// this family read and write the same values.
const char* const kSettingsKey = "Software\\VB and VBA Program Settings\\Vornikel\\Settings";

namespace {
const char* const kPathValue = "D2 Path";
const char* const kDriveValue = "D2 Drive";
const char* const kGameKey = "Software\\Blizzard Entertainment\\Diablo II";
}  // namespace

GameLocation LoadLocation()
{
    GameLocation location;
    location.path = ReadRegistryString(HKEY_CURRENT_USER, kSettingsKey, kPathValue).value_or("");
    location.drive = ReadRegistryString(HKEY_CURRENT_USER, kSettingsKey, kDriveValue).value_or("");
    return location;
}

void SaveLocation(const std::string& path, const std::string& drive)
{
    WriteUserRegistryString(kSettingsKey, kPathValue, path);
    WriteUserRegistryString(kSettingsKey, kDriveValue, drive);
}

std::vector<std::string> RecordedGameFolders()
{
    // The game is a 32-bit program: its machine-wide value lives in the 32-bit registry view.
    const std::optional<std::string> recorded[] = {
        ReadRegistryString(HKEY_CURRENT_USER, kGameKey, "InstallPath"),
        ReadRegistryString(HKEY_LOCAL_MACHINE, kGameKey, "InstallPath", KEY_WOW64_32KEY),
    };
    std::vector<std::string> folders;
    for (const auto& folder : recorded) {
        if (folder && !folder->empty())
            folders.push_back(*folder);
    }
    return folders;
}
