// The window's texts: every language has each of them, with the English one's placeholders and
// fixed names; placeholders are filled in whatever order a language puts them.
#include "system/Texts.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

// The ids of the texts the English table holds: every block of the string tables, each of its 16
// places.
std::vector<UINT> EnglishTextIds()
{
    std::vector<UINT> ids;
    EnumResourceNamesW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(6) /* RT_STRING */,
        [](HMODULE, LPCWSTR, LPWSTR block, LONG_PTR found) -> BOOL {
            for (UINT id = (reinterpret_cast<UINT_PTR>(block) - 1) * 16, end = id + 16; id < end; ++id) {
                if (TextIn(Language::English, id))
                    reinterpret_cast<std::vector<UINT>*>(found)->push_back(id);
            }
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&ids));
    return ids;
}

// What a translation must keep as the English text has it: its placeholders, and the names of
// files and folders that are the same in every language.
std::multiset<std::wstring> Kept(const std::wstring& text)
{
    std::multiset<std::wstring> kept;
    for (std::size_t at = text.find(L'%'); at != std::wstring::npos; at = text.find(L'%', at + 2))
        kept.insert(text.substr(at, 2));
    for (const wchar_t* name : {L"patch_d2.mpq", L"patch_d2_backup.mpq", L"Install.exe", L"Install.log",
                                L"modsettings.ini", L"ScriptFile", L"C:\\Mods", L"Vornikel"}) {
        for (std::size_t at = text.find(name); at != std::wstring::npos; at = text.find(name, at + 1))
            kept.insert(name);
    }
    return kept;
}

}  // namespace

TEST(Texts, EveryLanguageHasEveryTextWithTheEnglishPlaceholdersAndNames)
{
    const std::vector<UINT> ids = EnglishTextIds();
    ASSERT_GE(ids.size(), 23u);
    for (const UINT id : ids) {
        const std::wstring english = TextIn(Language::English, id).value();
        for (const Language language : kLanguages) {
            const std::optional<std::wstring> text = TextIn(language, id);
            if (!text)
                ADD_FAILURE() << "text " << id << " is missing in " << CodeOf(language);
            else
                EXPECT_EQ(Kept(*text), Kept(english)) << "text " << id << " in " << CodeOf(language);
        }
    }
}

TEST(Texts, FillsPlaceholdersInAnyOrder)
{
    const struct {
        const wchar_t* pattern;
        std::wstring text;
    } formatted[] = {
        {L"Author: %1", L"Author: Vornikel"},     {L"%2 before %1", L"C:\\Games before Vornikel"},
        {L"%1%1", L"VornikelVornikel"},           {L"100%% of %1, %%1", L"100% of Vornikel, %1"},
        {L"%3 has no value", L"%3 has no value"}, {L"%0, %a and a last %", L"%0, %a and a last %"},
    };
    for (const auto& [pattern, text] : formatted)
        EXPECT_EQ(FormatText(pattern, {L"Vornikel", L"C:\\Games"}), text) << pattern;
    EXPECT_EQ(Text(Language::German, IDS_FOLDER_CANT_BE_READ, {L"C:\\Spiele", L"Zugriff verweigert."}),
              L"Der Ordner C:\\Spiele kann nicht gelesen werden:\n\nZugriff verweigert.");
}
