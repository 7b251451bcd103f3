#include "bench/Press.h"

#include "system/ScopedHandle.h"
#include "system/Win32Error.h"
#include "tests/TestSupport.h"

#include <cstring>
#include <stdexcept>

LRESULT CALLBACK BoxAnswerer::Answer(int code, WPARAM wParam, LPARAM lParam)
{
    const auto box = reinterpret_cast<HWND>(wParam);
    char className[16] = "";
    if (code == HCBT_ACTIVATE && GetClassNameA(box, className, sizeof className) &&
        std::strcmp(className, "#32770") == 0) {
        // Wine's boxes hold every button and hide those the box doesn't offer; the box itself
        // isn't visible yet, so the button's own style tells.
        const HWND yes = GetDlgItem(box, IDYES);
        const bool offersYes = yes && (GetWindowLongA(yes, GWL_STYLE) & WS_VISIBLE);
        PostMessageA(box, WM_COMMAND, offersYes ? IDYES : IDOK, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

namespace {

void RunToEnd(Form1& form, void (Form1::*command)(), const std::string& success)
{
    const BoxAnswerer answerer;
    (form.*command)();
    while (form.Installing()) {
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 60000, QS_ALLINPUT) == WAIT_TIMEOUT)
            throw std::runtime_error("a command of the window did not end within a minute");
        PumpMessages();
    }
    char status[256] = "";
    GetWindowTextA(form.Control(kLabel4), status, sizeof status);
    if (form.LastOutcome() != Outcome::Done || status != success)
        throw std::runtime_error("a command of the window did not succeed; Label4 says \"" + std::string(status) +
                                 "\"");
}

}  // namespace

void ClearStatus(Form1& form) { SetWindowTextA(form.Control(kLabel4), ""); }

void PressInstall(Form1& form) { RunToEnd(form, &Form1::InstallMod, "Installed Sucessfully"); }

void PressRestore(Form1& form) { RunToEnd(form, &Form1::RestoreBackup, "Original patch_d2.mpq restored."); }

std::unique_ptr<Form1> OpenOn(const std::string& mod, const std::string& game)
{
    auto form = std::make_unique<Form1>(mod);
    if (!form->Create(GetModuleHandleA(nullptr)))
        throw std::runtime_error("Form1 did not start");
    ShowWindow(form->Handle(), SW_SHOWNOACTIVATE);
    form->Dir1().SetPath(game);
    return form;
}

void FlushedCopy(const std::string& from, const std::string& to)
{
    if (!CopyFileA(from.c_str(), to.c_str(), FALSE))
        ThrowLastError("Copy file", from);
    const FileHandle copy(
        CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!copy || !FlushFileBuffers(copy.Get()))
        ThrowLastError("Flush file", to);
}

void ShowAnsweredBox(HWND owner, const std::string& text, const std::string& title, UINT style)
{
    const BoxAnswerer answerer;
    MessageBoxA(owner, text.c_str(), title.c_str(), style);
}
