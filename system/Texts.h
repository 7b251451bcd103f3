#pragma once
// The texts the window shows, in the player's language: a string table among the program's
// resources for each language (resources/lang/, one file each), by the ids of
// resources/lang/TextIds.h. What a text names that varies (a path, a title, a number, Windows' own
// words) is a numbered placeholder, %1 to %9, which a language may put in any order; %% is a
// percent sign.
#include "resources/lang/TextIds.h"
#include "system/Language.h"

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

// Text `id` in `language` (in English where that language lacks it), its placeholders filled with
// `values`, %1 with the first.
std::wstring Text(Language language, UINT id, std::initializer_list<std::wstring_view> values = {});

// Text `id` as `language`'s own table has it; nothing where it lacks it.
std::optional<std::wstring> TextIn(Language language, UINT id);

// `pattern` with %1 to %9 replaced by `values` and %% by %; a placeholder without a value stays.
std::wstring FormatText(std::wstring_view pattern, std::initializer_list<std::wstring_view> values);
