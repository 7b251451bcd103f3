#include "system/BackgroundCopy.h"

#include "system/FileSystem.h"

#include <windows.h>

BackgroundCopy::BackgroundCopy(std::string from, std::string to, bool replace, CopiedAttributes attributes,
                               std::function<void(int)> progress, std::function<void()> ended)
    : work_([this, from = std::move(from), to = std::move(to), replace, attributes,
             progress = std::move(progress)] { Copy(from, to, replace, attributes, progress); },
            std::move(ended))
{
}

BackgroundCopy::~BackgroundCopy() { cancelled_ = true; }

void BackgroundCopy::Copy(const std::string& from, const std::string& to, bool replace, CopiedAttributes attributes,
                          const std::function<void(int)>& progress)
{
    int shown = -1;
    ULONGLONG shownAt = 0;
    CopyFileDurably(
        from, to, replace,
        [&](int percent) {
            const ULONGLONG now = GetTickCount64();
            if (percent != shown && (shown < 0 || now - shownAt >= 100)) {
                progress(percent);
                shown = percent;
                shownAt = now;
            }
            return !cancelled_;
        },
        attributes);
}
