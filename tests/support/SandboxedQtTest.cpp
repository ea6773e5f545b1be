// Linked into every widget test program. QTEST_MAIN writes main() itself, so the sandbox is
// entered while the program's globals are made, before main() creates the application.

#include "EnterSandbox.h"

namespace {

[[maybe_unused]] const bool sandboxEntered = (EnterSandbox(), true);

} // namespace
