#include "system/Module1.h"

#include "system/Platform.h"

namespace {

// Windows' short form of `longPath` when it is shorter than `limit`, otherwise `longPath`. Too
// small a buffer makes Windows report the size it needs and leave the buffer unfilled.
template <typename Char, typename Convert>
std::basic_string<Char> ShortForm(const std::basic_string<Char>& longPath, const Convert& convert, DWORD limit)
{
    std::basic_string<Char> shortPath(MAX_PATH, Char());
    for (;;) {
        const DWORD length = convert(longPath.c_str(), shortPath.data(), static_cast<DWORD>(shortPath.size()));
        if (length == 0 || length >= limit)
            return longPath;
        if (length < shortPath.size()) {
            shortPath.resize(length);
            return shortPath;
        }
        shortPath.resize(length);
    }
}

}  // namespace

std::string GetShortPath(const std::string& longPath) { return ShortForm(longPath, Platform().getShortPathNameA, 200); }

std::wstring GetShortPath(const std::wstring& longPath)
{
    return ShortForm(longPath, Platform().getShortPathNameW, MAXDWORD);
}
