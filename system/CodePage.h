#pragma once
// The installer, the archiver and the other installers of its family talk to Windows in the
// system's ANSI code page. A name that code page can't hold (a Polish or Cyrillic user name on a
// Western-European system) comes back from the ANSI calls with '?' or a look-alike letter, and
// every call on it fails; such a name is used by its 8.3 alias, which is plain ASCII where the
// volume keeps 8.3 names.
#include <optional>
#include <string>

// `text` in the ANSI code page; nothing when the code page can't hold every character of it.
std::optional<std::string> ToCodePage(const std::wstring& text);

// `text` in the code page, with '?' for what it can't hold: for showing, never for opening.
std::string ToCodePageLossy(const std::wstring& text);

std::wstring FromCodePage(const std::string& text);

// `text` in UTF-8, as a log file or a pipe to a terminal takes it.
std::string ToUtf8(const std::wstring& text);

// An existing path as the ANSI calls can use it: itself when the code page holds it, otherwise
// its short form when that exists and the code page holds it; nothing when neither.
std::optional<std::string> AnsiPathOf(const std::wstring& path);
