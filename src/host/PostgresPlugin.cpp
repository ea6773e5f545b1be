// libTernSdkDefPostgres.so: the PostgreSQL backend of the host store, loaded by libTernSdkDef.so
// only when KESTREL_PROJECT_STORE may name a server. Its two exports are all the host resolves.
#include "PostgresPlugin.h"

#include "PostgresStore.h"

#include <libpq-fe.h>

#include <exception>
#include <string>

#define TERN_PLUGIN_API __attribute__((visibility("default")))

namespace {

// A libpq connection keyword ("host", "dbname", "service", ...), as this libpq knows them.
bool IsConnectionKeyword(const std::string& word) {
    PQconninfoOption* options = PQconndefaults();
    if (!options)
        return false;
    bool known = false;
    for (const PQconninfoOption* option = options; option->keyword; ++option)
        known = known || word == option->keyword;
    PQconninfoFree(options);
    return known;
}

} // namespace

extern "C" TERN_PLUGIN_API int tern_postgres_is_setting(const char* setting) {
    if (!setting)
        return 0;
    try {
        const std::string text = setting;
        if (tern::HasPostgresUriPrefix(text))
            return 1;
        const std::string word = tern::LeadingKeyword(text);
        return !word.empty() && IsConnectionKeyword(word) ? 1 : 0;
    } catch (const std::exception&) {
        return 0;
    }
}

extern "C" TERN_PLUGIN_API tern::ProjectStore* tern_postgres_open(int abi, const char* setting) {
    if (abi != TERN_POSTGRES_PLUGIN_ABI || !setting)
        return nullptr;
    try {
        return new tern::PostgresStore(setting);
    } catch (const std::exception&) {
        return nullptr;
    }
}
