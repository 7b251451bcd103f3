#include "install/LastInstall.h"

#include "install/GameFiles.h"
#include "system/CodePage.h"

#include <cstdio>

LastInstall JudgeLastInstall(bool noted, bool atWork, bool backedUp)
{
    if (atWork)
        return LastInstall::AtWork;
    if (!noted)
        return LastInstall::Ended;
    return backedUp ? LastInstall::Interrupted : LastInstall::InterruptedWithoutBackup;
}

// Mutex names end at MAX_PATH characters and may hold no backslash after the namespace's: the
// folder is named by a hash of its path in capitals. An administrator's Install.exe runs in the
// player's own session, so the session's namespace holds both.
std::wstring AtWorkName(const std::wstring& fullPath)
{
    std::wstring path = fullPath;
    while (path.size() > 3 && path.back() == L'\\')
        path.pop_back();
    if (!path.empty())
        CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
    unsigned long long hash = 14695981039346656037ull;
    for (const wchar_t c : path)
        hash = (hash ^ static_cast<unsigned long long>(c)) * 1099511628211ull;
    wchar_t name[64];
    swprintf(name, 64, L"Local\\Install.exe at work %016llX", hash);
    return name;
}

namespace {

// The folder's path as Windows resolves it, long names in place of short ones.
std::wstring AtWorkNameOf(const std::string& game)
{
    const std::wstring wide = FromCodePage(game);
    std::wstring full(GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr) + 1, L'\0');
    full.resize(GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr));
    std::wstring longer(GetLongPathNameW(full.c_str(), nullptr, 0) + 1, L'\0');
    longer.resize(GetLongPathNameW(full.c_str(), longer.data(), static_cast<DWORD>(longer.size())));
    return AtWorkName(longer.empty() ? (full.empty() ? wide : full) : longer);
}

}  // namespace

bool InstallAtWork(const std::string& game)
{
    const UniqueHandle mutex(CreateMutexW(nullptr, FALSE, AtWorkNameOf(game).c_str()));
    // One an administrator's Install.exe made may be refused to a player's: that it exists says enough.
    if (!mutex)
        return GetLastError() == ERROR_ACCESS_DENIED;
    const DWORD waited = WaitForSingleObject(mutex.Get(), 0);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED)
        return true;
    ReleaseMutex(mutex.Get());
    return false;
}

std::optional<OwnedMutex> TakeAtWork(const std::string& game)
{
    UniqueHandle mutex(CreateMutexW(nullptr, FALSE, AtWorkNameOf(game).c_str()));
    // Another Install.exe looking whether this one is at work holds it for a moment.
    const DWORD waited = mutex ? WaitForSingleObject(mutex.Get(), 1000) : WAIT_FAILED;
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED)
        return std::nullopt;
    return OwnedMutex(mutex.Release());
}

LastInstall LastInstallIn(const std::string& game, const ModsRecord& record)
{
    const bool noted = record.underWay.has_value();
    return JudgeLastInstall(noted, noted && InstallAtWork(game), AnyFileExists(BackupIn(game)));
}
