#include "SqliteStore.h"

#include "TernSdkDef.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace tern {

namespace {

// Creates every missing folder of path (mkdir -p); true when the folder exists afterwards.
bool MakeFolders(const std::string& path) {
    if (path.empty())
        return false;
    size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        const std::string partial = path.substr(0, pos);
        if (!partial.empty() && ::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// UTC, to the second; sorts as text.
constexpr const char* kNow = "strftime('%Y-%m-%dT%H:%M:%SZ', 'now')";

// Columns a row carries besides REFERENCE_NO. Stores made before the registrant was recorded
// lack some of them; they are added on first use.
constexpr const char* kRecordColumns[] = {"CREATED_AT", "CREATED_BY", "CREATED_HOST",
                                          "RENAMED_AT", "RENAMED_BY", "RENAMED_HOST"};

} // namespace

SqliteStore::SqliteStore(std::string path)
    : m_path(std::move(path)), m_who(Registrant::Current()) {}

SqliteStore::~SqliteStore() {
    if (!m_db)
        return;
    if (m_inTransaction)
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(m_db);
}

std::string SqliteStore::DefaultPath() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    std::string dataHome = xdg ? xdg : "";
    if (dataHome.empty() || dataHome[0] != '/') { // relative XDG paths are to be ignored
        const char* home = std::getenv("HOME");
        if (!home || !*home)
            return {};
        dataHome = std::string(home) + "/.local/share";
    }
    return dataHome + "/kestrel/projects.db";
}

int SqliteStore::Failure(int sqliteCode, const char* doing) {
    Report(std::string("cannot ") + doing + " the project store",
           m_path + ": " + (m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(sqliteCode)));
    switch (sqliteCode & 0xff) {
    case SQLITE_READONLY: // read-only file, folder or file system
    case SQLITE_CANTOPEN: // no journal can be made beside it
    case SQLITE_PERM:
    case SQLITE_AUTH:
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
    case SQLITE_FULL:
        return TERN_STORE_UNAVAILABLE;
    default: // SQL errors, and SQLITE_BUSY once the busy timeout ran out
        return TERN_STORE_ERROR;
    }
}

int SqliteStore::Begin() {
    if (m_path.empty()) {
        Report("no place for the project store", "neither KESTREL_PROJECT_STORE nor HOME set");
        return TERN_STORE_UNAVAILABLE;
    }
    const size_t slash = m_path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : m_path.substr(0, slash + 1);
    if (slash != std::string::npos && slash > 0 && !MakeFolders(m_path.substr(0, slash))) {
        Report("cannot create the folder of the project store", m_path);
        return TERN_STORE_UNAVAILABLE;
    }
    // SQLite writes its journal beside the file. In a read-only folder a call that only reads
    // (a duplicate) would still answer, and one that writes would not: refuse both alike.
    if (::access(folder.c_str(), W_OK) != 0) {
        Report("the folder of the project store is read-only", m_path);
        return TERN_STORE_UNAVAILABLE;
    }
    const int opened =
        sqlite3_open_v2(m_path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (opened != SQLITE_OK)
        return Failure(opened, "open");
    // SQLite quietly opens a write-protected file (or one on a read-only file system) for
    // reading only; every write would then fail as if the SQL were wrong.
    if (sqlite3_db_readonly(m_db, "main") == 1) {
        Report("the project store is read-only", m_path);
        return TERN_STORE_UNAVAILABLE;
    }
    sqlite3_busy_timeout(m_db, TERN_STORE_BUSY_TIMEOUT_MS);
    // IMMEDIATE takes the write lock before anything is read, so two processes checking the
    // same reference cannot both see it missing; the loser waits, then sees the winner's row.
    if (int rc = sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr); rc != SQLITE_OK)
        return Failure(rc, "lock");
    m_inTransaction = true;
    return PrepareTable();
}

int SqliteStore::PrepareTable() {
    int rc = Run("CREATE TABLE IF NOT EXISTS PROJECT (REFERENCE_NO TEXT NOT NULL PRIMARY KEY,"
                 " CREATED_AT TEXT, CREATED_BY TEXT, CREATED_HOST TEXT,"
                 " RENAMED_AT TEXT, RENAMED_BY TEXT, RENAMED_HOST TEXT)",
                 {});
    if (rc != SQLITE_DONE)
        return Failure(rc, "create the table of");
    for (const char* column : kRecordColumns) {
        const std::string name = column;
        rc = Run("SELECT 1 FROM pragma_table_info('PROJECT') WHERE name = ?1 COLLATE NOCASE",
                 {&name});
        if (rc == SQLITE_DONE)
            rc = Run(("ALTER TABLE PROJECT ADD COLUMN " + name + " TEXT").c_str(), {});
        if (rc != SQLITE_ROW && rc != SQLITE_DONE)
            return Failure(rc, "add a column to");
    }
    // Only a unique index on REFERENCE_NO alone, over every row, keeps a reference single.
    rc = Run("SELECT 1 FROM pragma_index_list('PROJECT') AS i"
             " WHERE i.\"unique\" = 1 AND i.partial = 0"
             " AND (SELECT count(*) FROM pragma_index_info(i.name)) = 1"
             " AND (SELECT name FROM pragma_index_info(i.name)) = 'REFERENCE_NO' COLLATE NOCASE",
             {});
    if (rc == SQLITE_ROW)
        return TERN_OK;
    if (rc != SQLITE_DONE)
        return Failure(rc, "inspect");
    rc = Run("CREATE UNIQUE INDEX PROJECT_REFERENCE_NO_KEY ON PROJECT (REFERENCE_NO)", {});
    if (rc == SQLITE_DONE)
        return TERN_OK;
    if ((rc & 0xff) == SQLITE_CONSTRAINT) {
        Report("the project store holds a reference twice; remove the duplicate rows of PROJECT",
               m_path);
        return TERN_STORE_ERROR;
    }
    return Failure(rc, "add a unique key to");
}

int SqliteStore::Run(const char* sql, std::initializer_list<const std::string*> params) {
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr);
    if (rc != SQLITE_OK)
        return rc;
    int index = 1;
    for (const std::string* param : params)
        sqlite3_bind_text(stmt, index++, param->data(), static_cast<int>(param->size()),
                          SQLITE_STATIC);
    rc = sqlite3_step(stmt);
    sqlite3_finalize(stmt);
    return rc;
}

