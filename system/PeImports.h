#pragma once
// The DLLs a Windows program names in its import table, which Windows must find before the
// program's first instruction runs: read from the file itself, for 32-bit programs (such as the
// archiver) and 64-bit ones alike, and whether Windows itself provides each of them.
#include <string>
#include <vector>

// The DLL names of the program's import table, in file order. Throws Win32Error when the file
// can't be read, with ERROR_BAD_EXE_FORMAT when it is no PE image.
std::vector<std::string> ImportedDlls(const std::string& exePath);

// True when the DLL lies in the Windows system folder, that is, Windows brings it. A 32-bit
// program's DLLs come from SysWOW64 on 64-bit Windows, which holds the same names.
bool IsWindowsDll(const std::string& dll);
