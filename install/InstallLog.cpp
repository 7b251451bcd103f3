#include "install/InstallLog.h"

#include "system/CodePage.h"
#include "system/FileSystem.h"
#include "system/ScopedHandle.h"
#include "system/Win32Error.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace {

constexpr ULONGLONG kLogLimit = 1024 * 1024;

// Past the limit the older half goes, from the first line that starts in the newer half on.
void TrimWhenOverLimit(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        ((ULONGLONG{data.nFileSizeHigh} << 32) | data.nFileSizeLow) <= kLogLimit)
        return;
    const std::string text = ReadWholeFile(path);
    const std::size_t lineEnd = text.find('\n', text.size() / 2);
    WriteWholeFile(path, lineEnd == std::string::npos ? std::string() : text.substr(lineEnd + 1));
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
    const std::string pending = std::move(pending_);
    pending_.clear();
    if (pending.empty())
        return;
    try {
        TrimWhenOverLimit(path_);
    } catch (const Win32Error&) {
        return;
    }
    const FileHandle log(CreateFileA(path_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (log)
        WriteFile(log.Get(), pending.data(), static_cast<DWORD>(pending.size()), &written, nullptr);
}
