#include "system/ProcessSetup.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <thread>

TEST(ProcessSetup, EndsCOMOnlyWhereItStartedIt)
{
    std::thread([] {
        {
            const ProcessSetup setup;
        }
        // Ended where it was started: this thread may join the multithreaded apartment now.
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        // A set-up on a thread already in that apartment can't start COM, and leaves the thread in it.
        {
            const ProcessSetup setup;
        }
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
        CoUninitialize();
        CoUninitialize();
        // A set-up on a thread already in a single-threaded apartment joins it, and leaves it again.
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
        {
            const ProcessSetup setup;
        }
        CoUninitialize();
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        CoUninitialize();
    }).join();
}
