#pragma once
// Where the game is: remembered per user between runs of any installer of this family, under
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\Vornikel\Settings, and where the game
// itself records its folder when nothing is remembered yet.
#include <string>
#include <vector>

struct GameLocation {
    std::string path;   // "D2 Path": the directory list's current path
    std::string drive;  // "D2 Drive": the drive list's text for its drive, such as "c: [GAMES]"
};

extern const char* const kSettingsKey;

// Each value is empty when it is not stored.
GameLocation LoadLocation();

// Throws Win32Error when a value can't be written.
void SaveLocation(const std::string& path, const std::string& drive);

// The folders that the game's own InstallPath values name, per user first, then machine-wide.
std::vector<std::string> RecordedGameFolders();
