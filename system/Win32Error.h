#pragma once
// A failed call into Windows, carried as an exception from the failing step to the one place
// that reports it: what was being done, on which path, and the system's own error code.
#include <windows.h>

#include <stdexcept>
#include <string>

std::string SystemErrorText(DWORD code);

class Win32Error : public std::runtime_error {
public:
    Win32Error(std::string operation, std::string path, DWORD code);

    const std::string& Operation() const { return operation_; }
    const std::string& Path() const { return path_; }
    DWORD Code() const { return code_; }

private:
    std::string operation_;
    std::string path_;
    DWORD code_;
};

// Throws a Win32Error for the calling thread's last error.
[[noreturn]] void ThrowLastError(const std::string& operation, const std::string& path);
