// The host store's contract, through the two exports the editor calls. The cases run once per
// kind of store: a SQLite file and a PostgreSQL server (a throwaway cluster of the test's own).
#include "host/TernSdkDef.h"

#include "ScopedEnv.h"
#include "TestFiles.h"
#include "ThrowawayCluster.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <algorithm>
#include <dlfcn.h>
#include <functional>
#include <grp.h>
#include <optional>
#include <pwd.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// What a call wrote to standard error.
std::string StderrOf(const std::function<void()>& call) {
    testing::internal::CaptureStderr();
    call();
    return testing::internal::GetCapturedStderr();
}

std::string LoginName() {
    const passwd* pw = getpwuid(geteuid());
    return pw ? pw->pw_name : "";
}

std::string HostName() {
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    return host;
}

// Runs call in a child process without root's rights when we are root (root writes through any
// file mode), directly otherwise; the call's answer.
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

enum class StoreKind { Sqlite, Postgres };

// A fresh, empty store for one test: a SQLite file, or a schema of its own on the process's one
// PostgreSQL cluster. Its KESTREL_PROJECT_STORE value, and a side door for arranging a table by
// hand and for reading what a call left behind; the calls under test only ever go through the
// C ABI.
class TestStore {
public:
    explicit TestStore(ThrowawayCluster* cluster)
        : m_cluster(cluster), m_schema("case_" + std::to_string(++s_cases)) {
        if (m_cluster)
            m_cluster->Exec("CREATE SCHEMA " + m_schema + "; GRANT ALL ON SCHEMA " + m_schema +
                            " TO " + ThrowawayCluster::kPasswordRole);
        else
            QDir().mkpath(m_dir.filePath(QStringLiteral("store")));
    }

    std::string Setting() const {
        return m_cluster ? m_cluster->Uri(m_schema)
                         : m_dir.filePath(QStringLiteral("store/projects.db")).toStdString();
    }

