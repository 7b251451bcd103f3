#include "system/UserMessages.h"

#include "system/CodePage.h"

namespace {

std::function<void(const std::wstring&)>& LineSink()
{
    static std::function<void(const std::wstring&)> sink;
    return sink;
}

}  // namespace

int Tell(HWND owner, const std::wstring& text, const std::wstring& title, UINT style)
{
    if (const auto& line = LineSink()) {
        line(OneLine(text));
        return (style & MB_TYPEMASK) == MB_YESNO || (style & MB_TYPEMASK) == MB_YESNOCANCEL ? IDYES : IDOK;
    }
    return MessageBoxW(owner, text.c_str(), title.c_str(), style);
}

int Tell(HWND owner, const std::string& text, const std::string& title, UINT style)
{
    return Tell(owner, FromCodePage(text), FromCodePage(title), style);
}

void TellAsLines(std::function<void(const std::wstring&)> line) { LineSink() = std::move(line); }

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
