#pragma once
// Work on a thread of its own, as BackgroundCopy does a copy, so that the window goes on answering
// while the work runs.
#include <exception>
#include <functional>
#include <thread>

class BackgroundWork {
public:
    // Starts `work`; `ended` is called once on the work's thread when it has ended, either way.
    BackgroundWork(std::function<void()> work, std::function<void()> ended);
    // Waits for the work to end.
    ~BackgroundWork();
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;

    // Waits for the work to end; what it threw, if anything, never lost with the thread.
    std::exception_ptr Failure();

private:
    std::exception_ptr failure_;
    std::thread thread_;
};
