#pragma once
// ProjectStore: what CreateProject and RenameProject ask of a store, written once; SqliteStore
// and PostgresStore supply the few steps that differ. Every answer is a TERN_* code.
//
// This part is built into both libTernSdkDef.so and its PostgreSQL plugin (tern_store_core), so
// it must not need SQLite or libpq.

#include <string>

namespace tern {

class ProjectStore {
public:
    virtual ~ProjectStore() = default;
    ProjectStore(const ProjectStore&) = delete;
    ProjectStore& operator=(const ProjectStore&) = delete;

    // References arrive checked (see ValidReference).
    int Create(const std::string& reference);
    int Rename(const std::string& newReference, const std::string& oldReference);

protected:
    ProjectStore() = default;

    // Opens the store and starts a write transaction on a PROJECT table that exists and is
    // guarded by a unique key on REFERENCE_NO. TERN_OK or a failure code.
    virtual int Begin() = 0;
    // 1 when the reference was added, 0 when the store already held it, or a failure code.
    virtual int InsertIfAbsent(const std::string& reference) = 0;
    // 1 when oldReference now reads newReference, 0 when there was no oldReference,
    // TERN_DUPLICATE when newReference is taken, or another failure code.
    virtual int Move(const std::string& newReference, const std::string& oldReference) = 0;
    virtual int Commit() = 0;
    // A transaction that was begun and not committed is rolled back by the destructor.
};

// True when the setting starts like a PostgreSQL URI (postgresql:// or postgres://).
bool HasPostgresUriPrefix(const std::string& setting);

// The first word of the setting when an '=' follows it, as in a libpq key=value string
// ("host=dbhost", "  dbname = projects"); empty otherwise. Only libpq can tell whether that word
// is one of its connection keywords.
std::string LeadingKeyword(const std::string& setting);

// Not null, not empty, not blanks only, at most 255 bytes, valid UTF-8.
bool ValidReference(const char* reference);

// Who registers: the login name of this process and the name of this machine.
struct Registrant {
    std::string user;
    std::string host;
    static Registrant Current();
};

// One line on standard error. Callers never pass connection strings or passwords.
void Report(const std::string& what, const std::string& detail);

} // namespace tern
