// The host store's contract, through the two exports the editor calls. The cases run once per
// kind of store: a SQLite file and a PostgreSQL server (a throwaway cluster of the test's own).
#include "host/TernSdkDef.h"

#include "ScopedEnv.h"
#include "TestFiles.h"
#include "TestStores.h"
#include "ThrowawayCluster.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <dlfcn.h>
#include <fcntl.h>
#include <functional>
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
    char path[] = "/tmp/kestrel-stderr-XXXXXX";
    const int capture = mkstemp(path);
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    dup2(capture, STDERR_FILENO);
    call();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    close(capture);
    const QByteArray text = readFile(QString::fromLocal8Bit(path));
    unlink(path);
    return text.toStdString();
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

bool PostgresSkipped() {
    return ThrowawayCluster::SkipRequested();
}

class HostStoreContract : public ::testing::TestWithParam<StoreKind> {
protected:
    void SetUp() override {
        if (GetParam() == StoreKind::Postgres && PostgresSkipped())
            GTEST_SKIP() << "KESTREL_SKIP_PG=1: PostgreSQL cases skipped";
        std::string why;
        m_store = TestStore::Make(GetParam(), &why);
        ASSERT_TRUE(m_store) << "no PostgreSQL server for the tests: " << why;
        m_env.emplace("KESTREL_PROJECT_STORE", QByteArray::fromStdString(m_store->Setting()));
    }

    std::unique_ptr<TestStore> m_store;
    std::optional<ScopedEnv> m_env;
};

TEST_P(HostStoreContract, RegistersEachReferenceOnceComparingExactly) {
    EXPECT_EQ(CreateProject("A1234-00042-2026"), TERN_OK) << "the table is made on demand";
    EXPECT_EQ(CreateProject("A1234-00042-2026"), TERN_DUPLICATE);
    EXPECT_EQ(CreateProject("a1234-00042-2026"), TERN_OK) << "case counts";
    EXPECT_EQ(CreateProject(" A1234-00042-2026"), TERN_OK) << "blanks count";
    EXPECT_EQ(m_store->Rows("A1234-00042-2026"), 1);
    EXPECT_EQ(m_store->AllRows(), 3);
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
    EXPECT_EQ(m_store->AllRows(), 0);
    EXPECT_EQ(CreateProject(std::string(255, 'A').c_str()), TERN_OK) << "255 bytes fit";
    EXPECT_EQ(CreateProject("A1-\xc3\xa9-2026"), TERN_OK) << "UTF-8 beyond ASCII";
}

TEST_P(HostStoreContract, RenamesOntoAFreeReferenceOnly) {
    ASSERT_EQ(CreateProject("A1234-00042-2026"), TERN_OK);
    EXPECT_EQ(RenameProject("A1234-00043-2026", "A1234-00042-2026"), TERN_OK);
    EXPECT_EQ(m_store->Rows("A1234-00043-2026"), 1);
    EXPECT_EQ(m_store->Rows("A1234-00042-2026"), 0);
    EXPECT_EQ(CreateProject("A1234-00042-2026"), TERN_OK) << "the old reference is free again";

    // Onto a taken reference: refused, and both stay as they were.
    EXPECT_EQ(RenameProject("A1234-00043-2026", "A1234-00042-2026"), TERN_DUPLICATE);
    EXPECT_EQ(m_store->Rows("A1234-00042-2026"), 1);
    EXPECT_EQ(m_store->Rows("A1234-00043-2026"), 1);
    EXPECT_EQ(m_store->AllRows(), 2);
}

