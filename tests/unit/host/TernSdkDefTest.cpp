#include "host/TernSdkDef.h"

#include "ScopedEnv.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
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

TEST_F(ProjectStore, CreatesOnceAndRenamesOnlyOntoAFreeReference) {
    EXPECT_EQ(CreateProject("A1234-00042-2026"), TERN_OK);
    EXPECT_TRUE(QFile::exists(storePath())) << "folder and store are created on demand";
    EXPECT_EQ(CreateProject("A1234-00042-2026"), TERN_DUPLICATE);
    EXPECT_EQ(CreateProject("a1234-00042-2026"), TERN_OK) << "references are compared exactly";
    EXPECT_EQ(CreateProject(""), TERN_BAD_ARGUMENT);

    EXPECT_EQ(RenameProject("A1234-00043-2026", "A1234-00042-2026"), TERN_OK);
    EXPECT_TRUE(holds("A1234-00043-2026"));
    EXPECT_EQ(CreateProject("A1234-00042-2026"), TERN_OK) << "the old reference is free again";

    // Onto an existing reference: refused, and both stay as they were.
    EXPECT_EQ(RenameProject("A1234-00043-2026", "A1234-00042-2026"), TERN_DUPLICATE);
    EXPECT_TRUE(holds("A1234-00042-2026"));
    EXPECT_TRUE(holds("A1234-00043-2026"));
}

TEST_F(ProjectStore, AStoreThatIsNoDatabaseIsReportedNotDestroyed) {
    ASSERT_TRUE(QDir().mkpath(m_dir.filePath(QStringLiteral("store"))));
    const QByteArray garbage(4096, '\x17');
    ASSERT_TRUE(writeFile(storePath(), garbage));
    EXPECT_EQ(CreateProject("A1-00001-2026"), TERN_STORE_UNAVAILABLE);
    EXPECT_EQ(RenameProject("A1-00002-2026", "A1-00001-2026"), TERN_STORE_UNAVAILABLE);
    EXPECT_EQ(readFile(storePath()), garbage);
}

// Several editors saving the same new reference at the same moment, as separate processes:
// exactly one registers it.
TEST_F(ProjectStore, ConcurrentCreatesFromSeparateProcessesLetExactlyOneWin) {
    constexpr int kProcesses = 8;
    for (int round = 0; round < 3; ++round) {
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
                _exit(CreateProject(reference.c_str()) + 100); // negatives apart from crashes
            }
            children.push_back(pid);
        }
        close(gate[0]);
        close(gate[1]); // open the gate for everyone at once
        int winners = 0, duplicates = 0;
        for (pid_t child : children) {
            int status = 0;
            ASSERT_EQ(waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFEXITED(status));
            const int rc = WEXITSTATUS(status) - 100;
            winners += rc == TERN_OK;
            duplicates += rc == TERN_DUPLICATE;
        }
        EXPECT_EQ(winners, 1) << reference;
        EXPECT_EQ(duplicates, kProcesses - 1) << reference;
    }
}

} // namespace
