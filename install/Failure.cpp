#include "install/Failure.h"

#include "system/Elevation.h"
#include "system/UserMessages.h"
#include "system/Win32Error.h"

const char* const kFailureTitle = "Vornikel - Install Failed";
const char* const kSendTheLog = "\n\nSend Install.log from the mod's folder when you ask for help.";

std::string ErrorDescription(const Win32Error& failure)
{
    std::string message = failure.Operation() + " failed.\n\n";
    if (!failure.Path().empty())
        message += failure.Path() + "\n\n";
    return message + SystemErrorText(failure.Code());
}

std::string FailureMessage(const std::exception& failure)
{
    std::string message;
    if (const auto* error = dynamic_cast<const Win32Error*>(&failure)) {
        message = ErrorDescription(*error);
        if (MissingRights(error->Code()))
            message +=
                "\n\nThe installer lacks the rights for this. Running Install.exe as administrator "
                "(right-click it, \"Run as administrator\") may help.";
    } else {
        message = std::string("The installer failed: ") + failure.what();
    }
    return message + kSendTheLog + "\n\nThe installer will now close.";
}

void ShowFailure(HWND owner, const std::exception& failure)
{
    Tell(owner, FailureMessage(failure), kFailureTitle, MB_OK | MB_ICONERROR);
}
