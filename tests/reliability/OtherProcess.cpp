#include "OtherProcess.h"

#include "TestSupport.h"

HeldByAnotherProcess::HeldByAnotherProcess(const std::string& path)
{
    const std::string event =
        "reliability-held-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64());
    const UniqueHandle ready(CreateEventA(nullptr, TRUE, FALSE, event.c_str()));
    process_ = StartProcess('"' + ThisProgram() + "\" --hold \"" + path + "\" " + event, ".");
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
