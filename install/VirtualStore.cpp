#include "install/VirtualStore.h"

#include "system/CodePage.h"
#include "system/FileSystem.h"
#include "system/Win32Error.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

namespace {

std::wstring KnownFolder(REFKNOWNFOLDERID id)
{
    PWSTR path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)))
        folder = path;
    CoTaskMemFree(path);
    return folder;
}

}  // namespace

std::optional<std::wstring> VirtualStoreCopyOf(const std::string& path)
{
    // The folders stay where they are while the program runs: looked up once, on the first press.
    static const std::vector<std::wstring> virtualized = {
        KnownFolder(FOLDERID_ProgramFiles), KnownFolder(FOLDERID_ProgramFilesX86), KnownFolder(FOLDERID_Windows),
        KnownFolder(FOLDERID_ProgramData)};
    static const std::wstring localData = KnownFolder(FOLDERID_LocalAppData);
    const std::wstring file = LongPathOf(FromCodePage(path));
    const bool inside = std::any_of(virtualized.begin(), virtualized.end(),
                                    [&file](const std::wstring& folder) { return Inside(file, folder); });
    if (!inside || localData.empty() || file.size() < 3 || file[1] != L':')
        return std::nullopt;
    const std::wstring copy = localData + L"\\VirtualStore" + file.substr(2);
    const DWORD attributes = GetFileAttributesW(copy.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return copy;
}

std::wstring MoveVirtualStoreCopyAside(const std::wstring& copy)
{
    const std::wstring folder = copy.substr(0, copy.rfind(L'\\') + 1);
    for (int number = 1;; ++number) {
        const std::wstring suffix = number == 1 ? L"" : L" (" + std::to_wstring(number) + L")";
        const std::wstring aside = folder + L"patch_d2_virtualstore" + suffix + L".mpq";
        if (MoveFileExW(copy.c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH))
            return aside;
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            throw Win32Error("Move the copy of patch_d2.mpq that Windows keeps for older programs aside",
                             ToCodePageLossy(copy), error);
    }
}
