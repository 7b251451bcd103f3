#include "system/Module1.h"

#include <windows.h>

std::string GetShortPath(const std::string& longPath)
{
    // Most short paths fit the first buffer; for a longer one Windows reports the size it needs
    // (its NUL included) and leaves the buffer alone, so ask again at that size rather than
    // hand back a buffer that holds no path.
    std::string shortPath(200, ' ');
    for (;;) {
        const DWORD length =
            GetShortPathNameA(longPath.c_str(), shortPath.data(), static_cast<DWORD>(shortPath.size()));
        if (length == 0)
            return longPath;
        if (length < shortPath.size()) {
            shortPath.resize(length);
            return shortPath;
        }
        shortPath.assign(length, ' ');
    }
}
