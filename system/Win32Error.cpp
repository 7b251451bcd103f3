#include "system/Win32Error.h"

#include <cstdio>

namespace {

// A failure HRESULT is read in hex, the form it is documented and searched for in; a Win32 error
// code in decimal.
std::string CodeText(DWORD code)
{
    if (!(code & 0x80000000))
        return std::to_string(code);
    char hex[11];
    std::snprintf(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(code));
    return hex;
}

}  // namespace

std::string SystemErrorText(DWORD code)
{
    char* buffer = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = length ? std::string(buffer, length) : std::string();
    LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    if (text.empty())
        text = "Unknown error.";
    return text + " (error " + CodeText(code) + ")";
}

Win32Error::Win32Error(std::string operation, std::string path, DWORD code)
    : std::runtime_error(operation + " failed: " + path + ": " + SystemErrorText(code)),
      operation_(std::move(operation)), path_(std::move(path)), code_(code)
{
}

void ThrowLastError(const std::string& operation, const std::string& path)
{
    throw Win32Error(operation, path, GetLastError());
}
