#pragma once
// The mod's description file (modsettings.ini): which file it is, and single values read from it.
// Every read looks at the file afresh; a missing file is reported to the user on every read.
#include "system/Language.h"

#include <windows.h>

#include <functional>
#include <string>

namespace INIFunctions {

// Full path of the description file; set by Form1's OpenINI.
extern std::string INIFile;

// The value of `key` in `section`, at most 254 characters; empty when the key or the file is
// missing. A missing file (hidden and system files count as missing) shows the
// "File Not Found" box first, in `language`.
std::string ReadINI(const std::string& section, const std::string& key, Language language = UserLanguage());

// The same, with a missing file told through `tell` (its text, title and box style) instead of in a
// box: as a line where the install runs without a window.
using TellMissing = std::function<void(const std::string& text, const std::string& title, UINT style)>;
std::string ReadINI(const std::string& section, const std::string& key, const TellMissing& tell);

}  // namespace INIFunctions
