#include "system/Language.h"

#include <gtest/gtest.h>

TEST(Language, FollowsWindowsUiLanguageByItsPrimaryLanguageAndChineseByItsScript)
{
    const std::pair<LANGID, Language> chosen[] = {
        {0x0407, Language::German},              // Germany
        {0x0807, Language::German},              // Switzerland
        {0x0416, Language::Portuguese},          // Brazil
        {0x0816, Language::Portuguese},          // Portugal
        {0x080A, Language::Spanish},             // Mexico
        {0x0804, Language::ChineseSimplified},   // the mainland
        {0x1004, Language::ChineseSimplified},   // Singapore
        {0x0404, Language::ChineseTraditional},  // Taiwan
        {0x0C04, Language::ChineseTraditional},  // Hong Kong
        {0x1404, Language::ChineseTraditional},  // Macau
        {0x7C04, Language::ChineseTraditional},  // the script alone
        {0x0411, Language::Japanese},
        {0x0412, Language::Korean},
        {0x0415, Language::Polish},
        {0x0419, Language::Russian},
        {0x0809, Language::English},  // the United Kingdom
        {0x040B, Language::English},  // Finnish, which the game doesn't speak
        {0x041F, Language::English},  // Turkish
    };
    for (const auto& [ui, language] : chosen)
        EXPECT_EQ(LanguageOfUi(ui), language) << std::hex << ui;
    // Each language's texts are found where its Windows asks for them.
    for (const Language language : kLanguages)
        EXPECT_EQ(LanguageOfUi(ResourceLanguageOf(language)), language) << static_cast<int>(language);
}

TEST(Language, LangNamesOneOfTwelveCodesInAnyCase)
{
    const std::pair<const wchar_t*, Language> named[] = {
        {L"en", Language::English},
        {L"ES", Language::Spanish},
        {L"de", Language::German},
        {L"Fr", Language::French},
        {L"pt", Language::Portuguese},
        {L"IT", Language::Italian},
        {L"ja", Language::Japanese},
        {L"ko", Language::Korean},
        {L"zh-CN", Language::ChineseSimplified},
        {L"zh-tw", Language::ChineseTraditional},
        {L"PL", Language::Polish},
        {L"ru", Language::Russian},
    };
    for (const auto& [code, language] : named)
        EXPECT_EQ(LanguageOfCode(code), language) << code;
    for (const Language language : kLanguages)
        EXPECT_EQ(LanguageOfCode(CodeOf(language)), language) << CodeOf(language);
    for (const wchar_t* unknown : {L"", L"zh", L"deu", L"en-US", L"d", L"pt-BR", L"tr"})
        EXPECT_EQ(LanguageOfCode(unknown), std::nullopt) << unknown;
}
