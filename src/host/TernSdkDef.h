// TernSdkDef: the host's project store. The editor loads this library at run time and registers
// each new project reference in it, or renames one whose reference was edited. A reference is
// unique across the store, whichever process (or machine) registers it first.
//
// Where the store lives: KESTREL_PROJECT_STORE.
//   - PostgreSQL, for an office where several machines share one store, when the value is
//       a URI starting with "postgresql://" or "postgres://"
//         (postgresql://kestrel@dbhost/projects?sslmode=verify-full), or
//       a libpq key=value connection string, recognised by its first word being a libpq
//         connection keyword followed by '=' (host=dbhost dbname=projects, service=kestrel).
//     Everything libpq reads itself applies: the password file (~/.pgpass, PGPASSFILE), the
//     service file (PGSERVICEFILE), the PG* environment variables, and TLS settings (sslmode,
//     sslrootcert, ...) in the connection string. The connection attempt gives up after
//     connect_timeout seconds: 5 unless the string or PGCONNECT_TIMEOUT says otherwise. The table
//     is PROJECT in the first schema of the search path.
//   - SQLite otherwise: the value is the path of the database file. Unset or empty, it is
//     $XDG_DATA_HOME/kestrel/projects.db, or ~/.local/share/kestrel/projects.db when
//     XDG_DATA_HOME is unset. Missing folders are created.
//
// PostgreSQL support lives in a plugin, libTernSdkDefPostgres.so in the folder of this library,
// the only part that links libpq; loading this library costs no libpq. The plugin is loaded (once
// per process) on the first call whose value is a URI as above or starts with a word followed by
// '=', since only libpq can tell whether that word is one of its keywords; a plain path never
// loads it. When the plugin or libpq cannot be loaded, such a call writes one line to standard
// error and answers -3; that includes a file path shaped like "x=1.db", which cannot be told from
// a connection string then. Other SQLite paths work without the plugin.
// KESTREL_SDKDEF_POSTGRES, for tests only: the path of the plugin to load instead.
//
// The PROJECT table is created when missing. Each row records when, by which user and on which
// host the reference was registered, and the same for its last rename. References are compared
// exactly (case and blanks count).
//
// An existing PROJECT table is only used when a unique key on REFERENCE_NO guards it. A table
// without one (made by hand, say) is given a unique index first; when it already holds a
// reference twice that index cannot be made, and every call answers -4 until someone removes the
// duplicate rows: the store never ends up holding one reference twice.
//
// Nothing the library writes to standard error carries the connection string or a password.
//
// Result codes shared by both calls and both kinds of store:
//    0  done
//   -1  duplicate: the (new) reference is already in the store; nothing was changed
//   -2  bad argument: a null reference, an empty one or one of blanks only, one longer than 255
//       bytes, or one that is not UTF-8; answered before the store is touched
//   -3  the store cannot be used as it is set up: no home folder, an unwritable or read-only
//       file, folder or file system, a file that is no database, a full disk; no PostgreSQL plugin
//       or libpq, a malformed connection string, a server that cannot be reached in time, refused
//       credentials, a missing database, a read-only server or a role without the rights it needs
//   -4  the store answered with an error while working: an SQL error, a table holding a
//       reference twice, still locked by another process after TERN_STORE_BUSY_TIMEOUT_MS
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

// How long a call waits for another process that holds the store's write lock (SQLite), or for
// one statement (PostgreSQL).
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
