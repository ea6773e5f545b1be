#include "PostgresStore.h"

#include "TernSdkDef.h"

#include <libpq-fe.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace tern {

namespace {

// Seconds libpq waits for a server before giving up, unless the office set its own.
constexpr const char* kConnectTimeoutSeconds = "5";

// Is the table there, is REFERENCE_NO alone under a unique index over every row, and are all the
// record columns there? One round trip on every call; the table is only touched when not.
constexpr const char* kInspectTable =
    "SELECT t.oid IS NOT NULL,"
    " EXISTS (SELECT 1 FROM pg_index i"
    "   JOIN pg_attribute a ON a.attrelid = i.indrelid AND a.attnum = i.indkey[0]"
    "   WHERE i.indrelid = t.oid AND i.indisunique AND i.indisvalid AND i.indnkeyatts = 1"
    "   AND i.indpred IS NULL AND i.indexprs IS NULL AND a.attname = 'reference_no'),"
    " (SELECT count(*) FROM pg_attribute a WHERE a.attrelid = t.oid AND NOT a.attisdropped"
    "   AND a.attname IN ('created_at', 'created_by', 'created_host',"
    "                     'renamed_at', 'renamed_by', 'renamed_host')) = 6"
    " FROM (SELECT to_regclass('project') AS oid) t";

// Made under a lock of its own so that editors meeting a fresh database at the same moment do
// not trip over each other's CREATE TABLE.
constexpr const char* kMakeTable =
    "SELECT pg_advisory_xact_lock(hashtext('kestrel project store'));"
    "CREATE TABLE IF NOT EXISTS project (reference_no text NOT NULL PRIMARY KEY,"
    " created_at timestamptz, created_by text, created_host text,"
    " renamed_at timestamptz, renamed_by text, renamed_host text);"
    "ALTER TABLE project ADD COLUMN IF NOT EXISTS created_at timestamptz,"
    " ADD COLUMN IF NOT EXISTS created_by text, ADD COLUMN IF NOT EXISTS created_host text,"
    " ADD COLUMN IF NOT EXISTS renamed_at timestamptz,"
    " ADD COLUMN IF NOT EXISTS renamed_by text, ADD COLUMN IF NOT EXISTS renamed_host text";

bool StartsWith(const char* text, const char* prefix) {
    return text && std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// SQLSTATEs that say the server or the account is not set up for us, rather than that our work
// went wrong: connection trouble, refused credentials, no such database, a read-only server, a
// role without rights, a server out of disk or memory, a server shutting down.
bool MeansUnavailable(const char* state) {
    return StartsWith(state, "08") || StartsWith(state, "28") || StartsWith(state, "3D") ||
           StartsWith(state, "53") || StartsWith(state, "57P") || StartsWith(state, "25006") ||
           StartsWith(state, "42501");
}

constexpr const char* kUniqueViolation = "23505";

} // namespace

void PostgresStore::ResultFree::operator()(pg_result* result) const {
    PQclear(result);
}

PostgresStore::PostgresStore(std::string setting)
    : m_setting(std::move(setting)), m_who(Registrant::Current()) {}

PostgresStore::~PostgresStore() {
    if (!m_conn)
        return;
    if (m_inTransaction && PQstatus(m_conn) == CONNECTION_OK)
        Run("ROLLBACK");
    PQfinish(m_conn);
}

std::string PostgresStore::Redacted(std::string message) const {
    std::vector<std::string> secrets{m_password};
    if (const char* env = std::getenv("PGPASSWORD"))
        secrets.emplace_back(env);
    for (const std::string& secret : secrets) {
        if (secret.empty())
            continue;
        for (size_t at = message.find(secret); at != std::string::npos;
             at = message.find(secret, at))
            message.replace(at, secret.size(), "***");
    }
    // One log line: libpq's messages end in a newline and may carry DETAIL lines.
    while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    std::string line;
    for (char c : message) {
        const bool blank = c == '\n' || c == '\r' || c == '\t' || c == ' ';
        if (!blank || (!line.empty() && line.back() != ' '))
            line += blank ? ' ' : c;
    }
    return line;
}

int PostgresStore::Connect() {
    // Parsing first catches a malformed string without libpq echoing a piece of it (a password,
    // say) in its complaint, and tells which defaults the office already chose.
    char* parseError = nullptr;
    PQconninfoOption* parsed = PQconninfoParse(m_setting.c_str(), &parseError);
    if (!parsed) {
        PQfreemem(parseError);
        Report("KESTREL_PROJECT_STORE is not a valid PostgreSQL connection string", "");
        return TERN_STORE_UNAVAILABLE;
    }
    bool timeoutGiven = std::getenv("PGCONNECT_TIMEOUT") != nullptr;
    for (const PQconninfoOption* option = parsed; option->keyword; ++option) {
        if (!option->val)
            continue;
        if (std::strcmp(option->keyword, "password") == 0)
            m_password = option->val;
        if (std::strcmp(option->keyword, "connect_timeout") == 0)
            timeoutGiven = true;
    }
    PQconninfoFree(parsed);

    // Entries before dbname are defaults the connection string may override.
    std::vector<const char*> keywords{"fallback_application_name", "client_encoding"};
    std::vector<const char*> values{"kestrel", "UTF8"};
    if (!timeoutGiven) {
        keywords.push_back("connect_timeout");
        values.push_back(kConnectTimeoutSeconds);
    }
    keywords.push_back("dbname");
    values.push_back(m_setting.c_str());
    keywords.push_back(nullptr);
    values.push_back(nullptr);
    m_conn = PQconnectdbParams(keywords.data(), values.data(), /*expand_dbname=*/1);
    if (!m_conn) {
        Report("cannot connect to the project store", "out of memory");
        return TERN_STORE_UNAVAILABLE;
    }
    if (PQstatus(m_conn) != CONNECTION_OK) {
        Report("cannot connect to the project store", Redacted(PQerrorMessage(m_conn)));
        return TERN_STORE_UNAVAILABLE;
    }
    // libpq prints the server's notices ("relation already exists, skipping") on stderr
    // unless told otherwise; the editor's terminal has no use for them.
    PQsetNoticeProcessor(
        m_conn, [](void*, const char*) {}, nullptr);
    return TERN_OK;
}

PostgresStore::Result PostgresStore::Run(const char* sql,
                                         std::initializer_list<const std::string*> params) {
    if (params.size() == 0)
        return Result(PQexec(m_conn, sql));
    std::vector<const char*> values;
    for (const std::string* param : params)
        values.push_back(param->c_str());
    return Result(PQexecParams(m_conn, sql, static_cast<int>(values.size()), nullptr, values.data(),
                               nullptr, nullptr, 0));
}

bool PostgresStore::Succeeded(const Result& result) {
    const ExecStatusType status = PQresultStatus(result.get());
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

int PostgresStore::Failure(const Result& result, const char* doing) {
    const char* message = result ? PQresultErrorMessage(result.get()) : PQerrorMessage(m_conn);
    Report(std::string("cannot ") + doing + " the project store", Redacted(message));
    if (PQstatus(m_conn) != CONNECTION_OK)
        return TERN_STORE_UNAVAILABLE; // the server went away; nothing was committed
    return MeansUnavailable(PQresultErrorField(result.get(), PG_DIAG_SQLSTATE))
               ? TERN_STORE_UNAVAILABLE
               : TERN_STORE_ERROR;
}

int PostgresStore::Begin() {
    if (int rc = Connect(); rc != TERN_OK)
        return rc;
    // The timeout bounds any wait on another editor's row lock, so a call always comes back.
    const std::string begin =
        "BEGIN; SET LOCAL statement_timeout = " + std::to_string(TERN_STORE_BUSY_TIMEOUT_MS);
    if (Result result = Run(begin.c_str()); !Succeeded(result))
        return Failure(result, "start a transaction on");
    m_inTransaction = true;
    return PrepareTable();
}

int PostgresStore::PrepareTable() {
    Result inspected = Run(kInspectTable);
    if (!Succeeded(inspected))
        return Failure(inspected, "inspect");
    auto yes = [&](int column) {
        return std::strcmp(PQgetvalue(inspected.get(), 0, column), "t") == 0;
    };
    if (yes(0) && yes(1) && yes(2))
        return TERN_OK;
    if (Result made = Run(kMakeTable); !Succeeded(made))
        return Failure(made, "create the table of");
    inspected = Run(kInspectTable); // another editor may have added the key meanwhile
    if (!Succeeded(inspected))
        return Failure(inspected, "inspect");
    if (yes(1))
        return TERN_OK;
    Result keyed = Run("CREATE UNIQUE INDEX project_reference_no_key ON project (reference_no)");
    if (Succeeded(keyed))
        return TERN_OK;
    const char* state = PQresultErrorField(keyed.get(), PG_DIAG_SQLSTATE);
    if (state && std::strcmp(state, kUniqueViolation) == 0) {
        Report("the project store holds a reference twice; remove the duplicate rows of project",
               "");
        return TERN_STORE_ERROR;
    }
    return Failure(keyed, "add a unique key to");
}

int PostgresStore::InsertIfAbsent(const std::string& reference) {
    Result result = Run("INSERT INTO project (reference_no, created_at, created_by, created_host)"
                        " VALUES ($1, now(), $2, $3) ON CONFLICT DO NOTHING",
                        {&reference, &m_who.user, &m_who.host});
    if (!Succeeded(result))
        return Failure(result, "register the project in");
    return std::strcmp(PQcmdTuples(result.get()), "0") == 0 ? 0 : 1;
}

int PostgresStore::Move(const std::string& newReference, const std::string& oldReference) {
    Result result = Run("UPDATE project SET reference_no = $1, renamed_at = now(),"
                        " renamed_by = $3, renamed_host = $4 WHERE reference_no = $2",
                        {&newReference, &oldReference, &m_who.user, &m_who.host});
    if (!Succeeded(result)) {
        const char* state = PQresultErrorField(result.get(), PG_DIAG_SQLSTATE);
        if (state && std::strcmp(state, kUniqueViolation) == 0)
            return TERN_DUPLICATE;
        return Failure(result, "rename the project in");
    }
    return std::strcmp(PQcmdTuples(result.get()), "0") == 0 ? 0 : 1;
}

int PostgresStore::Commit() {
    if (Result result = Run("COMMIT"); !Succeeded(result))
        return Failure(result, "commit to");
    m_inTransaction = false;
    return TERN_OK;
}

} // namespace tern
