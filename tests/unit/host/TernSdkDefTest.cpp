#include "host/TernSdkDef.h"

#include "sdk/RunTimeLibrary.h"

#include "ScopedEnv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// Every case gets a store of its own.
class ProjectStore : public ::testing::Test {
protected:
    ProjectStore() : m_env("KESTREL_PROJECT_STORE", QFile::encodeName(storePath())) {}
    QString storePath() const { return m_dir.filePath(QStringLiteral("store/projects.db")); }
    // A reference is in the store when creating it again is refused as a duplicate.
    bool holds(const char* reference) { return CreateProject(reference) == TERN_DUPLICATE; }

    QTemporaryDir m_dir;
    ScopedEnv m_env;
};

TEST_F(ProjectStore, CreatesAReferenceOnceAndRefusesItsDuplicate) {
    EXPECT_EQ(CreateProject("A1234-00042-2026"), TERN_OK);
    EXPECT_TRUE(QFile::exists(storePath())) << "folder and store are created on demand";
    EXPECT_EQ(CreateProject("A1234-00042-2026"), TERN_DUPLICATE);
    EXPECT_EQ(CreateProject("A1234-00043-2026"), TERN_OK);
    // References are compared exactly.
    EXPECT_EQ(CreateProject("a1234-00042-2026"), TERN_OK);
}

TEST_F(ProjectStore, RefusesMissingOrOverlongReferences) {
    EXPECT_EQ(CreateProject(nullptr), TERN_BAD_ARGUMENT);
    EXPECT_EQ(CreateProject(""), TERN_BAD_ARGUMENT);
    EXPECT_EQ(CreateProject(std::string(256, 'A').c_str()), TERN_BAD_ARGUMENT);
    EXPECT_EQ(CreateProject(std::string(255, 'A').c_str()), TERN_OK);
    EXPECT_EQ(RenameProject(nullptr, "A1"), TERN_BAD_ARGUMENT);
    EXPECT_EQ(RenameProject("A1", ""), TERN_BAD_ARGUMENT);
}

TEST_F(ProjectStore, RenameMovesTheReference) {
    ASSERT_EQ(CreateProject("PE77-00001-2025"), TERN_OK);
    EXPECT_EQ(RenameProject("PE77-00002-2025", "PE77-00001-2025"), TERN_OK);
    EXPECT_TRUE(holds("PE77-00002-2025"));
    EXPECT_EQ(CreateProject("PE77-00001-2025"), TERN_OK) << "the old reference is free again";
}

TEST_F(ProjectStore, RenameOntoAnExistingReferenceChangesNothing) {
    ASSERT_EQ(CreateProject("RS1-00001-2026"), TERN_OK);
    ASSERT_EQ(CreateProject("RS1-00002-2026"), TERN_OK);
    EXPECT_EQ(RenameProject("RS1-00002-2026", "RS1-00001-2026"), TERN_DUPLICATE);
    EXPECT_TRUE(holds("RS1-00001-2026"));
    EXPECT_TRUE(holds("RS1-00002-2026"));
}

TEST_F(ProjectStore, RenameOfAnUnknownReferenceRegistersTheNewOne) {
    EXPECT_EQ(RenameProject("A9-00005-2026", "A9-00004-2026"), TERN_OK);
    EXPECT_TRUE(holds("A9-00005-2026"));
    EXPECT_EQ(CreateProject("A9-00004-2026"), TERN_OK);
    // ... but never onto a reference someone else holds.
    EXPECT_EQ(RenameProject("A9-00005-2026", "A9-00099-2026"), TERN_DUPLICATE);
}

TEST_F(ProjectStore, RenameToTheSameReferenceKeepsIt) {
    ASSERT_EQ(CreateProject("A5-00001-2026"), TERN_OK);
    EXPECT_EQ(RenameProject("A5-00001-2026", "A5-00001-2026"), TERN_OK);
    EXPECT_TRUE(holds("A5-00001-2026"));
    EXPECT_EQ(RenameProject("A5-00002-2026", "A5-00002-2026"), TERN_OK);
    EXPECT_TRUE(holds("A5-00002-2026"));
}

TEST_F(ProjectStore, AStoreThatIsNoDatabaseIsReportedNotDestroyed) {
    QDir().mkpath(QFileInfo(storePath()).absolutePath());
    QFile file(storePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QByteArray garbage(4096, '\x17');
    file.write(garbage);
    file.close();
    EXPECT_EQ(CreateProject("A1-00001-2026"), TERN_STORE_UNAVAILABLE);
    EXPECT_EQ(RenameProject("A1-00002-2026", "A1-00001-2026"), TERN_STORE_UNAVAILABLE);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), garbage);
}

