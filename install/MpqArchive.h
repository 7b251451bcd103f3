#pragma once
// Whether a file is a sound MPQ archive, as the game's patch_d2.mpq must be for the game to start,
// judged from its header alone, without decrypting anything. An archiver that dies while it
// writes the archive in place leaves its tables running past the file's end or its header torn.
// The header (32 bytes, little-endian) stands at the file's start or at a multiple of 512 bytes,
// possibly announced there by a user-data header; it is looked for in the file's first
// kMpqSearchLength bytes. Bytes after the archive are harmless: the game's reader ignores the
// archive's size field, and so does this judgement.
#include <cstdint>
#include <string>
#include <string_view>

// The game's archives carry their header at the start; this leaves room for a user-data block or
// a program stub before it, and keeps the judgement, taken twice an install, under a millisecond.
inline constexpr std::size_t kMpqSearchLength = 64 << 10;

// `head` is the file's first bytes (all of them, up to kMpqSearchLength), `fileSize` its size.
bool IsSoundMpq(std::string_view head, std::uint64_t fileSize);

// The same for the file at `path`; false also when it can't be read.
bool IsSoundMpqFile(const std::string& path);
