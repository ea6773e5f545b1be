#pragma once
// Points HOME, the XDG folders and every KESTREL_* location at the test program's own sandbox
// under the build tree (kSandboxEnvironment, generated per program), so that a test never
// touches the user's real files, whether CTest or a developer starts it.

#include <cstdlib>
#include <string>

#include "TestSandbox.h" // generated per test program: kSandboxEnvironment

inline void EnterSandbox() {
    for (const char* const* entry = kSandboxEnvironment; *entry; ++entry) {
        const std::string assignment(*entry);
        const auto equals = assignment.find('=');
        setenv(assignment.substr(0, equals).c_str(), assignment.substr(equals + 1).c_str(), 1);
    }
}
