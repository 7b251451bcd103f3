#include "system/BackgroundWork.h"

#include "system/Win32Error.h"

BackgroundWork::BackgroundWork(std::function<void()> work, std::function<void()> ended)
    : work_(std::move(work)), ended_(std::move(ended)), pooled_(CreateThreadpoolWork(Run, this, nullptr))
{
    if (!pooled_)
        ThrowLastError("Start work in the background", "");
    SubmitThreadpoolWork(pooled_);
}

void CALLBACK BackgroundWork::Run(PTP_CALLBACK_INSTANCE, void* self, PTP_WORK)
{
    auto& background = *static_cast<BackgroundWork*>(self);
    try {
        background.work_();
    } catch (...) {
        background.failure_ = std::current_exception();
    }
    background.ended_();
}

void BackgroundWork::Wait()
{
    if (!pooled_)
        return;
    WaitForThreadpoolWorkCallbacks(pooled_, FALSE);
    CloseThreadpoolWork(pooled_);
    pooled_ = nullptr;
}

std::exception_ptr BackgroundWork::Failure()
{
    Wait();
    return failure_;
}