    // Runs SQL on the store; empty, or the complaint.
    std::string Exec(const std::string& sql) {
        if (m_cluster)
            return m_cluster->Exec("SET search_path = " + m_schema + "; " + sql);
        sqlite3* db = nullptr;
        std::string error;
        if (sqlite3_open(Setting().c_str(), &db) != SQLITE_OK ||
            sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
            error = sqlite3_errmsg(db);
        sqlite3_close(db);
        return error;
    }

    // The first value of the first row as text; empty when there is no row.
    std::string Query(const std::string& sql) {
        std::string value;
        if (m_cluster) {
            PGconn* conn = PQconnectdb(Setting().c_str());
            PGresult* result = PQexec(conn, sql.c_str());
            if (PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) > 0)
                value = PQgetvalue(result, 0, 0);
            PQclear(result);
            PQfinish(conn);
        } else {
            sqlite3* db = nullptr;
            sqlite3_open_v2(Setting().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
            sqlite3_exec(
                db, sql.c_str(),
                [](void* out, int, char** values, char**) {
                    *static_cast<std::string*>(out) = values[0] ? values[0] : "";
                    return 1; // the first row is enough
                },
                &value, nullptr);
            sqlite3_close(db);
        }
        return value;
    }

    // How many rows hold the reference (no quotes in it), or all rows.
    long Rows(const std::string& reference = {}) {
        return std::stol("0" +
                         Query("SELECT count(*) FROM PROJECT" +
                               (reference.empty() ? std::string()
                                                  : " WHERE REFERENCE_NO = '" + reference + "'")));
    }

    // Runs call while the store cannot be written: a read-only server, or a write-protected file
    // in a folder anyone may write to.
    int WhileReadOnly(const std::function<int()>& call) {
        if (m_cluster) {
            ScopedEnv readOnly(
                "KESTREL_PROJECT_STORE",
                QByteArray::fromStdString(Setting() + "%20-cdefault_transaction_read_only%3Don"));
            return call();
        }
        const std::string root = m_dir.path().toStdString(), folder = root + "/store";
        chmod(root.c_str(), 0755);
        chmod(folder.c_str(), 0777);
        chmod(Setting().c_str(), 0444);
        const int rc = WithoutRootRights(call);
        chmod(Setting().c_str(), 0644);
        chmod(folder.c_str(), 0700);
        chmod(root.c_str(), 0700);
        return rc;
    }

    // Settings of this kind that cannot reach a store.
    std::vector<std::string> Unreachable() const {
        if (!m_cluster) {
            // A regular file where a folder of the path should be.
            const QString blocker = m_dir.filePath(QStringLiteral("blocker"));
            (void)writeFile(blocker, {});
            return {blocker.toStdString() + "/store/projects.db"};
        }
        const std::string socket = m_cluster->SocketDir();
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
    ThrowawayCluster* m_cluster;
    std::string m_schema;
    QTemporaryDir m_dir;
};

class HostStoreContract : public ::testing::TestWithParam<StoreKind> {
protected:
    void SetUp() override {
        ThrowawayCluster* cluster = nullptr;
        if (GetParam() == StoreKind::Postgres) {
            if (ThrowawayCluster::SkipRequested())
                GTEST_SKIP() << "KESTREL_SKIP_PG=1: PostgreSQL cases skipped";
            cluster = &ThrowawayCluster::Shared();
            ASSERT_TRUE(cluster->Running())
                << "no PostgreSQL server for the tests: " << cluster->Error();
        }
        m_store.emplace(cluster);
        m_env.emplace("KESTREL_PROJECT_STORE", QByteArray::fromStdString(m_store->Setting()));
    }

    std::optional<TestStore> m_store;
    std::optional<ScopedEnv> m_env;
};

TEST_P(HostStoreContract, RegistersAndRenamesEachReferenceOnceComparingExactly) {
    EXPECT_EQ(CreateProject("A1234-00042-2026"), TERN_OK) << "the table is made on demand";
    EXPECT_EQ(CreateProject("A1234-00042-2026"), TERN_DUPLICATE);
    EXPECT_EQ(CreateProject("a1234-00042-2026"), TERN_OK) << "case counts";
    EXPECT_EQ(CreateProject(" A1234-00042-2026"), TERN_OK) << "blanks count";
    EXPECT_EQ(m_store->Rows("A1234-00042-2026"), 1);
    EXPECT_EQ(m_store->Rows(), 3);

    EXPECT_EQ(RenameProject("A1234-00043-2026", "A1234-00042-2026"), TERN_OK);
    EXPECT_EQ(m_store->Rows("A1234-00043-2026"), 1);
    EXPECT_EQ(m_store->Rows("A1234-00042-2026"), 0);
    EXPECT_EQ(CreateProject("A1234-00042-2026"), TERN_OK) << "the old reference is free again";
    // Onto a taken reference: refused, and both stay as they were.
    EXPECT_EQ(RenameProject("A1234-00043-2026", "A1234-00042-2026"), TERN_DUPLICATE);
    EXPECT_EQ(m_store->Rows("A1234-00042-2026"), 1);
    EXPECT_EQ(m_store->Rows("A1234-00043-2026"), 1);
    EXPECT_EQ(m_store->Rows(), 4);

    EXPECT_EQ(RenameProject("B1-00001-2026", "B1-00000-2026"), TERN_OK) << "unknown: registered";
    EXPECT_EQ(m_store->Rows("B1-00001-2026"), 1);
    EXPECT_EQ(m_store->Rows("B1-00000-2026"), 0);
    EXPECT_EQ(RenameProject("B1-00001-2026", "B1-00009-2026"), TERN_DUPLICATE)
        << "the new reference is taken even though the old one is unknown";
    // Onto itself: an unknown reference is registered, a known one kept.
    EXPECT_EQ(RenameProject("C1-00001-2026", "C1-00001-2026"), TERN_OK) << "unknown: registered";
    EXPECT_EQ(m_store->Rows("C1-00001-2026"), 1);
    EXPECT_EQ(RenameProject("C1-00001-2026", "C1-00001-2026"), TERN_OK) << "known: kept";
    EXPECT_EQ(m_store->Rows(), 6);
}

TEST_P(HostStoreContract, RefusesBadArgumentsBeforeTouchingTheStore) {
    const std::string tooLong(256, 'A');
    const char* const bad[] = {nullptr,           "", " ", " \t\n ", tooLong.c_str(),
                               "A1-\xff-2026",      // not UTF-8
                               "A1-\xc0\xaf-2026"}; // an overlong '/'
    for (const char* reference : bad) {
        const std::string shown = reference ? "\"" + std::string(reference) + "\"" : "null";
        EXPECT_EQ(CreateProject(reference), TERN_BAD_ARGUMENT) << shown;
        EXPECT_EQ(RenameProject(reference, "A1-00001-2026"), TERN_BAD_ARGUMENT) << shown;
        EXPECT_EQ(RenameProject("A1-00001-2026", reference), TERN_BAD_ARGUMENT) << shown;
    }
    EXPECT_EQ(m_store->Rows(), 0);
    EXPECT_EQ(CreateProject(std::string(255, 'A').c_str()), TERN_OK) << "255 bytes fit";
    EXPECT_EQ(CreateProject("A1-\xc3\xa9-2026"), TERN_OK) << "UTF-8 beyond ASCII";
}

TEST_P(HostStoreContract, RecordsWhenWhoAndWhereOfEachRegistrationAndRename) {
    ASSERT_EQ(CreateProject("D1-00001-2026"), TERN_OK);
    const std::string by = "' AND CREATED_AT IS NOT NULL AND CREATED_BY = '" + LoginName() +
                           "' AND CREATED_HOST = '" + HostName() + "'";
    EXPECT_EQ(
        m_store->Query("SELECT count(*) FROM PROJECT WHERE REFERENCE_NO = 'D1-00001-2026" + by),
        "1");
    ASSERT_EQ(RenameProject("D1-00002-2026", "D1-00001-2026"), TERN_OK);
    EXPECT_EQ(m_store->Query("SELECT count(*) FROM PROJECT WHERE REFERENCE_NO = 'D1-00002-2026" +
                             by + " AND RENAMED_AT IS NOT NULL AND RENAMED_BY = '" + LoginName() +
                             "' AND RENAMED_HOST = '" + HostName() + "'"),
              "1")
        << "a rename keeps the registration and records itself";
}

// Tables made by hand: an earlier layout is adopted with its rows, a table without a unique key
// gets one before use, and one that already holds a reference twice (a unique key on the
// reference together with another column guards nothing) is refused, left unchanged.
TEST_P(HostStoreContract, TablesOfOtherLayoutsAreAdoptedOrRefusedKeepingTheirRows) {
    ASSERT_EQ(m_store->Exec("CREATE TABLE PROJECT (REFERENCE_NO TEXT NOT NULL PRIMARY KEY,"
                            " CREATED_AT TEXT, RENAMED_AT TEXT);"
                            "INSERT INTO PROJECT (REFERENCE_NO) VALUES ('E1-00001-2026')"),
              "");
    EXPECT_EQ(CreateProject("E1-00001-2026"), TERN_DUPLICATE);
    EXPECT_EQ(CreateProject("E1-00002-2026"), TERN_OK);
    EXPECT_EQ(RenameProject("E1-00003-2026", "E1-00001-2026"), TERN_OK);
    EXPECT_EQ(m_store->Query("SELECT CREATED_HOST FROM PROJECT WHERE REFERENCE_NO = "
                             "'E1-00002-2026'"),
              HostName());
    EXPECT_EQ(m_store->Rows(), 2);

    ASSERT_EQ(m_store->Exec("DROP TABLE PROJECT; CREATE TABLE PROJECT (REFERENCE_NO TEXT,"
                            " CREATED_AT TEXT); INSERT INTO PROJECT (REFERENCE_NO) VALUES"
                            " ('F1-00001-2026')"),
              "");
    EXPECT_EQ(CreateProject("F1-00001-2026"), TERN_DUPLICATE);
    EXPECT_EQ(CreateProject("F1-00002-2026"), TERN_OK);
    EXPECT_EQ(CreateProject("F1-00002-2026"), TERN_DUPLICATE);
    EXPECT_EQ(RenameProject("F1-00002-2026", "F1-00001-2026"), TERN_DUPLICATE);
    EXPECT_EQ(m_store->Rows("F1-00002-2026"), 1);
    EXPECT_EQ(m_store->Rows(), 2);

    ASSERT_EQ(m_store->Exec("DROP TABLE PROJECT; CREATE TABLE PROJECT (REFERENCE_NO TEXT,"
                            " CREATED_AT TEXT, UNIQUE (REFERENCE_NO, CREATED_AT));"
                            "INSERT INTO PROJECT VALUES ('G1-00001-2026', '1'),"
                            " ('G1-00001-2026', '2')"),
              "");
    std::string said = StderrOf([] {
        EXPECT_EQ(CreateProject("G1-00002-2026"), TERN_STORE_ERROR);
        EXPECT_EQ(RenameProject("G1-00003-2026", "G1-00001-2026"), TERN_STORE_ERROR);
        EXPECT_EQ(CreateProject("G1-00001-2026"), TERN_STORE_ERROR);
    });
    EXPECT_NE(said.find("twice"), std::string::npos) << said;
    EXPECT_EQ(m_store->Rows("G1-00001-2026"), 2) << "nothing changed";
    EXPECT_EQ(m_store->Rows(), 2);
}

TEST_P(HostStoreContract, AnswersUnavailableWhileTheStoreCannotBeWrittenOrReached) {
    ASSERT_EQ(CreateProject("H1-00001-2026"), TERN_OK);
    EXPECT_EQ(m_store->WhileReadOnly([] { return CreateProject("H1-00002-2026"); }),
              TERN_STORE_UNAVAILABLE);
    EXPECT_EQ(
        m_store->WhileReadOnly([] { return RenameProject("H1-00003-2026", "H1-00001-2026"); }),
        TERN_STORE_UNAVAILABLE);
    EXPECT_EQ(m_store->WhileReadOnly([] { return CreateProject("H1-00001-2026"); }),
              TERN_STORE_UNAVAILABLE)
        << "not even a duplicate can be told";
    EXPECT_EQ(m_store->Rows("H1-00001-2026"), 1);
    EXPECT_EQ(m_store->Rows(), 1);

    for (const std::string& setting : m_store->Unreachable()) {
        ScopedEnv env("KESTREL_PROJECT_STORE", QByteArray::fromStdString(setting));
        EXPECT_EQ(CreateProject("I1-00001-2026"), TERN_STORE_UNAVAILABLE) << setting;
        EXPECT_EQ(RenameProject("I1-00002-2026", "I1-00001-2026"), TERN_STORE_UNAVAILABLE)
            << setting;
    }
}

// Four editors registering the same hundred references at once, each in its own order, then
// renaming onto one shared reference: every reference goes to exactly one of them.
TEST_P(HostStoreContract, RacingProcessesGetEachReferenceExactlyOnce) {
    constexpr int kProcesses = 4;
    constexpr int kReferences = 100;
    auto reference = [](int i) { return "R" + std::to_string(1000 + i) + "-00001-2026"; };

    // Runs task(process, its answers) in kProcesses children released at one moment; the
    // answers of every process, kReferences apiece, written into memory they share.
    auto race = [&](const std::function<void(int, char*)>& task) {
        auto* shared =
            static_cast<char*>(mmap(nullptr, kProcesses * kReferences, PROT_READ | PROT_WRITE,
                                    MAP_SHARED | MAP_ANONYMOUS, -1, 0));
        int gate[2];
        EXPECT_EQ(pipe(gate), 0);
        std::vector<pid_t> children;
        for (int p = 0; p < kProcesses; ++p) {
            children.push_back(fork());
            if (children.back() == 0) {
                close(gate[1]);
                char byte;
                (void)!read(gate[0], &byte, 1); // returns when the parent closes the gate
                task(p, shared + p * kReferences);
                _exit(0);
            }
        }
        close(gate[0]);
        close(gate[1]);
        for (const pid_t child : children) {
            int status = 0;
            EXPECT_EQ(waitpid(child, &status, 0), child);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        std::vector<char> answers(shared, shared + kProcesses * kReferences);
        munmap(shared, kProcesses * kReferences);
        return answers;
    };
    // How many processes got each answer for the i-th reference.
    auto tally = [](const std::vector<char>& answers, int i) {
        int won = 0, refused = 0;
        for (int p = 0; p < kProcesses; ++p) {
            won += answers[p * kReferences + i] == TERN_OK;
            refused += answers[p * kReferences + i] == TERN_DUPLICATE;
        }
        return std::pair{won, refused};
    };

    const auto created = race([&](int p, char* answers) {
        for (int k = 0; k < kReferences; ++k) {
            const int i = (k + p * kReferences / kProcesses) % kReferences;
            answers[i] = static_cast<char>(CreateProject(reference(i).c_str()));
        }
    });
    for (int i = 0; i < kReferences; ++i)
        EXPECT_EQ(tally(created, i), std::pair(1, kProcesses - 1)) << reference(i);
    EXPECT_EQ(m_store->Rows(), kReferences);

    const auto renamed = race([&](int p, char* answers) {
        answers[0] = static_cast<char>(RenameProject("R-SHARED-2026", reference(p).c_str()));
    });
    EXPECT_EQ(tally(renamed, 0), std::pair(1, kProcesses - 1));
    EXPECT_EQ(m_store->Rows("R-SHARED-2026"), 1);
    EXPECT_EQ(m_store->Rows(), kReferences) << "a rename neither adds nor loses a row";
}

INSTANTIATE_TEST_SUITE_P(Stores, HostStoreContract,
                         ::testing::Values(StoreKind::Sqlite, StoreKind::Postgres),
                         [](const ::testing::TestParamInfo<StoreKind>& info) {
                             return info.param == StoreKind::Sqlite ? "Sqlite" : "Postgres";
                         });

// Where the store lives, and which kind it is, as KESTREL_PROJECT_STORE says. Relative SQLite
// paths land in the working folder: that is the case's own.
class HostStoreLocation : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir::setCurrent(m_dir.path())); }
    void TearDown() override { QDir::setCurrent(m_previous); }

