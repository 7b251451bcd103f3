#include "app/Failure.h"

#include "system/Win32Error.h"

const char* const kFailureTitle = "Vornikel - Install Failed";

std::string FailureMessage(const std::exception& failure)
{
    std::string message;
    if (const auto* error = dynamic_cast<const Win32Error*>(&failure)) {
        message = error->Operation() + " failed.\n\n";
        if (!error->Path().empty())
            message += error->Path() + "\n\n";
        message += SystemErrorText(error->Code());
    } else {
        message = std::string("The installer failed: ") + failure.what();
    }
    return message + "\n\nThe installer will now close.";
}

void ShowFailure(HWND owner, const std::exception& failure)
{
    MessageBoxA(owner, FailureMessage(failure).c_str(), kFailureTitle, MB_OK | MB_ICONERROR);
}
