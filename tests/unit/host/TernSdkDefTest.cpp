// The host store's contract, through the two exports the editor calls. The cases run once per
// kind of store: a SQLite file and a PostgreSQL server (a throwaway cluster of the test's own).
#include "host/TernSdkDef.h"

#include "ScopedEnv.h"
#include "TestFiles.h"
#include "ThrowawayCluster.h"

#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <dlfcn.h>
#include <functional>
#include <grp.h>
#include <optional>
#include <pwd.h>
#include <string>
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

const std::string kHost = QSysInfo::machineHostName().toStdString();

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

// A fresh, empty store for each case: a SQLite file, or a schema of its own on the process's one
// PostgreSQL cluster. The calls under test only ever go through the C ABI; a side door arranges
// a table by hand and reads what a call left behind.
class HostStoreContract : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (GetParam()) {
            // Only when asked: a machine that lacks the server should fail the run, not pass.
            if (qgetenv("KESTREL_SKIP_PG") == "1")
                GTEST_SKIP() << "PostgreSQL cases skipped: KESTREL_SKIP_PG=1";
            static ThrowawayCluster shared(/*durable=*/false); // one per process, on first use
            m_cluster = &shared;
            ASSERT_TRUE(m_cluster->Running()) << "no PostgreSQL server: " << m_cluster->Error();
            ASSERT_EQ(m_cluster->Exec("CREATE SCHEMA " + m_schema), "");
        }
        QDir().mkpath(m_dir.filePath(QStringLiteral("store")));
        m_env.emplace("KESTREL_PROJECT_STORE", QByteArray::fromStdString(Setting()));
    }

    std::string Setting() const {
        return m_cluster ? m_cluster->Uri(m_schema)
                         : m_dir.filePath(QStringLiteral("store/projects.db")).toStdString();
    }

    // Runs SQL on the store: the first column of every row the last statement gave, joined by
    // '|'; or '!' and the complaint.
    std::string Sql(const std::string& sql) {
        std::string rows, error;
        if (m_cluster) {
            error = m_cluster->Exec("SET search_path = " + m_schema + "; " + sql, &rows);
        } else {
            const auto append = [](void* rows, int, char** values, char**) {
                auto& text = *static_cast<std::string*>(rows);
                text += (text.empty() ? "" : "|") + std::string(values[0] ? values[0] : "");
                return 0;
            };
            sqlite3* db = nullptr;
            if (sqlite3_open(Setting().c_str(), &db) != SQLITE_OK ||
                sqlite3_exec(db, sql.c_str(), append, &rows, nullptr) != SQLITE_OK)
                error = sqlite3_errmsg(db);
            sqlite3_close(db);
        }
        return error.empty() ? rows : '!' + error;
    }
    // Every reference in byte order, joined by '|'; how many rows match the condition.
    std::string List() { return Sql("SELECT REFERENCE_NO FROM PROJECT ORDER BY 1"); }
    std::string Count(const std::string& where) {
        return Sql("SELECT count(*) FROM PROJECT WHERE " + where);
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

    static inline int s_cases = 0;
    ThrowawayCluster* m_cluster = nullptr;
    std::string m_schema = "case_" + std::to_string(++s_cases);
    QTemporaryDir m_dir;
    std::optional<ScopedEnv> m_env;
};

// Each call as {new reference, old one (null: a registration), answer}, in order; Send makes it.
struct Call {
    const char* reference;
    const char* old;
    int answer;
    int Send() const { return old ? RenameProject(reference, old) : CreateProject(reference); }
};

