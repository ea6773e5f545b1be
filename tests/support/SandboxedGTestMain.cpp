// The entry point of every plain-code test program. Before any test runs it points HOME, the XDG
// folders and every KESTREL_* location at the program's own sandbox under the build tree, so a
// test never touches the user's real files, whether CTest or a developer starts it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "TestSandbox.h" // generated per test program: kSandboxEnvironment

int main(int argc, char** argv) {
    for (const char* const* entry = kSandboxEnvironment; *entry; ++entry) {
        const std::string assignment(*entry);
        const auto equals = assignment.find('=');
        setenv(assignment.substr(0, equals).c_str(), assignment.substr(equals + 1).c_str(), 1);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
