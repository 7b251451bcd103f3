#include "install/InstallLog.h"

#include "system/CodePage.h"
#include "system/ScopedHandle.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace {

constexpr ULONGLONG kLogLimit = 1024 * 1024;

// Past the limit the older half goes, from the first line that starts in the newer half on, in
// place. Only while no one else has the log open: a viewer's or a scanner's hold is never waited
// out, and the trim is left for a later write. Torn by a crash half-way, the log still ends with
// its newest lines.
void TrimWhenOverLimit(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        ((ULONGLONG{data.nFileSizeHigh} << 32) | data.nFileSizeLow) <= kLogLimit)
        return;
    const FileHandle log(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!log || !GetFileSizeEx(log.Get(), &size) || size.QuadPart > MAXDWORD)
        return;
    const auto half = static_cast<DWORD>(size.QuadPart / 2);
    std::string newer(static_cast<DWORD>(size.QuadPart) - half, '\0');
    DWORD done = 0;
    LARGE_INTEGER at{};
    at.QuadPart = half;
    if (!SetFilePointerEx(log.Get(), at, nullptr, FILE_BEGIN) ||
        !ReadFile(log.Get(), newer.data(), static_cast<DWORD>(newer.size()), &done, nullptr) || done != newer.size())
        return;
    const std::size_t lineEnd = newer.find('\n');
    newer.erase(0, lineEnd == std::string::npos ? newer.size() : lineEnd + 1);
    at.QuadPart = 0;
    if (SetFilePointerEx(log.Get(), at, nullptr, FILE_BEGIN) &&
        WriteFile(log.Get(), newer.data(), static_cast<DWORD>(newer.size()), &done, nullptr) && done == newer.size())
        SetEndOfFile(log.Get());
}

}  // namespace

std::string LocalTimeText()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond);
    return text;
}

void InstallLog::Begin(const std::string& heading)
{
    pending_ += "\r\n==== " + LocalTimeText() + " " + heading + "\r\n";
}

void InstallLog::Line(const std::string& text) { Line(FromCodePage(text)); }

void InstallLog::Line(const std::wstring& text)
{
    std::wstring lines = FromCodePage(LocalTimeText().substr(11)) + L" ";
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find(L'\n', start), text.size());
        std::wstring line = text.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        lines += (start == 0 || line.empty() ? L"" : L"    ") + line + L"\r\n";
        start = end + 1;
    }
    pending_ += ToUtf8(lines);
}

void InstallLog::Write()
{
    if (pending_.empty())
        return;
    // Appended first, shared with a viewer that follows the log as it grows; what can't be appended
    // now goes with the next write.
    DWORD written = 0;
    {
        const FileHandle log(CreateFileA(path_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (log)
            WriteFile(log.Get(), pending_.data(), static_cast<DWORD>(pending_.size()), &written, nullptr);
    }
    pending_.erase(0, written);
    if (pending_.empty())
        TrimWhenOverLimit(path_);
}
