// The two exports the editor resolves by name. Arguments are checked here, once for both kinds of
// store, so a bad reference never opens a file or a connection.
#include "TernSdkDef.h"

#include "ProjectStore.h"

extern "C" int CreateProject(const char* reference) {
    if (!tern::ValidReference(reference))
        return TERN_BAD_ARGUMENT;
    return tern::OpenConfiguredStore()->Create(reference);
}

extern "C" int RenameProject(const char* newReference, const char* oldReference) {
    if (!tern::ValidReference(newReference) || !tern::ValidReference(oldReference))
        return TERN_BAD_ARGUMENT;
    return tern::OpenConfiguredStore()->Rename(newReference, oldReference);
}
