#pragma once
// The seam between libTernSdkDef.so and libTernSdkDefPostgres.so, its PostgreSQL backend. Only
// the plugin links libpq (and through it TLS, Kerberos and LDAP), so an editor that loads the
// host library pays for none of that until a call actually needs a server. Both sides are built
// from this one header in one build and installed side by side.

namespace tern {
class ProjectStore;
}

// The plugin's file name; it lives in the folder of libTernSdkDef.so.
#define TERN_POSTGRES_PLUGIN_FILE "libTernSdkDefPostgres.so"

// Raised whenever ProjectStore's layout or the meaning of the calls below changes: a plugin left
// over from another build then declines to open a store instead of handing over an object the
// host would misread.
#define TERN_POSTGRES_PLUGIN_ABI 1

#ifdef __cplusplus
extern "C" {
#endif

// 1 when setting names a PostgreSQL server: a postgresql:// or postgres:// URI, or a key=value
// string whose first word is one of this libpq's connection keywords. 0 otherwise.
typedef int (*TernPostgresIsSettingFn)(const char* setting);

// A new PostgresStore for setting, which the caller deletes through ProjectStore's virtual
// destructor. Null when abi is not TERN_POSTGRES_PLUGIN_ABI (or memory ran out).
typedef tern::ProjectStore* (*TernPostgresOpenFn)(int abi, const char* setting);

#ifdef __cplusplus
}
#endif
