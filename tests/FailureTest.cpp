#include "install/Failure.h"
#include "system/Elevation.h"
#include "system/Win32Error.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

TEST(FailureReport, NamesTheOperationThePathAndTheSystemsText)
{
    const Win32Error failure("Copy file", "C:\\Games\\Diablo II\\patch_d2.mpq", ERROR_SHARING_VIOLATION);
    MessageBoxWatcher boxes;
    ShowFailure(nullptr, failure);

    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, kFailureTitle);
    EXPECT_EQ(shown[0].text, "Copy file failed.\n\nC:\\Games\\Diablo II\\patch_d2.mpq\n\n" +
                                 SystemErrorText(ERROR_SHARING_VIOLATION) + kSendTheLog +
                                 "\n\nThe installer will now close.");
    EXPECT_TRUE(shown[0].anyIcon);
}

TEST(FailureReport, SaysWhenMissingRightsMayBeTheCauseAndThatAdministratorMayHelp)
{
    for (const DWORD code : {static_cast<DWORD>(ERROR_ACCESS_DENIED), static_cast<DWORD>(ERROR_NETWORK_ACCESS_DENIED),
                             static_cast<DWORD>(ERROR_PRIVILEGE_NOT_HELD), static_cast<DWORD>(ERROR_ELEVATION_REQUIRED),
                             static_cast<DWORD>(E_ACCESSDENIED)}) {
        const std::string message =
            FailureMessage(Win32Error("Write the rewritten script", "C:\\Mod\\correctscript.tmp", code));
        EXPECT_NE(message.find("lacks the rights"), std::string::npos) << message;
        EXPECT_NE(message.find("Running Install.exe as administrator"), std::string::npos) << message;
        EXPECT_EQ(message.find("C:\\Mod\\correctscript.tmp"), message.find("failed.\n\n") + 9) << message;
    }
    for (const DWORD code : {ERROR_SHARING_VIOLATION, ERROR_DISK_FULL, ERROR_FILE_NOT_FOUND}) {
        const std::string message = FailureMessage(Win32Error("Back up the game's patch archive", "C:\\x", code));
        EXPECT_EQ(message.find("administrator"), std::string::npos) << message;
    }
}

TEST(FailureReport, NamesTheInstallsOwnStepsInTheWindowsLanguage)
{
    EXPECT_EQ(ErrorDescription(Win32Error("Start the archiver", "C:\\Mod", ERROR_FILE_NOT_FOUND), Language::German)
                  .find(L"Das Starten des Archivierers ist fehlgeschlagen.\n\nC:\\Mod\n\n"),
              0u);
    EXPECT_EQ(ErrorDescription(Win32Error("Resolve path", "", ERROR_FILE_NOT_FOUND), Language::Polish)
                  .find(L"Nie udało się ustalić ścieżki.\n\n"),
              0u);
    EXPECT_EQ(ErrorDescription(Win32Error("Copy file", "C:\\x", ERROR_DISK_FULL), Language::German)
                  .find(L"Copy file ist fehlgeschlagen."),
              0u);
}
