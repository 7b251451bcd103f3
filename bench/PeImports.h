#pragma once
// What a 64-bit Windows program needs at start: the DLLs named in its import table, read from
// the file itself, and whether Windows itself provides each of them.
#include <string>
#include <vector>

// The DLL names of the program's import table, in file order. Throws std::runtime_error when the
// file can't be read or is no 64-bit PE image.
std::vector<std::string> ImportedDlls(const std::string& exePath);

// True when the DLL lies in the Windows system folder, that is, Windows brings it.
bool IsWindowsDll(const std::string& dll);
