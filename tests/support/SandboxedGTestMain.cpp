// The entry point of every plain-code test program: the sandbox first, then the tests.

#include "EnterSandbox.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    EnterSandbox();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