TEST_P(HostStoreContract, RenameOfAnUnknownReferenceRegistersTheNewOne) {
    EXPECT_EQ(RenameProject("B1-00001-2026", "B1-00000-2026"), TERN_OK);
    EXPECT_EQ(m_store->Rows("B1-00001-2026"), 1);
    EXPECT_EQ(m_store->Rows("B1-00000-2026"), 0);
    EXPECT_EQ(RenameProject("B1-00001-2026", "B1-00009-2026"), TERN_DUPLICATE)
        << "the new reference is taken even though the old one is unknown";
    // Onto itself: an unknown reference is registered, a known one kept.
    EXPECT_EQ(RenameProject("C1-00001-2026", "C1-00001-2026"), TERN_OK) << "unknown: registered";
    EXPECT_EQ(m_store->Rows("C1-00001-2026"), 1);
    EXPECT_EQ(RenameProject("C1-00001-2026", "C1-00001-2026"), TERN_OK) << "known: kept";
    EXPECT_EQ(m_store->AllRows(), 2);
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

TEST_P(HostStoreContract, AdoptsATableOfTheEarlierLayoutKeepingItsRows) {
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
    EXPECT_EQ(m_store->AllRows(), 2);
}

TEST_P(HostStoreContract, GivesATableWithoutAUniqueKeyOneBeforeUse) {
    ASSERT_EQ(m_store->Exec("CREATE TABLE PROJECT (REFERENCE_NO TEXT, CREATED_AT TEXT);"
                            "INSERT INTO PROJECT (REFERENCE_NO) VALUES ('F1-00001-2026')"),
              "");
    EXPECT_EQ(CreateProject("F1-00001-2026"), TERN_DUPLICATE);
    EXPECT_EQ(CreateProject("F1-00002-2026"), TERN_OK);
    EXPECT_EQ(CreateProject("F1-00002-2026"), TERN_DUPLICATE);
    EXPECT_EQ(RenameProject("F1-00002-2026", "F1-00001-2026"), TERN_DUPLICATE);
    EXPECT_EQ(m_store->Rows("F1-00002-2026"), 1);
    EXPECT_EQ(m_store->AllRows(), 2);
}

// A unique key on the reference together with another column guards nothing; the key the store
// would add cannot be made over the rows already there.
TEST_P(HostStoreContract, RefusesATableThatAlreadyHoldsAReferenceTwice) {
    ASSERT_EQ(m_store->Exec("CREATE TABLE PROJECT (REFERENCE_NO TEXT, CREATED_AT TEXT,"
                            " UNIQUE (REFERENCE_NO, CREATED_AT));"
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
    EXPECT_EQ(m_store->AllRows(), 2);
}

TEST_P(HostStoreContract, AnswersUnavailableWhileTheStoreCannotBeWritten) {
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
    EXPECT_EQ(m_store->AllRows(), 1);
}

TEST_P(HostStoreContract, AnswersUnavailableWhenTheStoreCannotBeReached) {
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

    // Runs task(process) in kProcesses children released at one moment; each child reports one
    // byte per answer.
    auto race = [&](int answersEach, const std::function<void(int, std::vector<char>&)>& task) {
        int gate[2];
        EXPECT_EQ(pipe(gate), 0);
        std::vector<std::array<int, 2>> reports(kProcesses);
        std::vector<pid_t> children;
        for (int p = 0; p < kProcesses; ++p) {
            EXPECT_EQ(pipe(reports[p].data()), 0);
            const pid_t pid = fork();
            if (pid == 0) {
                close(gate[1]);
                char byte;
                (void)!read(gate[0], &byte, 1); // returns when the parent closes the gate
                std::vector<char> answers;
                task(p, answers);
                const ssize_t written = write(reports[p][1], answers.data(), answers.size());
                _exit(written == static_cast<ssize_t>(answers.size()) ? 0 : 1);
            }
            close(reports[p][1]);
            children.push_back(pid);
        }
        close(gate[0]);
        close(gate[1]);
        std::vector<std::vector<char>> answers(kProcesses);
        for (int p = 0; p < kProcesses; ++p) {
            answers[p].resize(answersEach);
            size_t got = 0;
            ssize_t n = 0;
            while (got < answers[p].size() &&
                   (n = read(reports[p][0], answers[p].data() + got, answers[p].size() - got)) > 0)
                got += n;
            EXPECT_EQ(got, answers[p].size()) << "process " << p;
            close(reports[p][0]);
            int status = 0;
            EXPECT_EQ(waitpid(children[p], &status, 0), children[p]);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "process " << p;
        }
        return answers;
    };

    const auto created = race(kReferences, [&](int p, std::vector<char>& answers) {
        answers.assign(kReferences, 0);
        for (int k = 0; k < kReferences; ++k) {
            const int i = (k + p * kReferences / kProcesses) % kReferences;
            answers[i] = static_cast<char>(CreateProject(reference(i).c_str()));
        }
    });
    for (int i = 0; i < kReferences; ++i) {
        int won = 0, refused = 0;
        for (const auto& answers : created) {
            won += answers[i] == TERN_OK;
            refused += answers[i] == TERN_DUPLICATE;
        }
        EXPECT_EQ(won, 1) << reference(i);
        EXPECT_EQ(refused, kProcesses - 1) << reference(i);
    }
    EXPECT_EQ(m_store->AllRows(), kReferences);

    const auto renamed = race(1, [&](int p, std::vector<char>& answers) {
        answers.push_back(static_cast<char>(RenameProject("R-SHARED-2026", reference(p).c_str())));
    });
    int won = 0, refused = 0;
    for (const auto& answers : renamed) {
        won += answers[0] == TERN_OK;
        refused += answers[0] == TERN_DUPLICATE;
    }
    EXPECT_EQ(won, 1);
    EXPECT_EQ(refused, kProcesses - 1);
    EXPECT_EQ(m_store->Rows("R-SHARED-2026"), 1);
    EXPECT_EQ(m_store->AllRows(), kReferences) << "a rename neither adds nor loses a row";
}

INSTANTIATE_TEST_SUITE_P(Stores, HostStoreContract,
                         ::testing::Values(StoreKind::Sqlite, StoreKind::Postgres),
                         [](const ::testing::TestParamInfo<StoreKind>& info) {
                             return info.param == StoreKind::Sqlite ? "Sqlite" : "Postgres";
                         });

// Where the store lives, and which kind it is, as KESTREL_PROJECT_STORE says.
class HostStoreLocation : public ::testing::Test {
protected:
    QTemporaryDir m_dir;
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

TEST_F(HostStoreLocation, AFileThatIsNoDatabaseIsReportedNotDestroyed) {
    const QString path = m_dir.filePath(QStringLiteral("projects.db"));
    const QByteArray garbage(4096, '\x17');
    ASSERT_TRUE(writeFile(path, garbage));
    ScopedEnv store("KESTREL_PROJECT_STORE", QFile::encodeName(path));
    EXPECT_EQ(CreateProject("K1-00001-2026"), TERN_STORE_UNAVAILABLE);
    EXPECT_EQ(RenameProject("K1-00002-2026", "K1-00001-2026"), TERN_STORE_UNAVAILABLE);
    EXPECT_EQ(readFile(path), garbage);
}

TEST_F(HostStoreLocation, AStoreInAReadOnlyFolderIsUnavailable) {
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
    // Relative SQLite paths land in the working folder: make that ours.
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_dir.path()));
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
    QDir::setCurrent(previous);
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
    if (PostgresSkipped())
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
// links libpq. KESTREL_SDKDEF_POSTGRES points the library at another file for these cases.
class HostStorePostgresPlugin : public ::testing::Test {
protected:
    void SetUp() override {
        // Relative SQLite paths land in the working folder: make that ours.
        m_previous = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(m_dir.path()));
    }
    void TearDown() override { QDir::setCurrent(m_previous); }

    static std::string Plugin() {
        return std::string(KESTREL_RUNTIME_DIR) + "/libTernSdkDefPostgres.so";
    }

    QTemporaryDir m_dir;
    QString m_previous;
};

TEST_F(HostStorePostgresPlugin, WithoutItServerSettingsAreUnavailableAndFilesStillWork) {
    const std::string secret = "Sekrit-Pw-0815";
    const QString notALibrary = m_dir.filePath(QStringLiteral("garbage.so"));
    ASSERT_TRUE(writeFile(notALibrary, QByteArray(4096, '\x17')));
    const std::vector<std::string> missingPlugins{
        m_dir.filePath(QStringLiteral("nowhere/libTernSdkDefPostgres.so")).toStdString(),
        notALibrary.toStdString(),
        std::string(KESTREL_RUNTIME_DIR) + "/libTernSdkDef.so", // a library, not the plugin
    };
    for (const std::string& plugin : missingPlugins) {
        ScopedEnv pluginEnv("KESTREL_SDKDEF_POSTGRES", QByteArray::fromStdString(plugin));
        for (const std::string& server : std::vector<std::string>{
                 "postgresql://kestrel:" + secret + "@/projects?host=/nonexistent/kestrel",
                 "postgres:///projects?host=/nonexistent/kestrel",
                 "host=/nonexistent/kestrel password=" + secret + " dbname=projects",
                 "a=b.db", // only libpq could say this is no connection string
             }) {
            ScopedEnv store("KESTREL_PROJECT_STORE", QByteArray::fromStdString(server));
            const std::string created =
                StderrOf([] { EXPECT_EQ(CreateProject("P1-00001-2026"), TERN_STORE_UNAVAILABLE); });
            const std::string renamed = StderrOf([] {
                EXPECT_EQ(RenameProject("P1-00002-2026", "P1-00001-2026"), TERN_STORE_UNAVAILABLE);
            });
            for (const std::string& said : {created, renamed}) {
                EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1)
                    << plugin << " / " << server << ": one line per call\n"
                    << said;
                EXPECT_NE(said.find("PostgreSQL"), std::string::npos) << said;
                EXPECT_EQ(said.find(secret), std::string::npos) << said;
                EXPECT_EQ(said.find("nonexistent"), std::string::npos) << said;
            }
        }
        EXPECT_FALSE(QFile::exists(m_dir.filePath(QStringLiteral("a=b.db"))))
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
TEST_F(HostStorePostgresPlugin, IsLoadedOnlyWhenASettingMayNameAServer) {
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
