#pragma once
// Short (8.3) paths: the archiver only understands paths without spaces or long names, so the
// installer hands it the short form of the game's archive path.
#include <string>

// The short form of `longPath` as Windows reports it, or `longPath` itself when Windows can't
// convert it (for example because it doesn't exist) or the short form runs to 200 characters
// or more.
std::string GetShortPath(const std::string& longPath);
