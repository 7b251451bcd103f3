#include "system/Module1.h"

#include "system/Platform.h"

std::string GetShortPath(const std::string& longPath)
{
    std::string shortPath(200, ' ');
    const DWORD length =
        Platform().getShortPathNameA(longPath.c_str(), shortPath.data(), static_cast<DWORD>(shortPath.size()));
    // A short form of 200 characters or more doesn't fit: Windows then reports the size it needs
    // and leaves only spaces in the buffer, so the long path is the better answer.
    if (length == 0 || length >= shortPath.size())
        return longPath;
    shortPath.resize(length);
    return shortPath;
}
