#pragma once
// ANSI paths as the installer reports, splits and joins them, for the window and the command line
// alike: by characters of the code page, not by bytes. In the code pages of Japanese and Chinese
// Windows (932, 936, 950) a character may be two bytes, and its second byte may be the byte of "\"
// (0x5C, the second byte of "ソ" in 932): a path split, trimmed or tested at every such byte cuts
// the character in two and names another folder.
#include <string>
#include <vector>

// Where the first "\" at or after `from` stands (`from` at a character's start), or npos.
std::size_t FindSeparator(const std::string& path, std::size_t from = 0);

// Where the last "\" stands, or npos.
std::size_t FindLastSeparator(const std::string& path);

bool EndsWithSeparator(const std::string& path);

// The path as the folder list reports and the installer keeps it: full, "C:\" at a drive root, no
// trailing "\" elsewhere.
std::string ReportedPath(const std::string& path);

// A reported path as its root and folder names: "C:\Games\Diablo II" gives "C:\", "Games",
// "Diablo II".
std::vector<std::string> SplitFolderPath(const std::string& path);

// `folder` followed by `name`, with one "\" between them.
std::string JoinPath(const std::string& folder, const std::string& name);
