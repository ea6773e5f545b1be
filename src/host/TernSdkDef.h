// TernSdkDef: the host's project store. The editor loads this library at run time and registers
// each new project reference in it, or renames one whose reference was edited. A reference is
// unique across the store, whichever process registers it first.
//
// The store is a SQLite database: KESTREL_PROJECT_STORE names it; without that variable it is
// $XDG_DATA_HOME/kestrel/projects.db, or ~/.local/share/kestrel/projects.db when XDG_DATA_HOME is
// unset. Missing folders are created. References are compared exactly (case counts).
//
// Result codes shared by both calls:
//    0  done
//   -1  duplicate: the (new) reference is already in the store; nothing was changed
//   -2  bad argument: a null or empty reference, or one longer than 255 bytes
//   -3  the store cannot be opened or created (no home folder, unwritable folder, not a database)
//   -4  the store answered with an error (SQL error, or still locked by another process after
//       the wait of TERN_STORE_BUSY_TIMEOUT_MS)
#pragma once

#if defined(__GNUC__)
#define TERN_SDKDEF_API __attribute__((visibility("default")))
#else
#define TERN_SDKDEF_API
#endif

#define TERN_OK 0
#define TERN_DUPLICATE (-1)
#define TERN_BAD_ARGUMENT (-2)
#define TERN_STORE_UNAVAILABLE (-3)
#define TERN_STORE_ERROR (-4)

// How long a call waits for another process that holds the store's write lock.
#define TERN_STORE_BUSY_TIMEOUT_MS 10000

#ifdef __cplusplus
extern "C" {
#endif

// Registers reference. 0 when registered; -1 when the store already holds it (two processes
// registering the same reference at the same moment: exactly one of them gets 0).
TERN_SDKDEF_API int CreateProject(const char* reference);

// Renames oldReference to newReference in one transaction.
//   -1 when newReference is already in the store (nothing changes).
//   newReference equal to oldReference: 0 when the store holds it, otherwise it is registered.
//   oldReference not in the store: newReference is registered as if created, and 0 is returned;
//   the editor only renames a project it had registered, so an unknown old reference means the
//   store lost it (a fresh store, a copied file), and the project must still end up registered
//   under its current reference.
TERN_SDKDEF_API int RenameProject(const char* newReference, const char* oldReference);

#ifdef __cplusplus
}
#endif

// Signatures as the editor resolves them with dlsym.
typedef int (*TernCreateProjectFn)(const char*);
typedef int (*TernRenameProjectFn)(const char*, const char*);
