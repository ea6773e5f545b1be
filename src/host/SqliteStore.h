#pragma once
// SqliteStore: the project store in one SQLite file, the default for a single machine. Each call
// opens the file, works inside one IMMEDIATE transaction and closes it again: calls are rare (one
// per save), and a short-lived connection never keeps another editor waiting.

#include "ProjectStore.h"

#include <initializer_list>
#include <string>

struct sqlite3;

namespace tern {

class SqliteStore : public ProjectStore {
public:
    explicit SqliteStore(std::string path);
    ~SqliteStore() override;

    // $XDG_DATA_HOME/kestrel/projects.db, or below ~/.local/share; empty without a home.
    static std::string DefaultPath();

protected:
    int Begin() override;
    int InsertIfAbsent(const std::string& reference) override;
    int Move(const std::string& newReference, const std::string& oldReference) override;
    int Commit() override;

private:
    int PrepareTable();
    // Runs one statement with text parameters; the SQLite result code.
    int Run(const char* sql, std::initializer_list<const std::string*> params);
    // The TERN_* code for a failed SQLite call, reported with what was being done.
    int Failure(int sqliteCode, const char* doing);

    std::string m_path;
    Registrant m_who;
    sqlite3* m_db = nullptr;
    bool m_inTransaction = false;
};

} // namespace tern
