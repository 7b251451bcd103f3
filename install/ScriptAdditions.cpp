#include "install/ScriptAdditions.h"

#include "install/ArchiverScript.h"
#include "install/InstallScript.h"
#include "system/CodePage.h"
#include "system/PathText.h"
#include "system/ScopedHandle.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string_view>
#include <unordered_map>

namespace {

struct Listed {
    std::string name;
    DWORD attributes = 0;
    std::uint64_t size = 0;

    bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};

std::string Joined(const std::string& folder, const std::string& name)
{
    return folder.empty() ? name : folder + "\\" + name;
}

// The entries of `folder` that `pattern` matches, but "." and "..", as Windows matches names: by its
// own rules for "*" and "?" ("*.*" is every name), and against their 8.3 aliases too.
std::vector<Listed> Matching(const std::string& folder, const std::string& pattern)
{
    std::vector<Listed> entries;
    WIN32_FIND_DATAA found;
    const FindHandle find(FindFirstFileExA((folder + "\\" + pattern).c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    for (bool more = static_cast<bool>(find); more; more = FindNextFileA(find.Get(), &found)) {
        const std::string name = found.cFileName;
        if (name != "." && name != "..")
            entries.push_back(
                {name, found.dwFileAttributes, std::uint64_t{found.nFileSizeHigh} << 32 | found.nFileSizeLow});
    }
    return entries;
}

// A name as the file system compares names: in its capitals, by Windows' own table for file
// names, whatever the player's language. Plain ASCII, as nearly every mod's names are, needs no table.
void FoldInto(std::string_view name, std::wstring& folded)
{
    if (std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        folded.resize(name.size());
        std::transform(name.begin(), name.end(), folded.begin(),
                       [](char c) { return static_cast<wchar_t>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c); });
        return;
    }
    folded = FromCodePage(std::string(name));
    const int length = static_cast<int>(folded.size());
    LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, folded.data(), length, folded.data(), length, nullptr,
                  nullptr, 0);
}

std::wstring Folded(std::string_view name)
{
    std::wstring folded;
    FoldInto(name, folded);
    return folded;
}

// The mod's folders, each listed once, when first needed.
class Listings {
public:
    const std::vector<Listed>& Of(const std::string& folder) { return ListingOf(folder).entries; }

    // The entry of `folder` named `name`; null when there is none. The folder's names are indexed
    // when a single file is first looked up in it: a pattern needs no index.
    const Listed* Find(std::string_view folder, std::string_view name)
    {
        Listing& listing = ListingOf(folder);
        if (listing.byName.empty()) {
            for (std::size_t i = 0; i < listing.entries.size(); ++i)
                listing.byName.emplace(Folded(listing.entries[i].name), i);
        }
        FoldInto(name, key_);
        const auto found = listing.byName.find(key_);
        return found == listing.byName.end() ? nullptr : &listing.entries[found->second];
    }

private:
    struct Listing {
        std::vector<Listed> entries;
        std::unordered_map<std::wstring, std::size_t> byName;
    };

    Listing& ListingOf(std::string_view folder)
    {
        // A script's lines mostly name one folder after another.
        if (last_ && folder == lastFolder_)
            return *last_;
        const auto [listing, added] = folders_.try_emplace(Folded(folder));
        lastFolder_ = folder;
        if (added)
            listing->second.entries = Matching(lastFolder_, "*");
        last_ = &listing->second;
        return *last_;
    }

