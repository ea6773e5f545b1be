#pragma once
// PostgresStore: the project store on a PostgreSQL server, for an office whose editors on several
// machines share one set of references. Each call connects through libpq, works inside one
// transaction and disconnects: calls are rare (one per save), and no editor holds a connection
// the server would have to keep for it.

#include "ProjectStore.h"

#include <initializer_list>
#include <memory>
#include <string>

struct pg_conn;
struct pg_result;

namespace tern {

class PostgresStore : public ProjectStore {
public:
    // setting: a postgresql:// URI or a libpq key=value connection string.
    explicit PostgresStore(std::string setting);
    ~PostgresStore() override;

protected:
    int Begin() override;
    int InsertIfAbsent(const std::string& reference) override;
    int Move(const std::string& newReference, const std::string& oldReference) override;
    int Commit() override;

private:
    struct ResultFree {
        void operator()(pg_result* result) const;
    };
    using Result = std::unique_ptr<pg_result, ResultFree>;

    int Connect();
    int PrepareTable();
    // Runs one statement with text parameters (several without: simple protocol). Null when the
    // command could not even be sent.
    Result Run(const char* sql, std::initializer_list<const std::string*> params = {});
    // True when the statement went through.
    static bool Succeeded(const Result& result);
    // The TERN_* code for a failed statement, reported with what was being done.
    int Failure(const Result& result, const char* doing);
    // libpq's message with every trace of the password taken out.
    std::string Redacted(std::string message) const;

    std::string m_setting;
    std::string m_password; // only to keep it out of messages
    Registrant m_who;
    pg_conn* m_conn = nullptr;
    bool m_inTransaction = false;
};

} // namespace tern
