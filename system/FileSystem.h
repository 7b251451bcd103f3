#pragma once
// File-system questions the installer asks: which paths count as present, and full paths.
#include <string>

// True for a plain file: hidden and system files count as missing, and so do directories.
// Read-only and archive files count as present.
bool FileExists(const std::string& path);

bool DirectoryExists(const std::string& path);

// The full path of `path` as Windows resolves it; a bare drive ("d:") resolves to the current
// directory that Windows keeps for that drive.
std::string FullPath(const std::string& path);