int SqliteStore::InsertIfAbsent(const std::string& reference) {
    const std::string sql = std::string("INSERT INTO PROJECT (REFERENCE_NO, CREATED_AT, CREATED_BY,"
                                        " CREATED_HOST) VALUES (?1, ") +
                            kNow + ", ?2, ?3) ON CONFLICT DO NOTHING";
    const int rc = Run(sql.c_str(), {&reference, &m_who.user, &m_who.host});
    if (rc != SQLITE_DONE)
        return Failure(rc, "register the project in");
    return sqlite3_changes(m_db) > 0 ? 1 : 0;
}

int SqliteStore::Move(const std::string& newReference, const std::string& oldReference) {
    const std::string sql = std::string("UPDATE PROJECT SET REFERENCE_NO = ?1, RENAMED_AT = ") +
                            kNow + ", RENAMED_BY = ?3, RENAMED_HOST = ?4 WHERE REFERENCE_NO = ?2";
    const int rc = Run(sql.c_str(), {&newReference, &oldReference, &m_who.user, &m_who.host});
    if ((rc & 0xff) == SQLITE_CONSTRAINT)
        return TERN_DUPLICATE;
    if (rc != SQLITE_DONE)
        return Failure(rc, "rename the project in");
    return sqlite3_changes(m_db) > 0 ? 1 : 0;
}

int SqliteStore::Commit() {
    if (int rc = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr); rc != SQLITE_OK)
        return Failure(rc, "commit to");
    m_inTransaction = false;
    return TERN_OK;
}

} // namespace tern