// An unreachable store (a missing folder, a server nobody runs) is pinned by HostStoreLocation.
TEST_P(HostStoreContract, RegistersAndRenamesEachReferenceOnceComparingExactly) {
    const Call calls[] = {
        {"A2", nullptr, TERN_OK}, // the table is made on demand
        {"A2", nullptr, TERN_DUPLICATE},
        {"a2", nullptr, TERN_OK},  // case counts
        {" A2", nullptr, TERN_OK}, // blanks count
        {"A3", "A2", TERN_OK},
        {"A2", nullptr, TERN_OK},     // the old reference is free again
        {"A3", "A2", TERN_DUPLICATE}, // onto a taken one: both stay
        {"B1", "B0", TERN_OK},        // an unknown one is registered
        {"B1", "B9", TERN_DUPLICATE}, // taken, though the old one is unknown
        {"C1", "C1", TERN_OK},        // onto itself: unknown, registered
        {"C1", "C1", TERN_OK},        // known, kept
    };
    for (const Call& c : calls)
        EXPECT_EQ(c.Send(), c.answer) << c.reference << " from " << (c.old ? c.old : "-");
    // While the store cannot be written, not even a duplicate can be told.
    for (const Call& c : {Call{"H2", nullptr}, Call{"H3", "A3"}, Call{"A2", nullptr}})
        EXPECT_EQ(WhileReadOnly([&c] { return c.Send(); }), TERN_STORE_UNAVAILABLE);
    EXPECT_EQ(List(), " A2|A2|A3|B1|C1|a2");
    // Who registered and renamed, on which machine, and when: a rename keeps the registration.
    std::string stamped = "REFERENCE_NO = 'A3'";
    for (const char* what : {"CREATED", "RENAMED"})
        stamped += std::string(" AND ") + what + "_AT IS NOT NULL AND " + what + "_BY = '" +
                   getpwuid(geteuid())->pw_name + "' AND " + what + "_HOST = '" + kHost + "'";
    EXPECT_EQ(Count(stamped), "1");
}

TEST_P(HostStoreContract, RefusesBadArgumentsBeforeTouchingTheStore) {
    const std::string tooLong(256, 'A');
    // Not UTF-8: a byte no character starts with, a cut character, an overlong '/', a surrogate,
    // the first code point beyond Unicode.
    for (const char* reference :
         {static_cast<const char*>(nullptr), "", " \t\n ", tooLong.c_str(), "A1-\xff-2026",
          "A1-\xc3-26", "A1-\xc0\xaf-2026", "A1-\xed\xa0\x80", "A1-\xf4\x90\x80\x80"}) {
        EXPECT_EQ(CreateProject(reference), TERN_BAD_ARGUMENT) << (reference ? reference : "null");
        EXPECT_EQ(RenameProject(reference, "A1"), TERN_BAD_ARGUMENT);
        EXPECT_EQ(RenameProject("A1", reference), TERN_BAD_ARGUMENT);
    }
    EXPECT_EQ(List().find("!"), 0u) << "not even the table was made";
    EXPECT_EQ(CreateProject(std::string(255, 'A').c_str()), TERN_OK) << "255 bytes fit";
    EXPECT_EQ(CreateProject("A1-\xc3\xa9-2026"), TERN_OK) << "UTF-8 beyond ASCII";
    EXPECT_EQ(CreateProject("A1-\xf4\x8f\xbf\xbf"), TERN_OK) << "the last code point";
}

