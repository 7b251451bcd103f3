#include "system/UserMessages.h"

#include "system/CodePage.h"

int Tell(HWND owner, const std::wstring& text, const std::wstring& title, UINT style)
{
    return MessageBoxW(owner, text.c_str(), title.c_str(), style);
}

int Tell(HWND owner, const std::string& text, const std::string& title, UINT style)
{
    return Tell(owner, FromCodePage(text), FromCodePage(title), style);
}

std::wstring OneLine(const std::wstring& text)
{
    std::wstring line;
    bool lineBreak = false;
    for (const wchar_t c : text) {
        if (c == L'\r' || c == L'\n') {
            lineBreak = true;
            continue;
        }
        if (lineBreak && !line.empty())
            line += L' ';
        lineBreak = false;
        line += c;
    }
    return line;
}
