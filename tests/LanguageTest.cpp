#include "system/Language.h"

#include <gtest/gtest.h>

TEST(Language, FollowsWindowsUiLanguageByItsPrimaryLanguageAndChineseByItsScript)
{
    using enum Language;
    // German of Germany and Switzerland, Portuguese of Brazil and Portugal, Mexican Spanish; Chinese
    // of the mainland, Singapore, Taiwan, Hong Kong, Macau and Traditional alone; British English,
    // Finnish and Turkish.
    const std::pair<LANGID, Language> chosen[] = {{0x0407, German},
                                                  {0x0807, German},
                                                  {0x0416, Portuguese},
                                                  {0x0816, Portuguese},
                                                  {0x080A, Spanish},
                                                  {0x0804, ChineseSimplified},
                                                  {0x1004, ChineseSimplified},
                                                  {0x0404, ChineseTraditional},
                                                  {0x0C04, ChineseTraditional},
                                                  {0x1404, ChineseTraditional},
                                                  {0x7C04, ChineseTraditional},
                                                  {0x0411, Japanese},
                                                  {0x0412, Korean},
                                                  {0x0415, Polish},
                                                  {0x0419, Russian},
                                                  {0x0809, English},
                                                  {0x040B, English},
                                                  {0x041F, English}};
    for (const auto& [ui, language] : chosen)
        EXPECT_EQ(LanguageOfUi(ui), language) << std::hex << ui;
    // Each language's texts are found where its Windows asks for them, and /LANG= names each.
    for (const Language language : kLanguages) {
        EXPECT_EQ(LanguageOfUi(ResourceLanguageOf(language)), language) << CodeOf(language);
        EXPECT_EQ(LanguageOfCode(CodeOf(language)), language) << CodeOf(language);
    }
    for (const auto& [code, language] : {std::pair{L"ES", Spanish}, {L"Fr", French}, {L"zh-tw", ChineseTraditional}})
        EXPECT_EQ(LanguageOfCode(code), language) << code;
    for (const wchar_t* unknown : {L"", L"zh", L"deu", L"en-US", L"pt-BR", L"tr"})
        EXPECT_EQ(LanguageOfCode(unknown), std::nullopt) << unknown;
}
