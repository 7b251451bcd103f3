#pragma once
// The mod's folder: the one that holds Install.exe, beside the mod's description, script and
// archiver. Every path built from it goes to the ANSI calls, the archiver and its script.
#include <functional>
#include <optional>
#include <string>

// The folder as the ANSI calls can use it: by its 8.3 alias where the code page can't hold its real
// name. Nothing when it can't be used at all, after telling the user so and what to do through
// `tell` (the text and the title of a box).
std::optional<std::string> ModFolder(
    const std::function<void(const std::wstring& text, const std::wstring& title)>& tell);
