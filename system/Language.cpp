#include "system/Language.h"

namespace {

struct LanguageName {
    Language language;
    const wchar_t* code;
    LANGID resource;
};

// In the order of the enumeration.
constexpr LanguageName kNames[] = {
    {Language::English, L"en", MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)},
    {Language::Spanish, L"es", MAKELANGID(LANG_SPANISH, SUBLANG_SPANISH_MODERN)},
    {Language::German, L"de", MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN)},
    {Language::French, L"fr", MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH)},
    {Language::Portuguese, L"pt", MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE_BRAZILIAN)},
    {Language::Italian, L"it", MAKELANGID(LANG_ITALIAN, SUBLANG_ITALIAN)},
    {Language::Japanese, L"ja", MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN)},
    {Language::Korean, L"ko", MAKELANGID(LANG_KOREAN, SUBLANG_KOREAN)},
    {Language::ChineseSimplified, L"zh-CN", MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)},
    {Language::ChineseTraditional, L"zh-TW", MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL)},
    {Language::Polish, L"pl", MAKELANGID(LANG_POLISH, SUBLANG_POLISH_POLAND)},
    {Language::Russian, L"ru", MAKELANGID(LANG_RUSSIAN, SUBLANG_RUSSIAN_RUSSIA)},
};

const LanguageName& NameOf(Language language) { return kNames[static_cast<int>(language)]; }

// Chinese by its script: Traditional in Taiwan, Hong Kong and Macau (and where Windows names the
// script alone), Simplified everywhere else it is written.
Language ChineseOf(LANGID ui)
{
    switch (ui) {
    case MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL):
    case MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_HONGKONG):
    case MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_MACAU):
    case 0x7C04:  // zh-Hant
        return Language::ChineseTraditional;
    case MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED):
    case MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SINGAPORE):
    case 0x0004:  // zh-Hans
        return Language::ChineseSimplified;
    default:
        return Language::English;
    }
}

}  // namespace

Language LanguageOfUi(LANGID ui)
{
    if (PRIMARYLANGID(ui) == LANG_CHINESE)
        return ChineseOf(ui);
    for (const LanguageName& name : kNames) {
        if (PRIMARYLANGID(name.resource) == PRIMARYLANGID(ui))
            return name.language;
    }
    return Language::English;
}

std::optional<Language> LanguageOfCode(std::wstring_view code)
{
    for (const LanguageName& name : kNames) {
        const std::wstring_view known = name.code;
        if (code.size() == known.size() &&
            CompareStringOrdinal(code.data(), static_cast<int>(code.size()), known.data(),
                                 static_cast<int>(known.size()), TRUE) == CSTR_EQUAL)
            return name.language;
    }
    return std::nullopt;
}

const wchar_t* CodeOf(Language language) { return NameOf(language).code; }

LANGID ResourceLanguageOf(Language language) { return NameOf(language).resource; }

Language UserLanguage() { return LanguageOfUi(GetUserDefaultUILanguage()); }
