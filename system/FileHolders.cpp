#include "system/FileHolders.h"

#include "system/ProcessSetup.h"
#include "system/ScopedHandle.h"

#include <windows.h>

#include <restartmanager.h>

namespace {

struct RestartManager {
    decltype(&RmStartSession) startSession = nullptr;
    decltype(&RmRegisterResources) registerResources = nullptr;
    decltype(&RmGetList) getList = nullptr;
    decltype(&RmEndSession) endSession = nullptr;
};

template <typename Function>
void Find(HMODULE module, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Loaded once and kept: nothing, where the system has no Restart Manager.
const RestartManager* LoadRestartManager()
{
    static const RestartManager* const loaded = []() -> const RestartManager* {
        const HMODULE module = LoadLibraryExA((SystemFolder() + "\\rstrtmgr.dll").c_str(), nullptr, 0);
        if (!module)
            return nullptr;
        static RestartManager calls;
        Find(module, "RmStartSession", calls.startSession);
        Find(module, "RmRegisterResources", calls.registerResources);
        Find(module, "RmGetList", calls.getList);
        Find(module, "RmEndSession", calls.endSession);
        const bool complete = calls.startSession && calls.registerResources && calls.getList && calls.endSession;
        return complete ? &calls : nullptr;
    }();
    return loaded;
}

// A Restart Manager session, ended with its owner.
class Session {
public:
    explicit Session(const RestartManager& calls) : calls_(calls)
    {
        WCHAR key[CCH_RM_SESSION_KEY + 1] = L"";
        started_ = calls_.startSession(&handle_, 0, key) == ERROR_SUCCESS;
    }
    ~Session()
    {
        if (started_)
            calls_.endSession(handle_);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    bool Started() const { return started_; }
    DWORD Handle() const { return handle_; }

private:
    const RestartManager& calls_;
    DWORD handle_ = 0;
    bool started_ = false;
};

// The program's file name, when Windows lets this process see it.
std::wstring FileNameOf(DWORD processId)
{
    const UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    wchar_t path[MAX_PATH] = L"";
    DWORD size = MAX_PATH;
    if (!process || !QueryFullProcessImageNameW(process.Get(), 0, path, &size))
        return L"";
    const std::wstring full(path, size);
    return full.substr(full.rfind(L'\\') + 1);
}

}  // namespace

std::vector<std::wstring> ProgramsHolding(const std::wstring& path)
{
    const RestartManager* calls = LoadRestartManager();
    if (!calls)
        return {};
    const Session session(*calls);
    LPCWSTR files[] = {path.c_str()};
    if (!session.Started() ||
        calls->registerResources(session.Handle(), 1, files, 0, nullptr, 0, nullptr) != ERROR_SUCCESS)
        return {};
    // The list may grow between asking for its size and reading it.
    std::vector<RM_PROCESS_INFO> found;
    UINT needed = 0;
    UINT count = 0;
    DWORD reasons = 0;
    DWORD status = calls->getList(session.Handle(), &needed, &count, nullptr, &reasons);
    for (int attempt = 0; attempt < 3 && status == ERROR_MORE_DATA; ++attempt) {
        found.resize(needed);
        count = needed;
        status = calls->getList(session.Handle(), &needed, &count, found.data(), &reasons);
    }
    if (status != ERROR_SUCCESS)
        return {};
    found.resize(count);
    std::vector<std::wstring> names;
    for (const RM_PROCESS_INFO& program : found) {
        names.push_back(HolderName(program.strAppName, FileNameOf(program.Process.dwProcessId)));
    }
    return names;
}

std::wstring HolderName(const std::wstring& name, const std::wstring& file)
{
    return file.empty() ? name : name + L" (" + file + L")";
}
