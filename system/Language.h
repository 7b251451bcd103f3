#pragma once
// The languages the window speaks: the twelve the game itself knows. The window takes Windows' UI
// language, matched by its primary language (Chinese by its script), or the one /LANG= names;
// any other language gets English. The command line's lines and the install's log stay English
// whatever the window speaks: scripts read them, and whoever helps a player reads the log.
#include <windows.h>

#include <array>
#include <optional>
#include <string_view>

enum class Language {
    English,
    Spanish,
    German,
    French,
    Portuguese,  // as Brazil writes it, where most of the game's Portuguese players are
    Italian,
    Japanese,
    Korean,
    ChineseSimplified,
    ChineseTraditional,
    Polish,
    Russian,
};

inline constexpr std::array kLanguages = {
    Language::English,
    Language::Spanish,
    Language::German,
    Language::French,
    Language::Portuguese,
    Language::Italian,
    Language::Japanese,
    Language::Korean,
    Language::ChineseSimplified,
    Language::ChineseTraditional,
    Language::Polish,
    Language::Russian,
};

// The language for Windows' UI language `ui` (GetUserDefaultUILanguage).
Language LanguageOfUi(LANGID ui);

// The language /LANG= names by `code` ("de", "zh-TW", in any case); nothing for an unknown code.
std::optional<Language> LanguageOfCode(std::wstring_view code);

// Its code for /LANG=, as LanguageOfCode reads it.
const wchar_t* CodeOf(Language language);

// The language of its texts among the program's resources.
LANGID ResourceLanguageOf(Language language);

// The language of this user's Windows.
Language UserLanguage();
