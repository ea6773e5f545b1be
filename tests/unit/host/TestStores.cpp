#include "TestStores.h"

#include "ThrowawayCluster.h"

#include <QDir>
#include <QFile>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

int WithoutRootRights(const std::function<int()>& call) {
    if (geteuid() != 0)
        return call();
    const pid_t pid = fork();
    if (pid == 0) {
        constexpr uid_t kNobody = 65534;
        if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)
            _exit(1);
        _exit(call() + 100);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return 1000;
    return WEXITSTATUS(status) - 100;
}

namespace {

class SqliteTestStore : public TestStore {
public:
    SqliteTestStore() { QDir().mkpath(Folder()); }

    std::string Setting() const override { return File().toStdString(); }

    std::string Exec(const std::string& sql) override {
        std::string error;
        sqlite3* db = nullptr;
        if (sqlite3_open(Setting().c_str(), &db) != SQLITE_OK ||
            sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
            error = sqlite3_errmsg(db);
        sqlite3_close(db);
        return error;
    }

    std::string Query(const std::string& sql) override {
        std::string value;
        sqlite3* db = nullptr;
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_open_v2(Setting().c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
            sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_text(stmt, 0))
            value = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        sqlite3_finalize(stmt);
        sqlite3_close(db);
        return value;
    }

    // A write-protected file in a folder anyone may write to.
    int WhileReadOnly(const std::function<int()>& call) override {
        const QByteArray file = QFile::encodeName(File());
        const QByteArray root = QFile::encodeName(m_dir.path());
        const QByteArray folder = QFile::encodeName(Folder());
        chmod(root.constData(), 0755);
        chmod(folder.constData(), 0777);
        chmod(file.constData(), 0444);
        const int rc = WithoutRootRights(call);
        chmod(file.constData(), 0644);
        chmod(folder.constData(), 0700);
        chmod(root.constData(), 0700);
        return rc;
    }

    std::vector<std::string> Unreachable() const override {
        // A regular file where a folder of the path should be.
        QFile blocker(m_dir.filePath(QStringLiteral("blocker")));
        (void)blocker.open(QIODevice::WriteOnly);
        return {blocker.fileName().toStdString() + "/store/projects.db"};
    }

    QString Folder() const { return m_dir.filePath(QStringLiteral("store")); }
    QString File() const { return m_dir.filePath(QStringLiteral("store/projects.db")); }

private:
    QTemporaryDir m_dir;
};

class PostgresTestStore : public TestStore {
public:
    // Every test works in a schema of its own on the process's one cluster.
    explicit PostgresTestStore(ThrowawayCluster& cluster)
        : m_cluster(cluster), m_schema("case_" + std::to_string(++s_cases)) {
        m_cluster.Exec("CREATE SCHEMA " + m_schema + "; GRANT ALL ON SCHEMA " + m_schema + " TO " +
                       ThrowawayCluster::kPasswordRole);
    }

    std::string Setting() const override { return m_cluster.Uri(m_schema); }

    std::string Exec(const std::string& sql) override {
        return m_cluster.Exec("SET search_path = " + m_schema + "; " + sql);
    }

    std::string Query(const std::string& sql) override {
        std::string value;
        PGconn* conn = PQconnectdb(Setting().c_str());
        PGresult* result = PQexec(conn, sql.c_str());
        if (PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) > 0)
            value = PQgetvalue(result, 0, 0);
        PQclear(result);
        PQfinish(conn);
        return value;
    }

    int WhileReadOnly(const std::function<int()>& call) override {
        const std::string readOnly = Setting() + "%20-cdefault_transaction_read_only%3Don";
        setenv("KESTREL_PROJECT_STORE", readOnly.c_str(), 1);
        const int rc = call();
        setenv("KESTREL_PROJECT_STORE", Setting().c_str(), 1);
        return rc;
    }

    std::vector<std::string> Unreachable() const override {
        const std::string socket = m_cluster.SocketDir();
        return {
            "postgresql:///postgres?host=/nonexistent/kestrel&user=postgres",  // no server there
            "postgres://postgres@localhost:1/postgres?connect_timeout=3",      // nobody listens
            "postgresql:///no_such_db?host=" + socket + "&user=postgres",      // no database
            "postgresql:///postgres?host=" + socket + "&user=no_such_role",    // no role
            "host=" + socket + " user=postgres dbname=postgres sslmode=bogus", // bad option
            "postgresql://postgres@%zz/postgres",                              // malformed
            "service=kestrel_no_such_service",                                 // unknown service
        };
    }

private:
    static inline int s_cases = 0;
    ThrowawayCluster& m_cluster;
    std::string m_schema;
};

} // namespace

std::unique_ptr<TestStore> TestStore::Make(StoreKind kind, std::string* why) {
    if (kind == StoreKind::Sqlite)
        return std::make_unique<SqliteTestStore>();
    ThrowawayCluster& cluster = ThrowawayCluster::Shared();
    if (!cluster.Running()) {
        *why = cluster.Error();
        return nullptr;
    }
    return std::make_unique<PostgresTestStore>(cluster);
}
