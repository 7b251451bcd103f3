#pragma once
// The DLLs a Windows program names in its import table, which Windows must find before the
// program's first instruction runs: read from the file itself, for 32-bit programs (such as the
// archiver) and 64-bit ones alike, and whether Windows itself provides each of them.
#include <string>
#include <vector>

enum class Bitness { Bits32, Bits64 };

struct ImportTable {
    Bitness bitness;
    std::vector<std::string> dlls;  // in file order
};

// The program's bitness and the DLL names of its import table. Throws Win32Error when the file
// can't be read, with ERROR_BAD_EXE_FORMAT when it is no PE image.
ImportTable ImportsOf(const std::string& exePath);

// True when Windows brings the DLL for a program of `bitness`: it lies in the system folder that
// such a program's DLLs are loaded from. On 64-bit Windows a 32-bit program's come from SysWOW64,
// never from System32.
bool IsWindowsDll(const std::string& dll, Bitness bitness);