TEST_F(ProjectStore, AStoreInAnUncreatableFolderIsUnavailable) {
    QFile blocker(m_dir.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where a folder should be
    blocker.close();
    ScopedEnv env("KESTREL_PROJECT_STORE",
                  QFile::encodeName(m_dir.filePath(QStringLiteral("blocker/sub/projects.db"))));
    EXPECT_EQ(CreateProject("A1-00001-2026"), TERN_STORE_UNAVAILABLE);
}

TEST_F(ProjectStore, DefaultsToTheXdgDataFolder) {
    const QString dataHome = m_dir.filePath(QStringLiteral("data"));
    ScopedEnv store("KESTREL_PROJECT_STORE", std::nullopt);
    ScopedEnv xdg("XDG_DATA_HOME", QFile::encodeName(dataHome));
    EXPECT_EQ(CreateProject("A1-00001-2026"), TERN_OK);
    EXPECT_TRUE(QFile::exists(dataHome + QStringLiteral("/kestrel/projects.db")));
}

TEST_F(ProjectStore, DefaultsToHomeWithoutXdgDataHome) {
    const QString home = m_dir.filePath(QStringLiteral("home"));
    ScopedEnv store("KESTREL_PROJECT_STORE", std::nullopt);
    ScopedEnv xdg("XDG_DATA_HOME", std::nullopt);
    ScopedEnv homeEnv("HOME", QFile::encodeName(home));
    EXPECT_EQ(CreateProject("A1-00001-2026"), TERN_OK);
    EXPECT_TRUE(QFile::exists(home + QStringLiteral("/.local/share/kestrel/projects.db")));
}

// Several editors saving the same new reference at the same moment, as separate processes:
// exactly one registers it.
TEST_F(ProjectStore, ConcurrentCreatesFromSeparateProcessesLetExactlyOneWin) {
    constexpr int kProcesses = 8;
    constexpr int kRounds = 5;
    for (int round = 0; round < kRounds; ++round) {
        const std::string reference = "A4242-0000" + std::to_string(round) + "-2026";
        int gate[2];
        ASSERT_EQ(pipe(gate), 0);
        std::vector<pid_t> children;
        for (int i = 0; i < kProcesses; ++i) {
            const pid_t pid = fork();
            ASSERT_GE(pid, 0);
            if (pid == 0) {
                close(gate[1]);
                char byte;
                (void)!read(gate[0], &byte, 1); // returns when the parent closes the gate
                const int rc = CreateProject(reference.c_str());
                _exit(rc + 100); // keep negative results apart from crashes
            }
            children.push_back(pid);
        }
        close(gate[0]);
        close(gate[1]); // open the gate for everyone at once
        int winners = 0, duplicates = 0, others = 0;
        for (pid_t child : children) {
            int status = 0;
            ASSERT_EQ(waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFEXITED(status));
            const int rc = WEXITSTATUS(status) - 100;
            if (rc == TERN_OK)
                ++winners;
            else if (rc == TERN_DUPLICATE)
                ++duplicates;
            else
                ++others;
        }
        EXPECT_EQ(winners, 1) << reference;
        EXPECT_EQ(duplicates, kProcesses - 1) << reference;
        EXPECT_EQ(others, 0) << reference;
    }
}

TEST_F(ProjectStore, TheEditorReachesTheStoreThroughTheLoadedLibrary) {
    void* library = LoadRunTimeLibrary(QStringLiteral(KESTREL_RUNTIME_DIR "/libTernSdkDef.so"));
    ASSERT_NE(library, nullptr);
    auto create = reinterpret_cast<CreateProjectProc>(GetRunTimeFunction(library, "CreateProject"));
    auto rename = reinterpret_cast<RenameProjectProc>(GetRunTimeFunction(library, "RenameProject"));
    ASSERT_NE(create, nullptr);
    ASSERT_NE(rename, nullptr);
    EXPECT_EQ(create("A7-00001-2026"), TERN_OK);
    EXPECT_EQ(create("A7-00001-2026"), TERN_DUPLICATE);
    EXPECT_EQ(rename("A7-00002-2026", "A7-00001-2026"), TERN_OK);
    FreeRunTimeLibrary(library);
}

} // namespace