// Tables made by hand: an earlier layout is adopted with its rows, a table without a unique key
// gets one before use, and one that already holds a reference twice (a unique key on the
// reference together with another column guards nothing) is refused, left unchanged.
TEST_P(HostStoreContract, TablesOfOtherLayoutsAreAdoptedOrRefusedKeepingTheirRows) {
    const struct {
        const char* table;
        std::vector<Call> calls;
        const char* left;
    } cases[] = {
        {"(REFERENCE_NO TEXT NOT NULL PRIMARY KEY, CREATED_AT TEXT, RENAMED_AT TEXT);"
         "INSERT INTO PROJECT (REFERENCE_NO) VALUES ('E1')",
         {{"E1", nullptr, TERN_DUPLICATE}, {"E2", nullptr, TERN_OK}, {"E3", "E1", TERN_OK}},
         "E2|E3"},
        {"(REFERENCE_NO TEXT, CREATED_AT TEXT); INSERT INTO PROJECT (REFERENCE_NO) VALUES ('F1')",
         {{"F1", nullptr, TERN_DUPLICATE},
          {"F2", nullptr, TERN_OK},
          {"F2", nullptr, TERN_DUPLICATE},
          {"F2", "F1", TERN_DUPLICATE}},
         "F1|F2"},
        {"(REFERENCE_NO TEXT, CREATED_AT TEXT, UNIQUE (REFERENCE_NO, CREATED_AT));"
         "INSERT INTO PROJECT VALUES ('G1', '1'), ('G1', '2')",
         {{"G2", nullptr, TERN_STORE_ERROR},
          {"G3", "G1", TERN_STORE_ERROR},
          {"G1", nullptr, TERN_STORE_ERROR}},
         "G1|G1"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(Sql(std::string("DROP TABLE IF EXISTS PROJECT; CREATE TABLE PROJECT ") + c.table),
                  "");
        const std::string said = StderrOf([&c] {
            for (const Call& call : c.calls)
                EXPECT_EQ(call.Send(), call.answer) << call.reference;
        });
        EXPECT_EQ(List(), c.left);
        EXPECT_EQ(said.find("twice") != std::string::npos, c.left[0] == 'G') << said;
        if (c.left[0] == 'E') { // the adopted layout gained the columns it lacked
            EXPECT_EQ(Count("CREATED_HOST = '" + kHost + "'"), "1");
        }
    }
}

// Four editors registering the same hundred references at once, each in its own order, then
// renaming onto one shared reference: every reference goes to exactly one of them.
TEST_P(HostStoreContract, RacingProcessesGetEachReferenceExactlyOnce) {
    constexpr int kProcesses = 4, kReferences = 100;
    const auto name = [](int i) { return "R" + std::to_string(1000 + i % kReferences); };
    // Children released at one moment each register every reference from a starting point of
    // their own, or rename their own one onto R-SHARED. How many calls won; an answer other than
    // a win or a duplicate counts 1000.
    const auto race = [&](bool rename) {
        int gate[2];
        EXPECT_EQ(pipe(gate), 0);
        std::vector<pid_t> children;
        for (int p = 0; p < kProcesses; ++p) {
            if (children.emplace_back(fork()) != 0)
                continue;
            close(gate[1]);
            char byte;
            (void)!read(gate[0], &byte, 1); // returns when the parent closes the gate
            int won = 0;
            for (int k = 0; k < (rename ? 1 : kReferences); ++k) {
                const int answer =
                    rename ? RenameProject("R-SHARED", name(p).c_str())
                           : CreateProject(name(k + p * kReferences / kProcesses).c_str());
                won += answer == TERN_OK ? 1 : answer == TERN_DUPLICATE ? 0 : 1000;
            }
            _exit(std::min(won, 255));
        }
        close(gate[0]);
        close(gate[1]);
        int won = 0;
        for (const pid_t child : children) {
            int status = 0;
            EXPECT_EQ(waitpid(child, &status, 0), child);
            won += WIFEXITED(status) ? WEXITSTATUS(status) : 1000;
        }
        return won;
    };
    EXPECT_EQ(race(false), kReferences);
    EXPECT_EQ(race(true), 1);
    EXPECT_EQ(Count("REFERENCE_NO = 'R-SHARED'"), "1");
    EXPECT_EQ(Count("1 = 1"), "100") << "a rename neither adds nor loses a row";
}

INSTANTIATE_TEST_SUITE_P(Stores, HostStoreContract, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Postgres" : "Sqlite"; });

// Where the store lives, and which kind it is, as KESTREL_PROJECT_STORE says. Relative SQLite
// paths land in the working folder: that is the case's own.
class HostStoreLocation : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir::setCurrent(m_dir.path())); }
    void TearDown() override { QDir::setCurrent(m_previous); }

    QTemporaryDir m_dir;
    QString m_previous = QDir::currentPath();
};

// Registers the reference with KESTREL_PROJECT_STORE set so (unset: nullopt); the answer.
int CreateWith(const std::optional<QByteArray>& setting, const char* reference) {
    ScopedEnv store("KESTREL_PROJECT_STORE", setting);
    return CreateProject(reference);
}

