#pragma once
// Work on a thread of the process's thread pool, so that the window goes on answering while it
// runs: a copy of the archive, the checks of a big mod. A pool's thread is started once and then
// kept, where a thread of its own for each piece of work would cost its start each time.
#include <windows.h>

#include <exception>
#include <functional>

class BackgroundWork {
public:
    // Starts `work`; `ended` is called once on the work's thread when it has ended, either way.
    // Throws Win32Error when the pool can't take it.
    BackgroundWork(std::function<void()> work, std::function<void()> ended);
    // Waits for the work to end.
    ~BackgroundWork() { Wait(); }
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;

    // Waits for the work to end; what it threw, if anything, never lost with the thread.
    std::exception_ptr Failure();

private:
    static void CALLBACK Run(PTP_CALLBACK_INSTANCE, void* self, PTP_WORK);
    void Wait();

    std::function<void()> work_;
    std::function<void()> ended_;
    std::exception_ptr failure_;
    PTP_WORK pooled_ = nullptr;
};