    static std::string Plugin() {
        return std::string(KESTREL_RUNTIME_DIR) + "/libTernSdkDefPostgres.so";
    }

    QTemporaryDir m_dir;
    QString m_previous = QDir::currentPath();
};

TEST_F(HostStoreLocation, WithoutASettingTheStoreLivesInTheXdgDataFolder) {
    const QString data = m_dir.filePath(QStringLiteral("data"));
    const QString home = m_dir.filePath(QStringLiteral("home"));
    ScopedEnv store("KESTREL_PROJECT_STORE", std::nullopt);
    ScopedEnv homeEnv("HOME", QFile::encodeName(home));
    {
        ScopedEnv xdg("XDG_DATA_HOME", QFile::encodeName(data));
        EXPECT_EQ(CreateProject("J1-00001-2026"), TERN_OK);
        EXPECT_TRUE(QFile::exists(data + QStringLiteral("/kestrel/projects.db")));
    }
    {
        ScopedEnv xdg("XDG_DATA_HOME", std::nullopt);
        EXPECT_EQ(CreateProject("J1-00001-2026"), TERN_OK) << "another store";
        EXPECT_TRUE(QFile::exists(home + QStringLiteral("/.local/share/kestrel/projects.db")));
    }
    {
        ScopedEnv empty("KESTREL_PROJECT_STORE", QByteArray());
        ScopedEnv xdg("XDG_DATA_HOME", QFile::encodeName(data));
        EXPECT_EQ(CreateProject("J1-00001-2026"), TERN_DUPLICATE) << "empty counts as unset";
    }
    ScopedEnv xdg("XDG_DATA_HOME", std::nullopt);
    ScopedEnv noHome("HOME", std::nullopt);
    EXPECT_EQ(CreateProject("J1-00002-2026"), TERN_STORE_UNAVAILABLE) << "nowhere to put it";
}