    std::unordered_map<std::wstring, Listing> folders_;  // by the folder's path, folded
    std::string lastFolder_;
    Listing* last_ = nullptr;
    std::wstring key_;  // a name looked up, folded: one buffer for all of them
};

// The size of the file that a single source names, as the archiver would open it; nothing when it
// names no file.
std::optional<std::uint64_t> SingleFileSize(Listings& listings, const std::string& path)
{
    const std::size_t separator = FindLastSeparator(path);
    std::string_view name = std::string_view(path).substr(separator + 1);
    // Windows drops a name's trailing dots and spaces when it opens a file.
    name = name.substr(0, name.find_last_not_of(". ") + 1);
    if (separator != std::string::npos) {
        if (const Listed* listed = listings.Find(std::string_view(path).substr(0, separator), name))
            return listed->IsFolder() ? std::nullopt : std::optional(listed->size);
    }
    // A listing names each file by its long name only; an 8.3 alias is asked for on its own.
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if ((separator == std::string::npos || name.find('~') != std::string::npos) &&
        GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) &&
        !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow;
    return std::nullopt;
}

struct Options {
    bool recurse = false;
    bool lossy = false;
    int line = 0;
};

void AddMatches(Listings& listings, const std::string& folder, const std::string& pattern, const std::string& into,
                const Options& options, ScriptAdditions& additions)
{
    const bool everything = pattern == "*" || pattern == "*.*";
    const std::vector<Listed> matched = everything ? std::vector<Listed>{} : Matching(folder, pattern);
    for (const Listed& entry : everything ? listings.Of(folder) : matched) {
        if (!entry.IsFolder())
            additions.files.push_back(
                {Joined(into, entry.name), folder + "\\" + entry.name, entry.size, options.lossy});
    }
    if (!options.recurse)
        return;
    for (const Listed& entry : listings.Of(folder)) {
        const std::string below = folder + "\\" + entry.name;
        if (entry.IsFolder() && (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            additions.links.push_back({options.line, below});
        else if (entry.IsFolder())
            AddMatches(listings, below, pattern, Joined(into, entry.name), options, additions);
    }
}

// Whether `word` is the option `name` (in small letters) in any case.
bool IsOption(const std::string& word, std::string_view name)
{
    return std::equal(word.begin(), word.end(), name.begin(), name.end(),
                      [](char c, char small) { return (c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) == small; });
}

void Add(const ScriptCommand& command, const std::string& modFolder, Listings& listings, ScriptAdditions& additions)
{
    // The source and the name in the archive, the first words that are no options.
    const std::string* names[2] = {};
    Options options{false, false, command.line};
    for (std::size_t i = 1; i < command.words.size(); ++i) {
        const std::string& word = command.words[i];
        if (word.rfind('/', 0) != 0 && !names[1])
            (names[0] ? names[1] : names[0]) = &word;
        options.recurse = options.recurse || IsOption(word, "/r");
        options.lossy = options.lossy || IsOption(word, "/wav");
    }
    if (!names[0])
        return;
    std::string source = *names[0];
    std::replace(source.begin(), source.end(), '/', '\\');
    const std::size_t found = additions.files.size();
    if (source.find_first_of("*?") == std::string::npos) {
        std::string path = ResolvedIn(modFolder, source);
        if (const std::optional<std::uint64_t> size = SingleFileSize(listings, path))
            additions.files.push_back({names[1] ? *names[1] : *names[0], std::move(path), *size, options.lossy});
    } else {
        const std::size_t slash = FindLastSeparator(source);
        const std::string folder = slash == std::string::npos ? "" : source.substr(0, slash);
        const std::string pattern = slash == std::string::npos ? source : source.substr(slash + 1);
        AddMatches(listings, ResolvedIn(modFolder, folder), pattern, names[1] ? *names[1] : folder, options, additions);
    }
    if (additions.files.size() == found)
        additions.missing.push_back(*names[0]);
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
    Listings listings;
    bool gamesArchiveOpen = false;
    for (const ScriptCommand& command : ScriptCommands(script)) {
        const char letter = CommandLetter(command);
        if (letter == 'o')
            gamesArchiveOpen = command.words.size() > 1 && command.words[1] == kArchiveName;
        else if (letter == 'a' && gamesArchiveOpen)
            Add(command, modFolder, listings, additions);
    }
    return additions;
}
