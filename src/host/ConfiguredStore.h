#pragma once
// Which store KESTREL_PROJECT_STORE names, and opening it. SQLite is built in; PostgreSQL comes
// from libTernSdkDefPostgres.so, loaded the first time a setting may name a server and kept for
// the life of the process.

#include "ProjectStore.h"

#include <memory>

namespace tern {

// The store KESTREL_PROJECT_STORE names (see TernSdkDef.h for the rule); null, after one line on
// standard error, when it needs the PostgreSQL plugin and that cannot be loaded.
std::unique_ptr<ProjectStore> OpenConfiguredStore();

} // namespace tern