// A file that is no database is reported, not destroyed; a file where the store's folder should
// be is named as the fault. A folder that may not be written makes even a duplicate unavailable,
// and nothing is left half done.
TEST_F(HostStoreLocation, AFileThatIsNoDatabaseOrAReadOnlyFolderIsUnavailable) {
    const QByteArray garbage(4096, '\x17'), garbageFile = QFile::encodeName(m_dir.path()) + "/g.db";
    ASSERT_TRUE(writeFile(QFile::decodeName(garbageFile), garbage));
    // What standard error said of a call that answered unavailable.
    const auto unavailable = [](const std::function<int()>& call) {
        return StderrOf([&call] { EXPECT_EQ(call(), TERN_STORE_UNAVAILABLE); });
    };
    for (const QByteArray& setting : {garbageFile, garbageFile + "/sub/projects.db"}) {
        ScopedEnv store("KESTREL_PROJECT_STORE", setting);
        EXPECT_FALSE(unavailable([] { return CreateProject("K1"); }).empty());
        EXPECT_EQ(unavailable([] { return RenameProject("K2", "K1"); }).find("create the folder") !=
                      std::string::npos,
                  setting.endsWith("/sub/projects.db"));
    }
    EXPECT_EQ(readFile(QFile::decodeName(garbageFile)), garbage);

    const QString folder = m_dir.filePath(QStringLiteral("store"));
    const QByteArray path = QFile::encodeName(folder) + "/projects.db";
    ScopedEnv store("KESTREL_PROJECT_STORE", path);
    ASSERT_EQ(CreateProject("L1"), TERN_OK);
    chmod(QFile::encodeName(m_dir.path()).constData(), 0755);
    chmod(path.constData(), 0666); // the file itself may be written
    chmod(QFile::encodeName(folder).constData(), 0555);
    for (const char* reference : {"L2", "L1"}) // root may write anywhere
        EXPECT_NE(unavailable([reference] {
                      return WithoutRootRights([reference] { return CreateProject(reference); });
                  }).find("is read-only"),
                  std::string::npos);
    chmod(QFile::encodeName(folder).constData(), 0700);
    EXPECT_EQ(CreateProject("L2"), TERN_OK) << "nothing was left half done";
}

// PostgreSQL support is a plugin beside the library (libTernSdkDefPostgres.so), the only part that
// links libpq; KESTREL_SDKDEF_POSTGRES points the library at another file. Whatever goes wrong
// with a server setting, it is unavailable, standard error says so and never shows a password;
// without the plugin, in one line per call. Only libpq could say "a=b.db" is no connection string:
// without the plugin it makes no SQLite file.
TEST_F(HostStoreLocation, FailingServerSettingsAreUnavailableAndNeverShowAPassword) {
    const std::string secret = "Sekrit-Pw-0815",
                      realPlugin = KESTREL_RUNTIME_DIR "/libTernSdkDefPostgres.so";
    ScopedEnv passwordEnv("PGPASSWORD", QByteArray("Env-Sekrit-0815"));
    ASSERT_TRUE(writeFile(m_dir.filePath(QStringLiteral("garbage.so")), QByteArray(4096, '\x17')));
    for (const std::string& plugin :
         {realPlugin, m_dir.path().toStdString() + "/garbage.so",
          std::string(KESTREL_RUNTIME_DIR) + "/libTernSdkDef.so"}) { // a library, not the plugin
        ScopedEnv pluginEnv("KESTREL_SDKDEF_POSTGRES", QByteArray::fromStdString(plugin));
        std::vector<std::string> settings = {
            "postgres://kestrel:" + secret + "@/projects?host=/nonexistent/kestrel",
            "postgresql://kestrel:" + secret + "@[::1/projects", // malformed
            "host=/nonexistent/" + secret + " password='" + secret + "' dbname=projects",
            "  dbname = projects host=/nonexistent/kestrel", // the password from PGPASSWORD
        };
        if (plugin != realPlugin)
            settings.push_back("a=b.db");
        for (const std::string& setting : settings) {
            ScopedEnv store("KESTREL_PROJECT_STORE", QByteArray::fromStdString(setting));
            for (const Call& c : {Call{"N1", nullptr}, Call{"N2", "N1"}}) {
                const std::string said =
                    StderrOf([&c] { EXPECT_EQ(c.Send(), TERN_STORE_UNAVAILABLE); });
                EXPECT_FALSE(said.empty()) << "a failure is worth a line";
                EXPECT_EQ(said.find(secret), std::string::npos) << said;
                EXPECT_EQ(said.find("Env-Sekrit-0815"), std::string::npos) << said;
                if (plugin != realPlugin) {
                    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
                    EXPECT_NE(said.find("PostgreSQL"), std::string::npos) << said;
                    EXPECT_EQ(said.find("nonexistent"), std::string::npos) << said;
                }
            }
        }
    }
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList{QStringLiteral("garbage.so")})
        << "no SQLite file was made for a server setting";
}

