#pragma once
// ANSI paths taken apart by characters of the code page, not by bytes. In the code pages of
// Japanese and Chinese Windows (932, 936, 950) a character may be two bytes, and its second byte
// may be the byte of "\" (0x5C, the second byte of "ソ" in 932): a path split, trimmed or tested
// at every such byte cuts the character in two and names another folder.
#include <string>

// Where the first "\" at or after `from` stands (`from` at a character's start), or npos.
std::size_t FindSeparator(const std::string& path, std::size_t from = 0);

// Where the last "\" stands, or npos.
std::size_t FindLastSeparator(const std::string& path);

bool EndsWithSeparator(const std::string& path);
