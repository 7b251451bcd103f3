#include "app/Failure.h"

#include "system/UserMessages.h"
#include "system/Win32Error.h"

const char* const kFailureTitle = "Vornikel - Install Failed";

namespace {

// Errors that mean this user may not do it: the game usually lies under Program Files, which
// only an administrator may write to.
bool MissingRights(DWORD code)
{
    // COM reports the same errors as HRESULTs of the Win32 facility.
    if (HRESULT_FACILITY(code) == FACILITY_WIN32 && (code & 0x80000000))
        code = HRESULT_CODE(code);
    switch (code) {
    case ERROR_ACCESS_DENIED:
    case ERROR_NETWORK_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
    case ERROR_ELEVATION_REQUIRED:
        return true;
    default:
        return false;
    }
}

}  // namespace

std::string FailureMessage(const std::exception& failure)
{
    std::string message;
    if (const auto* error = dynamic_cast<const Win32Error*>(&failure)) {
        message = error->Operation() + " failed.\n\n";
        if (!error->Path().empty())
            message += error->Path() + "\n\n";
        message += SystemErrorText(error->Code());
        if (MissingRights(error->Code()))
            message +=
                "\n\nThe installer lacks the rights for this. Running Install.exe as administrator "
                "(right-click it, \"Run as administrator\") may help.";
    } else {
        message = std::string("The installer failed: ") + failure.what();
    }
    return message + "\n\nThe installer will now close.";
}

void ShowFailure(HWND owner, const std::exception& failure)
{
    Tell(owner, FailureMessage(failure), kFailureTitle, MB_OK | MB_ICONERROR);
}
