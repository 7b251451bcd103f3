#include "OtherProcess.h"


std::string SuiteProgram()
{
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    return self;
}

UniqueHandle StartProcess(const std::string& commandLine, const std::string& directory, DWORD* processId)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(), &startup,
                        &started))
        return UniqueHandle();
    const UniqueHandle thread(started.hThread);
    if (processId)
        *processId = started.dwProcessId;
    return UniqueHandle(started.hProcess);
}

HeldByAnotherProcess::HeldByAnotherProcess(const std::string& path)
{
    const std::string event = "reliability-held-" + std::to_string(GetCurrentProcessId()) + "-" +
                              std::to_string(GetTickCount64());
    const UniqueHandle ready(CreateEventA(nullptr, TRUE, FALSE, event.c_str()));
    process_ = StartProcess('"' + SuiteProgram() + "\" --hold \"" + path + "\" " + event, ".");
    if (!process_)
        return;
    const HANDLE waits[] = {ready.Get(), process_.Get()};
    holding_ = WaitForMultipleObjects(2, waits, FALSE, 20000) == WAIT_OBJECT_0;
}

HeldByAnotherProcess::~HeldByAnotherProcess()
{
    if (process_) {
        TerminateProcess(process_.Get(), 0);
        WaitForSingleObject(process_.Get(), 20000);
    }
}
