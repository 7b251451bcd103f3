// Runs the tests in the same process set-up as Install.exe.
#include "TestSupport.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    SetUpLikeInstallExe();
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    ShutDownLikeInstallExe();
    return result;
}
