#include "install/GameVersion.h"

#include "system/ScopedHandle.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace {

struct Patch {
    const char* name;
    WORD version[4];  // the file version of its Game.exe
};

// Up to 1.13 the game's code is in its D2*.dll files and Game.exe only starts it, yet every patch
// gave Game.exe a version of its own. Copies without the disc check differ in size, never in this.
const Patch kPatches[] = {
    {"1.07", {1, 0, 7, 0}},    {"1.08", {1, 0, 8, 28}},   {"1.09", {1, 0, 9, 19}},   {"1.09b", {1, 0, 9, 20}},
    {"1.09d", {1, 0, 9, 22}},  {"1.10f", {1, 0, 10, 39}}, {"1.11", {1, 0, 11, 45}},  {"1.11b", {1, 0, 11, 46}},
    {"1.12a", {1, 0, 12, 49}}, {"1.13c", {1, 0, 13, 60}}, {"1.13d", {1, 0, 13, 64}}, {"1.14a", {1, 14, 0, 64}},
    {"1.14b", {1, 14, 1, 68}}, {"1.14c", {1, 14, 2, 70}}, {"1.14d", {1, 14, 3, 71}},
};

// What may stand between the names of a description's GameVersion.
const char* const kSeparators = ",; \t";

// The product version's build number has this bit for Lord of Destruction, from 1.08 on.
constexpr WORD kExpansionBuildBit = 0x100;

// The fixed part of a program's version resource, read from the file as data: nothing of it runs,
// and no DLL beyond the kernel's is needed.
std::optional<VS_FIXEDFILEINFO> FixedVersionOf(const std::string& path)
{
    const ScopedModule module(
        LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!module)
        return std::nullopt;
    HRSRC found = FindResourceA(module.Get(), MAKEINTRESOURCEA(VS_VERSION_INFO), RT_VERSION);
    HGLOBAL loaded = found ? LoadResource(module.Get(), found) : nullptr;
    const auto* bytes = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!bytes)
        return std::nullopt;
    // VS_VERSIONINFO: its length, its value's length and type, the key "VS_VERSION_INFO" in UTF-16,
    // then the fixed part at the next 32-bit boundary.
    const DWORD size = SizeofResource(module.Get(), found);
    constexpr DWORD at = (3 * sizeof(WORD) + sizeof L"VS_VERSION_INFO" + 3) & ~3u;
    VS_FIXEDFILEINFO fixed{};
    if (size < at + sizeof fixed)
        return std::nullopt;
    std::memcpy(&fixed, bytes + at, sizeof fixed);
    if (fixed.dwSignature != 0xFEEF04BD)
        return std::nullopt;
    return fixed;
}

std::string FourNumbers(const VS_FIXEDFILEINFO& fixed)
{
    return std::to_string(HIWORD(fixed.dwFileVersionMS)) + "." + std::to_string(LOWORD(fixed.dwFileVersionMS)) + "." +
           std::to_string(HIWORD(fixed.dwFileVersionLS)) + "." + std::to_string(LOWORD(fixed.dwFileVersionLS));
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return text;
}

// The patches of the table that `name` names: one by its name, or without its letter every letter
// of that patch ("1.13": 1.13c and 1.13d; "1.10": 1.10f), in any letter case.
std::vector<const Patch*> PatchesNamed(const std::string& name)
{
    const std::string lower = Lower(name);
    std::vector<const Patch*> named;
    for (const Patch& patch : kPatches) {
        const std::string full = patch.name;
        const bool withoutLetter = full.size() == lower.size() + 1 && full.compare(0, lower.size(), lower) == 0 &&
                                   full.back() >= 'a' && full.back() <= 'z';
        if (lower == full || withoutLetter)
            named.push_back(&patch);
    }
    return named;
}

}  // namespace

std::string GameVersion::Text() const
{
    if (patch.empty())
        return "unknown";
    return edition.empty() ? patch : patch + " (" + edition + ")";
}

std::optional<std::string> FileVersionOf(const std::string& path)
{
    const std::optional<VS_FIXEDFILEINFO> fixed = FixedVersionOf(path);
    if (!fixed)
        return std::nullopt;
    return FourNumbers(*fixed);
}

GameVersion GameVersionIn(const std::string& game)
{
    const std::optional<VS_FIXEDFILEINFO> fixed = FixedVersionOf(game + "\\Game.exe");
    if (!fixed)
        return {};
    const WORD numbers[4] = {HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                             HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS)};
    for (const Patch& patch : kPatches) {
        if (!std::equal(std::begin(numbers), std::end(numbers), std::begin(patch.version)))
            continue;
        std::string edition;
        if (patch.version[1] != 0 || patch.version[2] >= 8)
            edition = HIWORD(fixed->dwProductVersionLS) & kExpansionBuildBit ? "Lord of Destruction" : "Classic";
        return {patch.name, edition, true};
    }
    return {FourNumbers(*fixed), "", false};
}

std::vector<std::string> PatchNames()
{
    std::vector<std::string> names;
    for (const Patch& patch : kPatches)
        names.push_back(patch.name);
    return names;
}

std::vector<std::string> ListedPatches(const std::string& value)
{
    std::vector<std::string> names;
    for (std::size_t start = 0; start < value.size();) {
        const std::size_t end = std::min(value.find_first_of(kSeparators, start), value.size());
        if (end > start)
            names.push_back(value.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

bool IsPatchName(const std::string& name) { return !PatchesNamed(name).empty(); }

bool MadeFor(const std::vector<std::string>& patches, const GameVersion& game)
{
    bool anyKnown = false;
    for (const std::string& name : patches) {
        for (const Patch* patch : PatchesNamed(name)) {
            if (game.patch == patch->name)
                return true;
            anyKnown = true;
        }
    }
    return !anyKnown;
}
