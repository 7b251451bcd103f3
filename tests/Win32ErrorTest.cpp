#include "system/Win32Error.h"

#include <gtest/gtest.h>

TEST(Win32Error, NamesOperationPathAndTheSystemsTextWithItsCode)
{
    const Win32Error error("Copy file", "C:\\Games\\patch_d2.mpq", ERROR_SHARING_VIOLATION);
    const std::string what = error.what();
    EXPECT_EQ(what.find("Copy file failed: C:\\Games\\patch_d2.mpq: "), 0u) << what;
    EXPECT_NE(what.find(SystemErrorText(ERROR_SHARING_VIOLATION)), std::string::npos);
    EXPECT_NE(what.find("(error 32)"), std::string::npos) << what;
    EXPECT_GT(SystemErrorText(ERROR_SHARING_VIOLATION).size(), std::string(" (error 32)").size());
    const std::string hresult = SystemErrorText(static_cast<DWORD>(E_OUTOFMEMORY));
    EXPECT_NE(hresult.find(" (error 0x8007000E)"), std::string::npos) << hresult;
}
