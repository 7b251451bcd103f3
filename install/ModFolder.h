#pragma once
// The mod's folder: the one that holds Install.exe, beside the mod's description, script and
// archiver. Every path built from it goes to the ANSI calls, the archiver and its script.
// Windows lets a player start Install.exe from inside the downloaded zip file: Explorer (in
// %TEMP%\Temp1_<name>.zip\...) and 7-Zip (in %TEMP%\7zO...) then copy that one program to a
// temporary folder and start it there, without the mod beside it.
#include "system/Language.h"

#include <functional>
#include <optional>
#include <string>

// The folder as the ANSI calls can use it: by its 8.3 alias where the code page can't hold its real
// name. Nothing when it can't be used at all, after telling the user so and what to do in
// `language` through `tell` (the text and the title of a box).
std::optional<std::string> ModFolder(
    Language language, const std::function<void(const std::wstring& text, const std::wstring& title)>& tell);

// Whether Install.exe in `folder` was started from inside the mod's zip file: modsettings.ini is
// missing (or hidden) beside it, and the folder lies in the temporary folder or in a folder whose
// name ends in ".zip".
bool StartedFromInsideAZip(const std::wstring& folder);

// What the player is told then, in `language`, instead of the description's "File Not Found".
std::wstring UnpackFirstTitle(Language language);
std::wstring UnpackFirstText(Language language, const std::wstring& folder);