// A file that is no database is reported, not destroyed; a store in a read-only folder is
// unavailable, and nothing is left half done.
TEST_F(HostStoreLocation, AFileThatIsNoDatabaseOrAReadOnlyFolderIsUnavailable) {
    const QByteArray garbage(4096, '\x17');
    const QString garbageFile = m_dir.filePath(QStringLiteral("garbage.db"));
    ASSERT_TRUE(writeFile(garbageFile, garbage));
    {
        ScopedEnv store("KESTREL_PROJECT_STORE", QFile::encodeName(garbageFile));
        EXPECT_EQ(CreateProject("K1-00001-2026"), TERN_STORE_UNAVAILABLE);
        EXPECT_EQ(RenameProject("K1-00002-2026", "K1-00001-2026"), TERN_STORE_UNAVAILABLE);
        EXPECT_EQ(readFile(garbageFile), garbage);
    }
    // Which folder is at fault is said: a file where the store's folder should be, or a folder
    // that may not be written (at the root, with nothing to create).
    {
        ScopedEnv store("KESTREL_PROJECT_STORE", QFile::encodeName(garbageFile) + "/projects.db");
        const std::string said =
            StderrOf([] { EXPECT_EQ(CreateProject("K1-00001-2026"), TERN_STORE_UNAVAILABLE); });
        EXPECT_NE(said.find("cannot create the folder"), std::string::npos) << said;
    }
    {
        ScopedEnv store("KESTREL_PROJECT_STORE", QByteArray("/projects.db"));
        const std::string said = StderrOf([] {
            EXPECT_EQ(WithoutRootRights([] { return CreateProject("K1-00001-2026"); }),
                      TERN_STORE_UNAVAILABLE);
        });
        EXPECT_NE(said.find("is read-only"), std::string::npos) << said;
    }
    const QString folder = m_dir.filePath(QStringLiteral("store"));
    const QString path = folder + QStringLiteral("/projects.db");
    ScopedEnv store("KESTREL_PROJECT_STORE", QFile::encodeName(path));
    ASSERT_EQ(CreateProject("L1-00001-2026"), TERN_OK);
    chmod(QFile::encodeName(m_dir.path()).constData(), 0755);
    chmod(QFile::encodeName(path).constData(), 0666); // the file itself may be written
    chmod(QFile::encodeName(folder).constData(), 0555);
    EXPECT_EQ(WithoutRootRights([] { return CreateProject("L1-00002-2026"); }),
              TERN_STORE_UNAVAILABLE);
    EXPECT_EQ(WithoutRootRights([] { return CreateProject("L1-00001-2026"); }),
              TERN_STORE_UNAVAILABLE);
    chmod(QFile::encodeName(folder).constData(), 0700);
    EXPECT_EQ(CreateProject("L1-00002-2026"), TERN_OK) << "nothing was left half done";
}

