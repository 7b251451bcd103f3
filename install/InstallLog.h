#pragma once
// Install.log in the mod's folder: for each command, what the player was told, and what whoever
// helps the player needs beside it (when, by which Install.exe, the command, the game folder and
// the game's version, the archiver's command line and exit code, what became of the archive, a
// failure's whole report). The window leaves nothing else behind, so it is the file a player sends
// when asking for help. It is kept small: past 1 MiB its older half goes at the next write that finds
// no one else holding it. A folder that can't be written gets no log, and no one is told: the log
// never stands in an install's way, and never waits.
#include <string>

// The local date and time, "2024-05-01 14:03:22".
std::string LocalTimeText();

class InstallLog {
public:
    explicit InstallLog(std::string path) : path_(std::move(path)) {}

    // A command begins: its heading, dated.
    void Begin(const std::string& heading);
    // A line of the command, timed; the lines of a text of several go on indented. ANSI or wide.
    void Line(const std::string& text);
    void Line(const std::wstring& text);
    // Appends the lines gathered since the last write (those it couldn't at an earlier one too).
    void Write();

private:
    std::string path_;
    std::string pending_;  // UTF-8, as the command line's /LOG writes
};
