#pragma once
// The window's commands pressed as a player presses them, for the rows that time a whole command: a
// Form1 open on a game folder, each command run to its end, its boxes answered the moment they show.
#include "window/Form1.h"

#include <windows.h>

#include <memory>
#include <string>

// Answers each message box of the calling thread the moment it is shown, by pressing its Yes
// button where it has one and its OK button otherwise: the boxes cost the benchmark no waiting.
class BoxAnswerer {
public:
    BoxAnswerer() : hook_(SetWindowsHookExA(WH_CBT, Answer, nullptr, GetCurrentThreadId())) {}
    ~BoxAnswerer() { UnhookWindowsHookEx(hook_); }
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

private:
    static LRESULT CALLBACK Answer(int code, WPARAM wParam, LPARAM lParam);

    HHOOK hook_;
};

// A Form1 on the mod's folder `mod`, shown, its folder list open on `game`.
std::unique_ptr<Form1> OpenOn(const std::string& mod, const std::string& game);

// Empties the status line, so that a command that ends without a word can't pass for the last one.
void ClearStatus(Form1& form);

// Each runs its command and returns when it has ended: the copy and the archiver are done and the
// last box answered. A command that didn't succeed throws, since its time would measure other work
// than the baseline's.
void PressInstall(Form1& form);
void PressRestore(Form1& form);

// The platform's copy, forced to the disk as the installer forces its copies, so that a power cut
// can't leave the only unmodded archive torn.
void FlushedCopy(const std::string& from, const std::string& to);

// A box the window must show, as the platform shows it, answered the moment it shows: the box
// costs any program that shows it the same (some 20 ms under Wine), so it stands on both sides.
void ShowAnsweredBox(HWND owner, const std::string& text, const std::string& title, UINT style);
