// main of the tests that start the real programs: run them, then remove their scratch files.

#include "harness.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    fs::remove_all(harness::Scratch());
    return result;
}
