#pragma once
// What the benchmark measures on: big files of real bytes, archiver scripts with a given number
// of mentions of the game's archive, folders full of subfolders, and a mod folder to install from.
#include <cstdint>
#include <string>

// Writes `size` bytes of a repeating pattern (real data: nothing sparse) in 1 MiB pieces, `head`
// first.
void WriteFilledFile(const std::string& path, uint64_t size, const std::string& head = "");

// A script of `size` bytes in CRLF lines that names "patch_d2.mpq" exactly `occurrences` times,
// spread evenly.
std::string ScriptWithOccurrences(size_t size, size_t occurrences);

// Lays out a mod folder: Install.exe's description file naming `scriptName`, the script, and the
// given archiver copied in as mpq2k.exe.
void MakeModFolder(const std::string& folder, const std::string& scriptName, const std::string& script,
                   const std::string& archiver);

// The folder that holds the running benchmark program.
std::string OwnFolder();
