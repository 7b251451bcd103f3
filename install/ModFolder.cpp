#include "install/ModFolder.h"

#include "system/CodePage.h"
#include "system/FileSystem.h"
#include "system/Texts.h"

#include <windows.h>

namespace {

bool InTheTemporaryFolder(const std::wstring& folder)
{
    wchar_t temp[MAX_PATH + 1] = L"";
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH)
        return false;
    std::wstring temporary = LongPathOf(temp);
    if (temporary.back() == L'\\')
        temporary.pop_back();
    return Inside(folder, temporary);
}

}  // namespace

std::optional<std::string> ModFolder(Language language,
                                     const std::function<void(const std::wstring&, const std::wstring&)>& tell)
{
    const std::wstring folder = ThisProgramsFolder();
    std::optional<std::string> usable = AnsiPathOf(folder);
    if (!usable)
        tell(Text(language, IDS_MOD_FOLDER_NOT_USABLE, {folder}), Text(language, IDS_MOD_FOLDER_NOT_USABLE_TITLE));
    return usable;
}

bool StartedFromInsideAZip(const std::wstring& folder)
{
    const DWORD attributes = GetFileAttributesW((folder + L"\\modsettings.ini").c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
        return false;
    std::wstring here = LongPathOf(folder);
    if (here.back() != L'\\')
        here += L'\\';
    if (InTheTemporaryFolder(here))
        return true;
    for (std::size_t end = here.find(L'\\'); end != std::wstring::npos; end = here.find(L'\\', end + 1)) {
        if (end >= 4 && CompareStringOrdinal(here.c_str() + end - 4, 4, L".zip", 4, TRUE) == CSTR_EQUAL)
            return true;
    }
    return false;
}

std::wstring UnpackFirstTitle(Language language) { return Text(language, IDS_UNPACK_FIRST_TITLE); }

std::wstring UnpackFirstText(Language language, const std::wstring& folder)
{
    return Text(language, IDS_UNPACK_FIRST, {folder});
}
