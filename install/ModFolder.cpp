#include "install/ModFolder.h"

#include "system/CodePage.h"
#include "system/FileSystem.h"

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

const wchar_t* const kUnpackFirstTitle = L"Unpack the Mod First";

std::optional<std::string> ModFolder(const std::function<void(const std::wstring&, const std::wstring&)>& tell)
{
    const std::wstring folder = ThisProgramsFolder();
    std::optional<std::string> usable = AnsiPathOf(folder);
    if (!usable)
        tell(L"The name of the mod's folder can't be used:\n\n" + folder +
                 L"\n\nIt holds letters that this system's code page can't write, which the installer and the "
                 L"archiver need, and Windows keeps no short name for it. Move the mod's folder into a folder "
                 L"with a plain name (such as C:\\Mods) and start Install.exe there.",
             L"Vornikel - Mod Folder Not Usable");
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

std::wstring UnpackFirstText(const std::wstring& folder)
{
    return L"Install.exe was started from inside the mod's zip file, so Windows copied only Install.exe, without "
           L"the mod's files, to a temporary folder:\n\n" +
           folder +
           L"\n\nThere is nothing to install from there. Unpack the whole zip file into a folder of its own "
           L"(right-click it, \"Extract All...\"), then start Install.exe in that folder.";
}
