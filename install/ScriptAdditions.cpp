#include "install/ScriptAdditions.h"

#include "install/ArchiverScript.h"
#include "install/InstallScript.h"
#include "system/ScopedHandle.h"

#include <windows.h>

#include <algorithm>

namespace {

std::string Joined(const std::string& folder, const std::string& name)
{
    return folder.empty() ? name : folder + "\\" + name;
}

bool IsFolder(const WIN32_FIND_DATAA& found) { return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

bool IsDots(const WIN32_FIND_DATAA& found)
{
    return std::string(found.cFileName) == "." || std::string(found.cFileName) == "..";
}

std::uint64_t SizeOf(const WIN32_FIND_DATAA& found)
{
    return static_cast<std::uint64_t>(found.nFileSizeHigh) << 32 | found.nFileSizeLow;
}

// Each entry of `folder` that `pattern` matches.
template <typename Visit>
void ForEachMatch(const std::string& folder, const std::string& pattern, Visit visit)
{
    WIN32_FIND_DATAA found;
    const FindHandle find(FindFirstFileA((folder + "\\" + pattern).c_str(), &found));
    for (bool more = static_cast<bool>(find); more; more = FindNextFileA(find.Get(), &found))
        if (!IsDots(found))
            visit(found);
}

void AddMatches(const std::string& folder, const std::string& pattern, const std::string& into, bool recurse,
                bool lossy, std::vector<AddedFile>& files)
{
    ForEachMatch(folder, pattern, [&](const WIN32_FIND_DATAA& found) {
        if (!IsFolder(found))
            files.push_back({Joined(into, found.cFileName), folder + "\\" + found.cFileName, SizeOf(found), lossy});
    });
    if (recurse)
        ForEachMatch(folder, "*", [&](const WIN32_FIND_DATAA& found) {
            if (IsFolder(found))
                AddMatches(folder + "\\" + found.cFileName, pattern, Joined(into, found.cFileName), true, lossy, files);
        });
}

void Add(const ScriptCommand& command, const std::string& modFolder, ScriptAdditions& additions)
{
    std::vector<std::string> names;
    bool recurse = false;
    bool lossy = false;
    for (std::size_t i = 1; i < command.words.size(); ++i) {
        const std::string& word = command.words[i];
        if (word.rfind('/', 0) != 0)
            names.push_back(word);
        recurse = recurse || lstrcmpiA(word.c_str(), "/r") == 0;
        lossy = lossy || lstrcmpiA(word.c_str(), "/wav") == 0;
    }
    if (names.empty())
        return;
    std::string source = names[0];
    std::replace(source.begin(), source.end(), '/', '\\');
    const std::size_t found = additions.files.size();
    if (source.find_first_of("*?") == std::string::npos) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        const std::string path = ResolvedIn(modFolder, source);
        if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) &&
            !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            additions.files.push_back({names.size() > 1 ? names[1] : names[0], path,
                                       static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow,
                                       lossy});
    } else {
        const std::size_t slash = source.rfind('\\');
        const std::string folder = slash == std::string::npos ? "" : source.substr(0, slash);
        const std::string pattern = slash == std::string::npos ? source : source.substr(slash + 1);
        AddMatches(ResolvedIn(modFolder, folder), pattern, names.size() > 1 ? names[1] : folder, recurse, lossy,
                   additions.files);
    }
    if (additions.files.size() == found)
        additions.missing.push_back(names[0]);
}

}  // namespace

std::string ResolvedIn(const std::string& modFolder, const std::string& name)
{
    if (name.rfind("\\\\", 0) == 0 || (name.size() > 1 && name[1] == ':'))
        return name;
    if (!name.empty() && (name[0] == '\\' || name[0] == '/'))
        return modFolder.substr(0, 2) + name;
    return name.empty() ? modFolder : modFolder + "\\" + name;
}

ScriptAdditions WhatTheScriptAdds(const std::string& script, const std::string& modFolder)
{
    ScriptAdditions additions;
    bool gamesArchiveOpen = false;
    for (const ScriptCommand& command : ScriptCommands(script)) {
        const char letter = CommandLetter(command);
        if (letter == 'o')
            gamesArchiveOpen = command.words.size() > 1 && command.words[1] == kArchiveName;
        else if (letter == 'a' && gamesArchiveOpen)
            Add(command, modFolder, additions);
    }
    return additions;
}