TEST_F(HostStoreLocation, OnlyAUriOrAConnectionStringNamesAServer) {
    for (const char* server : {"postgresql:///projects?host=/nonexistent/kestrel",
                               "postgres:///projects?host=/nonexistent/kestrel",
                               "host=/nonexistent/kestrel dbname=projects",
                               "  dbname = projects host=/nonexistent/kestrel"}) {
        ScopedEnv store("KESTREL_PROJECT_STORE", QByteArray(server));
        EXPECT_EQ(CreateProject("M1-00001-2026"), TERN_STORE_UNAVAILABLE) << server;
    }
    EXPECT_TRUE(QDir(m_dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty())
        << "no SQLite file was made for a server setting";
    for (const char* file : {"a=b.db", "store=1", "postgresql.db"}) {
        ScopedEnv store("KESTREL_PROJECT_STORE", QByteArray(file));
        EXPECT_EQ(CreateProject("M1-00001-2026"), TERN_OK) << file;
        EXPECT_TRUE(QFile::exists(m_dir.filePath(QString::fromLatin1(file)))) << file;
    }
}

// Whatever goes wrong, standard error never shows a password.
TEST_F(HostStoreLocation, PasswordsNeverReachStandardError) {
    const std::string secret = "Sekrit-Pw-0815";
    ScopedEnv passwordEnv("PGPASSWORD", QByteArray("Env-Sekrit-0815"));
    for (const std::string& setting : std::vector<std::string>{
             "postgresql://kestrel:" + secret + "@/projects?host=/nonexistent/kestrel",
             "postgresql://kestrel:" + secret + "@[::1/projects", // malformed
             "postgresql://kestrel:" + secret + "@db%zz/projects",
             "host=/nonexistent/kestrel user=kestrel password=" + secret + " dbname=projects",
             "host=/nonexistent/kestrel user=kestrel password='" + secret + "' port=x",
             "host=/nonexistent/" + secret + " password=" + secret + " dbname=projects",
             "host=/nonexistent/kestrel dbname=projects", // the password comes from PGPASSWORD
         }) {
        ScopedEnv store("KESTREL_PROJECT_STORE", QByteArray::fromStdString(setting));
        const std::string said = StderrOf([] {
            EXPECT_EQ(CreateProject("N1-00001-2026"), TERN_STORE_UNAVAILABLE);
            EXPECT_EQ(RenameProject("N1-00002-2026", "N1-00001-2026"), TERN_STORE_UNAVAILABLE);
        });
        EXPECT_FALSE(said.empty()) << "a failure is worth a line";
        EXPECT_EQ(said.find(secret), std::string::npos) << said;
        EXPECT_EQ(said.find("Env-Sekrit-0815"), std::string::npos) << said;
    }
}

// The office's password reaches the server through libpq's own password file; a wrong one is
// refused as a setup fault.
TEST_F(HostStoreLocation, ThePasswordComesFromLibpqsOwnPasswordFile) {
    if (ThrowawayCluster::SkipRequested())
        GTEST_SKIP() << "KESTREL_SKIP_PG=1: PostgreSQL cases skipped";
    const std::string role = ThrowawayCluster::kPasswordRole;
    ThrowawayCluster& cluster = ThrowawayCluster::Shared();
    ASSERT_TRUE(cluster.Running()) << "no PostgreSQL server for the tests: " << cluster.Error();
    ASSERT_EQ(cluster.Exec("CREATE SCHEMA by_password; GRANT ALL ON SCHEMA by_password TO " + role),
              "");
    const std::string setting = "postgresql:///postgres?host=" + cluster.SocketDir() +
                                "&user=" + role + "&options=-csearch_path%3Dby_password";
    ScopedEnv store("KESTREL_PROJECT_STORE", QByteArray::fromStdString(setting));
    ScopedEnv noPassword("PGPASSWORD", std::nullopt);

    const QString passFile = m_dir.filePath(QStringLiteral("pgpass"));
    ScopedEnv passFileEnv("PGPASSFILE", QFile::encodeName(passFile));
    ASSERT_TRUE(writeFile(passFile, QByteArray::fromStdString("*:*:*:" + role + ":Wrong-Pw\n")));
    chmod(QFile::encodeName(passFile).constData(), 0600); // libpq ignores a file others can read
    const std::string said = StderrOf(
        [] { EXPECT_EQ(CreateProject("O1-00001-2026"), TERN_STORE_UNAVAILABLE) << "refused"; });
    EXPECT_EQ(said.find("Wrong-Pw"), std::string::npos) << said;

    ASSERT_TRUE(writeFile(passFile, QByteArray::fromStdString("*:*:*:" + role + ":" +
                                                              ThrowawayCluster::kPassword + "\n")));
    EXPECT_EQ(CreateProject("O1-00001-2026"), TERN_OK);
    EXPECT_EQ(CreateProject("O1-00001-2026"), TERN_DUPLICATE);
}

// PostgreSQL support is a plugin beside the library (libTernSdkDefPostgres.so), the only part that
// links libpq; KESTREL_SDKDEF_POSTGRES points the library at another file. Without it, server
// settings are unavailable with one line on standard error per call, and files still work.
TEST_F(HostStoreLocation, WithoutThePluginServerSettingsAreUnavailableAndFilesStillWork) {
    const std::string secret = "Sekrit-Pw-0815";
    ASSERT_TRUE(writeFile(m_dir.filePath(QStringLiteral("garbage.so")), QByteArray(4096, '\x17')));
    for (const std::string& plugin :
         {m_dir.path().toStdString() + "/nowhere/libTernSdkDefPostgres.so",
          m_dir.path().toStdString() + "/garbage.so",
          // a library, not the plugin
          std::string(KESTREL_RUNTIME_DIR) + "/libTernSdkDef.so"}) {
        ScopedEnv pluginEnv("KESTREL_SDKDEF_POSTGRES", QByteArray::fromStdString(plugin));
        for (const std::string& server : std::vector<std::string>{
                 "postgresql://kestrel:" + secret + "@/projects?host=/nonexistent/kestrel",
                 "postgres:///projects?host=/nonexistent/kestrel",
                 "host=/nonexistent/kestrel password=" + secret + " dbname=projects",
                 "a=b.db", // only libpq could say this is no connection string
             }) {
            ScopedEnv store("KESTREL_PROJECT_STORE", QByteArray::fromStdString(server));
            for (const std::string& said :
                 {StderrOf(
                      [] { EXPECT_EQ(CreateProject("P1-00001-2026"), TERN_STORE_UNAVAILABLE); }),
                  StderrOf([] {
                      EXPECT_EQ(RenameProject("P1-00002-2026", "P1-00001-2026"),
                                TERN_STORE_UNAVAILABLE);
                  })}) {
                EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1)
                    << plugin << " / " << server << ": one line per call\n"
                    << said;
                EXPECT_NE(said.find("PostgreSQL"), std::string::npos) << said;
                EXPECT_EQ(said.find(secret), std::string::npos) << said;
                EXPECT_EQ(said.find("nonexistent"), std::string::npos) << said;
            }
        }
        EXPECT_FALSE(QFile::exists(QStringLiteral("a=b.db")))
            << "an undecided setting made no SQLite file";

        const QString file = m_dir.filePath(QStringLiteral("store/projects.db"));
        for (const QByteArray& path : {QByteArray("projects.db"), QFile::encodeName(file)}) {
            ScopedEnv store("KESTREL_PROJECT_STORE", path);
            const std::string said = StderrOf([] {
                EXPECT_EQ(CreateProject("P1-00001-2026"), TERN_OK);
                EXPECT_EQ(CreateProject("P1-00001-2026"), TERN_DUPLICATE);
                EXPECT_EQ(RenameProject("P1-00002-2026", "P1-00001-2026"), TERN_OK);
            });
            EXPECT_EQ(said, "") << path.toStdString();
            ASSERT_TRUE(QFile::remove(QFile::decodeName(path)));
        }
    }
}

