// The two exports the editor resolves by name. Arguments are checked here, once for both kinds of
// store, so a bad reference never opens a file or a connection (or loads the PostgreSQL plugin).
#include "TernSdkDef.h"

#include "ConfiguredStore.h"

extern "C" int CreateProject(const char* reference) {
    if (!tern::ValidReference(reference))
        return TERN_BAD_ARGUMENT;
    const auto store = tern::OpenConfiguredStore();
    return store ? store->Create(reference) : TERN_STORE_UNAVAILABLE;
}

extern "C" int RenameProject(const char* newReference, const char* oldReference) {
    if (!tern::ValidReference(newReference) || !tern::ValidReference(oldReference))
        return TERN_BAD_ARGUMENT;
    const auto store = tern::OpenConfiguredStore();
    return store ? store->Rename(newReference, oldReference) : TERN_STORE_UNAVAILABLE;
}
