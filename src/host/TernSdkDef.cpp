// The host's project store behind CreateProject and RenameProject. Each call opens the store,
// does its work inside one write transaction and closes it again: the calls are rare (one per
// save), and a short-lived connection never keeps another editor waiting.
#include "TernSdkDef.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

namespace {

constexpr size_t kMaxReferenceBytes = 255; // the editor hands references over in 256-byte buffers

void report(const char* what, const std::string& detail) {
    std::fprintf(stderr, "TernSdkDef: %s: %s\n", what, detail.c_str());
}

std::string envText(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// Creates every missing folder of path (mkdir -p); true when the folder exists afterwards.
bool makeFolders(const std::string& path) {
    if (path.empty())
        return false;
    std::string partial;
    size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        partial = path.substr(0, pos);
        if (partial.empty())
            continue;
        if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string storePath() {
    std::string explicitPath = envText("KESTREL_PROJECT_STORE");
    if (!explicitPath.empty())
        return explicitPath;
    std::string dataHome = envText("XDG_DATA_HOME");
    if (dataHome.empty() || dataHome[0] != '/') {
        std::string home = envText("HOME");
        if (home.empty())
            return {};
        dataHome = home + "/.local/share";
    }
    return dataHome + "/kestrel/projects.db";
}

bool validReference(const char* reference) {
    if (!reference || !*reference)
        return false;
    return std::strlen(reference) <= kMaxReferenceBytes;
}

// One connection to the store, closed on every way out.
class Store {
public:
    Store() = default;
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;
    ~Store() {
        if (m_db) {
            if (m_inTransaction)
                sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close(m_db);
        }
    }

    // Opens the store and starts a write transaction; TERN_OK or a failure code.
    int open() {
        const std::string path = storePath();
        if (path.empty()) {
            report("no place for the project store", "neither KESTREL_PROJECT_STORE nor HOME set");
            return TERN_STORE_UNAVAILABLE;
        }
        const size_t slash = path.rfind('/');
        if (slash != std::string::npos && slash > 0 && !makeFolders(path.substr(0, slash))) {
            report("cannot create the folder of the project store", path);
            return TERN_STORE_UNAVAILABLE;
        }
        if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                            nullptr) != SQLITE_OK) {
            report("cannot open the project store", path + ": " + errorText());
            return TERN_STORE_UNAVAILABLE;
        }
        sqlite3_busy_timeout(m_db, TERN_STORE_BUSY_TIMEOUT_MS);
        // IMMEDIATE takes the write lock before anything is read, so two processes checking the
        // same reference cannot both see it missing; the loser waits, then sees the winner's row.
        if (!exec("BEGIN IMMEDIATE")) {
            const int code = sqlite3_extended_errcode(m_db) & 0xff;
            report("cannot lock the project store", path + ": " + errorText());
            return (code == SQLITE_NOTADB || code == SQLITE_CANTOPEN || code == SQLITE_READONLY ||
                    code == SQLITE_PERM || code == SQLITE_CORRUPT)
                       ? TERN_STORE_UNAVAILABLE
                       : TERN_STORE_ERROR;
        }
        m_inTransaction = true;
        if (!exec("CREATE TABLE IF NOT EXISTS PROJECT ("
                  " REFERENCE_NO TEXT NOT NULL PRIMARY KEY,"
                  " CREATED_AT TEXT NOT NULL DEFAULT (strftime('%Y-%m-%dT%H:%M:%S', 'now')),"
                  " RENAMED_AT TEXT)")) {
            report("cannot prepare the project store", errorText());
            return TERN_STORE_ERROR;
        }
        return TERN_OK;
    }

    // 1 when the reference is present, 0 when not, -1 on error.
    int contains(const char* reference) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, "SELECT 1 FROM PROJECT WHERE REFERENCE_NO = ?1", -1, &stmt,
                               nullptr) != SQLITE_OK)
            return -1;
        sqlite3_bind_text(stmt, 1, reference, -1, SQLITE_STATIC);
        const int rc = sqlite3_step(stmt);
        sqlite3_finalize(stmt);
        return rc == SQLITE_ROW ? 1 : rc == SQLITE_DONE ? 0 : -1;
    }

    // Runs a statement with up to two text parameters; SQLITE_DONE, or the failing code.
    int run(const char* sql, const char* first, const char* second = nullptr) {
        sqlite3_stmt* stmt = nullptr;
        int rc = sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr);
        if (rc != SQLITE_OK)
            return rc;
        sqlite3_bind_text(stmt, 1, first, -1, SQLITE_STATIC);
        if (second)
            sqlite3_bind_text(stmt, 2, second, -1, SQLITE_STATIC);
        rc = sqlite3_step(stmt);
        sqlite3_finalize(stmt);
        return rc;
    }

    int insert(const char* reference) {
        const int rc = run("INSERT INTO PROJECT (REFERENCE_NO) VALUES (?1)", reference);
        if (rc == SQLITE_DONE)
            return TERN_OK;
        if (rc == SQLITE_CONSTRAINT)
            return TERN_DUPLICATE;
        report("cannot register the project", errorText());
        return TERN_STORE_ERROR;
    }

    int commit() {
        if (!exec("COMMIT")) {
            report("cannot commit to the project store", errorText());
            return TERN_STORE_ERROR;
        }
        m_inTransaction = false;
        return TERN_OK;
    }

    std::string errorText() const { return m_db ? sqlite3_errmsg(m_db) : "out of memory"; }

private:
    bool exec(const char* sql) { return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == 0; }

    sqlite3* m_db = nullptr;
    bool m_inTransaction = false;
};

} // namespace

extern "C" int CreateProject(const char* reference) {
    if (!validReference(reference))
        return TERN_BAD_ARGUMENT;
    Store store;
    if (int rc = store.open(); rc != TERN_OK)
        return rc;
    // The primary key is the real guard; the insert reports a clash as a duplicate.
    if (int rc = store.insert(reference); rc != TERN_OK)
        return rc;
    return store.commit();
}

extern "C" int RenameProject(const char* newReference, const char* oldReference) {
    if (!validReference(newReference) || !validReference(oldReference))
        return TERN_BAD_ARGUMENT;
    Store store;
    if (int rc = store.open(); rc != TERN_OK)
        return rc;
    const int oldPresent = store.contains(oldReference);
    if (oldPresent < 0) {
        report("cannot read the project store", store.errorText());
        return TERN_STORE_ERROR;
    }
    if (std::strcmp(newReference, oldReference) == 0) {
        if (!oldPresent) {
            if (int rc = store.insert(newReference); rc != TERN_OK)
                return rc;
        }
        return store.commit();
    }
    if (!oldPresent) {
        if (int rc = store.insert(newReference); rc != TERN_OK)
            return rc;
        return store.commit();
    }
    const int rc = store.run("UPDATE PROJECT SET REFERENCE_NO = ?1,"
                             " RENAMED_AT = strftime('%Y-%m-%dT%H:%M:%S', 'now')"
                             " WHERE REFERENCE_NO = ?2",
                             newReference, oldReference);
    if (rc == SQLITE_CONSTRAINT)
        return TERN_DUPLICATE;
    if (rc != SQLITE_DONE) {
        report("cannot rename the project", store.errorText());
        return TERN_STORE_ERROR;
    }
    return store.commit();
}
