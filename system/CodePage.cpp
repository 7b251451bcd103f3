#include "system/CodePage.h"

#include "system/Module1.h"

#include <windows.h>

namespace {

// `text` in `codePage`: WideCharToMultiByte asked for the size, then for the bytes.
std::string Convert(UINT codePage, DWORD flags, const std::wstring& text, const char* defaultChar, BOOL* defaultUsed)
{
    const int length = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, defaultChar, defaultUsed);
    std::string converted(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(codePage, flags, text.data(), length, converted.data(), size, defaultChar, defaultUsed);
    return converted;
}

}  // namespace

std::optional<std::string> ToCodePage(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    // Where the ANSI code page is UTF-8 it holds every name, and WideCharToMultiByte refuses the
    // flag and the question that find a character it can't hold.
    if (GetACP() == CP_UTF8)
        return Convert(CP_ACP, 0, text, nullptr, nullptr);
    BOOL defaultUsed = FALSE;
    std::string converted = Convert(CP_ACP, WC_NO_BEST_FIT_CHARS, text, nullptr, &defaultUsed);
    if (converted.empty() || defaultUsed)
        return std::nullopt;
    return converted;
}

std::string ToCodePageLossy(const std::wstring& text)
{
    if (auto converted = ToCodePage(text))
        return *converted;
    return Convert(CP_ACP, WC_NO_BEST_FIT_CHARS, text, "?", nullptr);
}

std::wstring FromCodePage(const std::string& text)
{
    const int length = static_cast<int>(text.size());
    const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    std::wstring converted(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, converted.data(), size);
    return converted;
}

std::string ToUtf8(const std::wstring& text) { return Convert(CP_UTF8, 0, text, nullptr, nullptr); }

std::optional<std::string> AnsiPathOf(const std::wstring& path)
{
    if (auto converted = ToCodePage(path))
        return converted;
    return ToCodePage(GetShortPath(path));
}
