// Runs the tests in the same process set-up as Install.exe.
#include "system/ProcessSetup.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    const ProcessSetup setup;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