// A SQLite user never maps the plugin, nor libpq with it; a setting shaped like key=value loads it
// to ask libpq. A copy of the plugin under a name of this case's own tells whether it was loaded.
TEST_F(HostStoreLocation, ThePluginIsLoadedOnlyWhenASettingMayNameAServer) {
    const QString copy = m_dir.filePath(QStringLiteral("libTernSdkDefPostgres.so"));
    ASSERT_TRUE(QFile::copy(QString::fromStdString(Plugin()), copy));
    const QByteArray copyPath = QFile::encodeName(copy);
    ScopedEnv pluginEnv("KESTREL_SDKDEF_POSTGRES", copyPath);
    auto loaded = [&] {
        void* handle = dlopen(copyPath.constData(), RTLD_NOW | RTLD_NOLOAD);
        if (handle)
            dlclose(handle);
        return handle != nullptr;
    };

    {
        ScopedEnv store("KESTREL_PROJECT_STORE", std::nullopt);
        ScopedEnv xdg("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("data"))));
        EXPECT_EQ(CreateProject("Q1-00001-2026"), TERN_OK);
    }
    for (const QByteArray& file :
         {QByteArray("projects.db"),
          QFile::encodeName(m_dir.filePath(QStringLiteral("x=1/projects.db")))}) {
        ScopedEnv store("KESTREL_PROJECT_STORE", file);
        EXPECT_EQ(CreateProject("Q1-00001-2026"), TERN_OK) << file.toStdString();
        EXPECT_EQ(RenameProject("Q1-00002-2026", "Q1-00001-2026"), TERN_OK) << file.toStdString();
    }
    {
        ScopedEnv store("KESTREL_PROJECT_STORE", QByteArray("postgres:///projects?host=/nowhere"));
        EXPECT_EQ(CreateProject(nullptr), TERN_BAD_ARGUMENT) << "refused before the store";
    }
    EXPECT_FALSE(loaded()) << "no call needed PostgreSQL";

    ScopedEnv store("KESTREL_PROJECT_STORE", QByteArray("a=b.db"));
    EXPECT_EQ(CreateProject("Q1-00001-2026"), TERN_OK) << "libpq knows no keyword \"a\"";
    EXPECT_TRUE(QFile::exists(m_dir.filePath(QStringLiteral("a=b.db"))));
    EXPECT_TRUE(loaded()) << "the plugin was asked";
}

} // namespace
