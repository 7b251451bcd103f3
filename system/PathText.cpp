#include "system/PathText.h"

#include <windows.h>

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
        const char* next = CharNextExA(CP_ACP, at, 0);
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
