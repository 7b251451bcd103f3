#include "system/PathText.h"

#include "system/FileSystem.h"

#include <windows.h>

#include <algorithm>
#include <cctype>

namespace {

// Where each "\" of `path` stands, from `from` on, handed to `found` until it answers false.
template <typename Found>
void ForEachSeparator(const std::string& path, std::size_t from, Found found)
{
    const char* const begin = path.c_str();
    const char* const end = begin + path.size();
    for (const char* at = begin + from; at < end;) {
        if (*at == '\\' && !found(static_cast<std::size_t>(at - begin)))
            return;
        // An ASCII byte is a character of its own in every code page: only lead bytes need asking.
        const char* next = static_cast<unsigned char>(*at) < 0x80 ? at + 1 : CharNextExA(CP_ACP, at, 0);
        at = next > at ? next : at + 1;
    }
}

}  // namespace

std::size_t FindSeparator(const std::string& path, std::size_t from)
{
    std::size_t first = std::string::npos;
    ForEachSeparator(path, from, [&](std::size_t at) {
        first = at;
        return false;
    });
    return first;
}

std::size_t FindLastSeparator(const std::string& path)
{
    std::size_t last = std::string::npos;
    ForEachSeparator(path, 0, [&](std::size_t at) {
        last = at;
        return true;
    });
    return last;
}

bool EndsWithSeparator(const std::string& path) { return !path.empty() && FindLastSeparator(path) == path.size() - 1; }

std::string ReportedPath(const std::string& path)
{
    std::string full = FullPath(path);
    if (full.size() >= 2 && full[1] == ':')
        full[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(full[0])));
    const bool driveRoot = full.size() == 3 && full[1] == ':';
    while (full.size() > 1 && EndsWithSeparator(full) && !driveRoot)
        full.pop_back();
    return full;
}

std::vector<std::string> SplitFolderPath(const std::string& path)
{
    // The root is "C:\", or "\\server\share" for a network path.
    size_t rootLength = 0;
    if (path.rfind("\\\\", 0) == 0) {
        const size_t server = FindSeparator(path, 2);
        const size_t share = server == std::string::npos ? server : FindSeparator(path, server + 1);
        rootLength = share == std::string::npos ? path.size() : share;
    } else {
        rootLength = std::min<size_t>(path.size(), path.size() >= 3 && path[1] == ':' ? 3 : 1);
    }
    std::vector<std::string> parts{path.substr(0, rootLength)};
    for (size_t start = rootLength; start < path.size();) {
        const size_t end = std::min(FindSeparator(path, start), path.size());
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    return EndsWithSeparator(folder) ? folder + name : folder + "\\" + name;
}
