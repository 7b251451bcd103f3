#include "install/ModFolder.h"

#include "system/CodePage.h"
#include "system/FileSystem.h"

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
