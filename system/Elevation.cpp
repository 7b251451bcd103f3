#include "system/Elevation.h"

#include "system/Platform.h"
#include "system/ProcessSetup.h"
#include "system/ScopedHandle.h"

#include <shellapi.h>

bool ProcessIsElevated()
{
    HANDLE opened = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened))
        return false;
    const UniqueHandle token(opened);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated != 0;
}

DWORD CreateRefusal(const std::string& path)
{
    const FileHandle probe(CreateFileA(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                       nullptr));
    if (probe)
        return ERROR_SUCCESS;
    if (GetLastError() != ERROR_FILE_EXISTS)
        return GetLastError();
    const FileHandle left(CreateFileA(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
    return left ? ERROR_SUCCESS : GetLastError();
}

bool MissingRights(DWORD code)
{
    // COM reports the same errors as HRESULTs of the Win32 facility.
    if (HRESULT_FACILITY(code) == FACILITY_WIN32 && (code & 0x80000000))
        code = HRESULT_CODE(code);
    switch (code) {
    case ERROR_ACCESS_DENIED:
    case ERROR_NETWORK_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
    case ERROR_ELEVATION_REQUIRED:
        return true;
    default:
        return false;
    }
}

std::optional<std::string> FolderForAdministrator(const std::string& folder)
{
    if (folder.size() < 2 || folder[1] != ':')
        return folder;
    const std::string drive = folder.substr(0, 2);
    if (GetDriveTypeA((drive + "\\").c_str()) != DRIVE_REMOTE)
        return folder;
    // mpr.dll, the network's provider router, is loaded once, and only for a game on a network drive.
    using GetConnection = DWORD(WINAPI*)(LPCSTR, LPSTR, LPDWORD);
    static const auto getConnection = []() -> GetConnection {
        const HMODULE mpr = LoadLibraryExA((SystemFolder() + "\\mpr.dll").c_str(), nullptr, 0);
        return mpr ? reinterpret_cast<GetConnection>(reinterpret_cast<void*>(GetProcAddress(mpr, "WNetGetConnectionA")))
                   : nullptr;
    }();
    char remote[MAX_PATH] = "";
    DWORD size = MAX_PATH;
    if (!getConnection || getConnection(drive.c_str(), remote, &size) != NO_ERROR)
        return std::nullopt;
    return remote + folder.substr(2);
}

DWORD StartAsAdministrator(HWND owner, const std::string& program, const std::string& parameters,
                           const std::string& directory)
{
    SHELLEXECUTEINFOA shell{};
    shell.cbSize = sizeof shell;
    shell.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    shell.hwnd = owner;
    shell.lpVerb = "runas";
    shell.lpFile = program.c_str();
    shell.lpParameters = parameters.c_str();
    shell.lpDirectory = directory.c_str();
    shell.nShow = SW_SHOWNORMAL;
    if (Platform().shellExecuteEx(&shell))
        return ERROR_SUCCESS;
    // A failure always sets the last error; should one not, it must still not pass for a start.
    const DWORD error = GetLastError();
    return error ? error : ERROR_GEN_FAILURE;
}
