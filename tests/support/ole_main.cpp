// Test main for the Windows tests: the thread is a single-threaded apartment, as in the program.
#include <gtest/gtest.h>

#include <ole2.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (FAILED(OleInitialize(nullptr))) return 3;
    const int result = RUN_ALL_TESTS();
    OleUninitialize();
    return result;
}
