#include "ConfiguredStore.h"

#include "PostgresPlugin.h"
#include "SqliteStore.h"

#include <dlfcn.h>

#include <cstdlib>
#include <mutex>
#include <string>

namespace tern {

namespace {

struct PostgresPlugin {
    TernPostgresIsSettingFn isSetting = nullptr;
    TernPostgresOpenFn open = nullptr;
};

// KESTREL_SDKDEF_POSTGRES when set (the tests point it elsewhere), otherwise the plugin's file in
// the folder this library was loaded from: the editor finds libTernSdkDef.so beside itself, and
// the plugin travels with it.
std::string PluginPath() {
    const char* forced = std::getenv("KESTREL_SDKDEF_POSTGRES");
    if (forced && *forced)
        return forced;
    Dl_info self{};
    if (dladdr(reinterpret_cast<void*>(&PluginPath), &self) != 0 && self.dli_fname) {
        const std::string library = self.dli_fname;
        const size_t slash = library.rfind('/');
        if (slash != std::string::npos)
            return library.substr(0, slash + 1) + TERN_POSTGRES_PLUGIN_FILE;
    }
    return TERN_POSTGRES_PLUGIN_FILE; // left to the loader's search path
}

// The plugin's entry points, loaded once per path and never unloaded: libpq and the TLS
// libraries it brings keep process-wide state that does not survive being unmapped. A failed
// load is not remembered, so a plugin installed later is found on the next call.
bool LoadPlugin(PostgresPlugin* plugin) {
    static std::mutex mutex;
    static std::string loadedPath;
    static PostgresPlugin loaded;

    const std::string path = PluginPath();
    const std::lock_guard<std::mutex> lock(mutex);
    if (loaded.open && loadedPath == path) {
        *plugin = loaded;
        return true;
    }
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        // dlerror names the file that is missing (the plugin, or libpq beneath it).
        const char* why = dlerror();
        Report("PostgreSQL support is not available", why ? why : path);
        return false;
    }
    PostgresPlugin found;
    found.isSetting =
        reinterpret_cast<TernPostgresIsSettingFn>(dlsym(handle, "tern_postgres_is_setting"));
    found.open = reinterpret_cast<TernPostgresOpenFn>(dlsym(handle, "tern_postgres_open"));
    if (!found.isSetting || !found.open) {
        Report("PostgreSQL support is not available", path + " is not the PostgreSQL plugin");
        dlclose(handle);
        return false;
    }
    loadedPath = path;
    loaded = found;
    *plugin = loaded;
    return true;
}

} // namespace

std::unique_ptr<ProjectStore> OpenConfiguredStore() {
    const char* value = std::getenv("KESTREL_PROJECT_STORE");
    const std::string setting = value ? value : "";
    // Only a URI or a possible key=value string needs the plugin; a plain path never loads it.
    const bool uri = HasPostgresUriPrefix(setting);
    if (!uri && LeadingKeyword(setting).empty())
        return std::make_unique<SqliteStore>(setting.empty() ? SqliteStore::DefaultPath()
                                                             : setting);

    // Without the plugin a key=value string stays undecided: guessing SQLite would quietly keep
    // an office's registrations in a local file named like a connection string.
    PostgresPlugin plugin;
    if (!LoadPlugin(&plugin))
        return nullptr;
    if (!uri && plugin.isSetting(setting.c_str()) == 0)
        return std::make_unique<SqliteStore>(setting);
    std::unique_ptr<ProjectStore> store(plugin.open(TERN_POSTGRES_PLUGIN_ABI, setting.c_str()));
    if (!store)
        Report("PostgreSQL support is not available",
               "the PostgreSQL plugin belongs to another build of libTernSdkDef.so");
    return store;
}

} // namespace tern
