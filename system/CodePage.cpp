#include "system/CodePage.h"

#include "system/Platform.h"

#include <windows.h>

std::optional<std::string> ToCodePage(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    // Where the ANSI code page is UTF-8 it holds every name, and WideCharToMultiByte refuses the
    // flag and the question that find a character it can't hold.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int length = static_cast<int>(text.size());
    BOOL defaultUsed = FALSE;
    BOOL* const askDefaultUsed = utf8 ? nullptr : &defaultUsed;
    const int size = WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, nullptr, askDefaultUsed);
    std::string converted(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, flags, text.data(), length, converted.data(), size, nullptr, askDefaultUsed);
    if (size == 0 || defaultUsed)
        return std::nullopt;
    return converted;
}

std::string ToCodePageLossy(const std::wstring& text)
{
    if (const auto converted = ToCodePage(text))
        return *converted;
    std::string shown;
    for (const wchar_t c : text) {
        const auto one = ToCodePage(std::wstring(1, c));
        shown += one ? *one : "?";
    }
    return shown;
}

std::wstring FromCodePage(const std::string& text)
{
    const int length = static_cast<int>(text.size());
    const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    std::wstring converted(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, converted.data(), size);
    return converted;
}

std::string ToUtf8(const std::wstring& text)
{
    const int length = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string converted(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, converted.data(), size, nullptr, nullptr);
    return converted;
}

std::wstring ShortPathOf(const std::wstring& path)
{
    std::wstring shortPath(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            Platform().getShortPathNameW(path.c_str(), shortPath.data(), static_cast<DWORD>(shortPath.size()));
        if (length == 0)
            return L"";
        if (length < shortPath.size()) {
            shortPath.resize(length);
            return shortPath;
        }
        shortPath.resize(length);
    }
}

std::optional<std::string> AnsiPathOf(const std::wstring& path)
{
    if (auto converted = ToCodePage(path))
        return converted;
    const std::wstring shortPath = ShortPathOf(path);
    if (shortPath.empty())
        return std::nullopt;
    return ToCodePage(shortPath);
}
