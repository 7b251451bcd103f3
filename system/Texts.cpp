#include "system/Texts.h"

std::optional<std::wstring> TextIn(Language language, UINT id)
{
    // A string table's block holds 16 texts, each its length and then its characters; a text the
    // table lacks has length 0.
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC block = FindResourceExW(module, MAKEINTRESOURCEW(6) /* RT_STRING */, MAKEINTRESOURCEW(id / 16 + 1),
                                        ResourceLanguageOf(language));
    const auto* entry = block ? static_cast<const wchar_t*>(LockResource(LoadResource(module, block))) : nullptr;
    if (!entry)
        return std::nullopt;
    const wchar_t* const end = entry + SizeofResource(module, block) / sizeof(wchar_t);
    for (UINT skipped = 0; skipped < id % 16 && entry < end; ++skipped)
        entry += 1 + *entry;
    if (entry >= end || *entry == 0 || *entry >= end - entry)
        return std::nullopt;
    return std::wstring(entry + 1, *entry);
}

std::wstring Text(Language language, UINT id, std::initializer_list<std::wstring_view> values)
{
    const std::optional<std::wstring> text = TextIn(language, id);
    return FormatText(text ? *text : TextIn(Language::English, id).value_or(L""), values);
}

std::wstring FormatText(std::wstring_view pattern, std::initializer_list<std::wstring_view> values)
{
    std::wstring text;
    text.reserve(pattern.size());
    for (std::size_t at = 0; at < pattern.size(); ++at) {
        const wchar_t next = at + 1 < pattern.size() ? pattern[at + 1] : L'\0';
        const std::size_t value = static_cast<std::size_t>(next - L'1');
        if (pattern[at] == L'%' && next == L'%') {
            text += L'%';
            ++at;
        } else if (pattern[at] == L'%' && next >= L'1' && next <= L'9' && value < values.size()) {
            text += values.begin()[value];
            ++at;
        } else {
            text += pattern[at];
        }
    }
    return text;
}
