#pragma once
// Short (8.3) paths: the archiver only understands paths without spaces or long names, so the
// installer hands it the short form of the game's archive path; and a name that the ANSI code page
// can't hold is opened by its short form, which is plain ASCII where the volume keeps 8.3 names.
// Where it keeps none (most volumes other than the system's on Windows 10 and 11), the short form
// is the long path.
#include <string>

// The short form of `longPath` as Windows reports it, or `longPath` itself when Windows can't
// convert it (for example because it doesn't exist) or the short form runs to 200 characters
// or more.
std::string GetShortPath(const std::string& longPath);

// The same for a path the ANSI code page may not hold, its short form of any length.
std::wstring GetShortPath(const std::wstring& longPath);
