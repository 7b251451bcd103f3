#include "install/Failure.h"

#include "system/CodePage.h"
#include "system/Elevation.h"
#include "system/Texts.h"
#include "system/UserMessages.h"
#include "system/Win32Error.h"

const char* const kFailureTitle = "Vornikel - Install Failed";
const char* const kSendTheLog = "\n\nSend Install.log from the mod's folder when you ask for help.";

namespace {

// The step a failure names, in `language` where it is one of the install's own; as it is otherwise.
std::wstring OperationText(const std::string& operation, Language language)
{
    const std::wstring english = FromCodePage(operation);
    for (UINT id = IDS_OP_FIRST; id <= IDS_OP_LAST; ++id) {
        if (Text(Language::English, id) == english)
            return Text(language, id);
    }
    return english;
}

}  // namespace

std::wstring ErrorDescription(const Win32Error& failure, Language language)
{
    std::wstring message = Text(language, IDS_OPERATION_FAILED, {OperationText(failure.Operation(), language)});
    if (!failure.Path().empty())
        message += L"\n\n" + FromCodePage(failure.Path());
    return message + L"\n\n" + FromCodePage(SystemErrorText(failure.Code()));
}

std::wstring FailureMessage(const std::exception& failure, Language language)
{
    std::wstring message;
    if (const auto* error = dynamic_cast<const Win32Error*>(&failure)) {
        message = ErrorDescription(*error, language);
        if (MissingRights(error->Code()))
            message += L"\n\n" + Text(language, IDS_LACKS_RIGHTS);
    } else {
        message = Text(language, IDS_INSTALLER_FAILED, {FromCodePage(failure.what())});
    }
    return message + L"\n\n" + Text(language, IDS_SEND_THE_LOG) + L"\n\n" + Text(language, IDS_WILL_CLOSE);
}

std::string FailureMessage(const std::exception& failure)
{
    return ToCodePageLossy(FailureMessage(failure, Language::English));
}

void ShowFailure(HWND owner, const std::exception& failure, Language language)
{
    Tell(owner, FailureMessage(failure, language), Text(language, IDS_FAILURE_TITLE), MB_OK | MB_ICONERROR);
}