// Without a setting, or with an empty one, the store lives in the XDG data folder, else under
// HOME, else nowhere. A SQLite user never maps the PostgreSQL plugin, nor libpq with it; a setting
// shaped like key=value loads it to ask libpq. A copy of the plugin under a name of this case's
// own tells whether it was loaded.
TEST_F(HostStoreLocation, TheSettingPlacesTheStoreAndOnlyAPossibleServerLoadsThePlugin) {
    const QString copy = m_dir.filePath(QStringLiteral("libTernSdkDefPostgres.so"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(KESTREL_RUNTIME_DIR "/libTernSdkDefPostgres.so"), copy));
    const QByteArray copyPath = QFile::encodeName(copy);
    ScopedEnv pluginEnv("KESTREL_SDKDEF_POSTGRES", copyPath);
    auto loaded = [&] {
        void* handle = dlopen(copyPath.constData(), RTLD_NOW | RTLD_NOLOAD);
        return handle && dlclose(handle) == 0;
    };

    const QString data = m_dir.filePath(QStringLiteral("data"));
    const QString home = m_dir.filePath(QStringLiteral("home"));
    ScopedEnv homeEnv("HOME", QFile::encodeName(home));
    {
        ScopedEnv xdg("XDG_DATA_HOME", QFile::encodeName(data));
        EXPECT_EQ(CreateWith(std::nullopt, "J1"), TERN_OK);
        EXPECT_TRUE(QFile::exists(data + QStringLiteral("/kestrel/projects.db")));
        EXPECT_EQ(CreateWith(QByteArray(), "J1"), TERN_DUPLICATE) << "empty counts as unset";
    }
    ScopedEnv xdg("XDG_DATA_HOME", std::nullopt);
    EXPECT_EQ(CreateWith(std::nullopt, "J1"), TERN_OK) << "another store";
    EXPECT_TRUE(QFile::exists(home + QStringLiteral("/.local/share/kestrel/projects.db")));
    ScopedEnv noHome("HOME", std::nullopt);
    EXPECT_EQ(CreateWith(std::nullopt, "J2"), TERN_STORE_UNAVAILABLE) << "nowhere to put it";
    EXPECT_EQ(CreateWith("postgres:///projects?host=/nowhere", nullptr), TERN_BAD_ARGUMENT)
        << "refused before the store";

    // A relative path lands in the working folder; libpq knows no keyword "a": a file.
    for (const auto& [setting, asksLibpq] :
         {std::pair<QByteArray, bool>{"projects.db", false},
          {QFile::encodeName(m_dir.filePath(QStringLiteral("x=1/projects.db"))), false},
          {"postgresql.db", false},
          {"a=b.db", true}}) {
        ScopedEnv store("KESTREL_PROJECT_STORE", setting);
        EXPECT_EQ(CreateProject("Q1-00001-2026"), TERN_OK) << setting.toStdString();
        EXPECT_EQ(RenameProject("Q1-00002-2026", "Q1-00001-2026"), TERN_OK);
        EXPECT_TRUE(QFile::exists(QFile::decodeName(setting))) << setting.toStdString();
        EXPECT_EQ(loaded(), asksLibpq) << setting.toStdString();
    }
}

} // namespace
