#pragma once
// CopyFileDurably on a thread of its own, so that the window goes on answering while a large
// archive is copied to a slow disk.
#include "system/BackgroundWork.h"
#include "system/FileSystem.h"

#include <atomic>
#include <exception>
#include <functional>
#include <string>

class BackgroundCopy {
public:
    // Starts copying. `progress` gets the percent done, at most ten times a second, and `ended` is
    // called once when the copy has ended, either way; both on the copy's thread.
    BackgroundCopy(std::string from, std::string to, bool replace, CopiedAttributes attributes,
                   std::function<void(int percent)> progress, std::function<void()> ended);
    // Cancels a copy that still runs and waits for it: its temporary is gone then, `to` as it was.
    ~BackgroundCopy();
    // Asks a copy that still runs to end without a trace; `ended` is called all the same.
    void Cancel() { cancelled_ = true; }
    BackgroundCopy(const BackgroundCopy&) = delete;
    BackgroundCopy& operator=(const BackgroundCopy&) = delete;

    // Waits for the copy to end; the failure that ended it, if any: a Win32Error, or whatever else
    // the copy's thread met (an allocation that failed), never lost with the thread.
    std::exception_ptr Failure() { return work_.Failure(); }

private:
    void Copy(const std::string& from, const std::string& to, bool replace, CopiedAttributes attributes,
              const std::function<void(int)>& progress);

    std::atomic<bool> cancelled_{false};
    BackgroundWork work_;
};
