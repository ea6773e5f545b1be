#include "sdk/LogFile.h"

#include "ScopedEnv.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// Numbered log lines as the application writes them: " <time>: message\r\n".
QByteArray numberedLines(int first, int count) {
    QByteArray out;
    for (int i = first; i < first + count; ++i)
        out += " 2026-12-05 14:33:07: line " + QByteArray::number(i).rightJustified(6, '0') +
               " ------------------------------\r\n";
    return out;
}

} // namespace

TEST(LogFile, ModuleLogNameFollowsTheEnvironmentAndMakesTheFolder) {
    QTemporaryDir box;
    ASSERT_TRUE(box.isValid());

    const QByteArray explicitPath = (box.path() + QStringLiteral("/a/b/run.log")).toUtf8();
    {
        ScopedEnv log("KESTREL_LOG_FILE", explicitPath);
        EXPECT_EQ(GET_MODULE_LOG_NAME(), QString::fromUtf8(explicitPath));
        EXPECT_TRUE(QFileInfo(box.path() + QStringLiteral("/a/b")).isDir());
    }
    const QByteArray state = (box.path() + QStringLiteral("/state")).toUtf8();
    {
        ScopedEnv log("KESTREL_LOG_FILE", std::nullopt);
        ScopedEnv xdg("XDG_STATE_HOME", state);
        EXPECT_EQ(GET_MODULE_LOG_NAME(), box.path() + QStringLiteral("/state/kestrel/kestrel.log"));
        EXPECT_TRUE(QFileInfo(box.path() + QStringLiteral("/state/kestrel")).isDir());
    }
    const QByteArray empty;
    const QByteArray home = (box.path() + QStringLiteral("/home")).toUtf8();
    {
        ScopedEnv log("KESTREL_LOG_FILE", empty);
        ScopedEnv xdg("XDG_STATE_HOME", std::nullopt);
        ScopedEnv homeDir("HOME", home);
        EXPECT_EQ(GET_MODULE_LOG_NAME(),
                  box.path() + QStringLiteral("/home/.local/state/kestrel/kestrel.log"));
    }
}

TEST(LogFile, LogStringAppendsUtf8LinesAndReportsFailures) {
    QTemporaryDir box;
    ASSERT_TRUE(box.isValid());
    const QString log = box.path() + QStringLiteral("/new/kestrel.log");

    EXPECT_EQ(LOG_STRING(QStringLiteral(" t: START: ---\r\n"), log, 0), 0);
    EXPECT_EQ(LOG_STRING(QStringLiteral(" t: Saving file to: /tmp/caf\u00e9.xml\r\n"), log, 0), 0);
    EXPECT_EQ(LOG_STRING(QStringLiteral("no line break"), log, 0), 0);
    EXPECT_EQ(LOG_STRING(QStringLiteral("next"), log, 0), 0);
    EXPECT_EQ(readFile(log),
              QByteArray(" t: START: ---\r\n t: Saving file to: /tmp/caf\xc3\xa9.xml\r\n"
                         "no line break\nnext\n"));

    EXPECT_NE(LOG_STRING(QStringLiteral("x\r\n"), QString(), 0), 0);
    EXPECT_NE(LOG_STRING(QStringLiteral("x\r\n"), box.path(), 0), 0); // a folder
    ASSERT_TRUE(writeFile(box.path() + QStringLiteral("/plain"), "file, not a folder"));
    EXPECT_NE(LOG_STRING(QStringLiteral("x\r\n"), box.path() + QStringLiteral("/plain/k.log"), 0),
              0);
}

TEST(LogFile, LogStringFailsInAReadOnlyFolder) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    QTemporaryDir box;
    ASSERT_TRUE(box.isValid());
    ASSERT_TRUE(QFile::setPermissions(box.path(), QFile::ReadOwner | QFile::ExeOwner));
    EXPECT_NE(LOG_STRING(QStringLiteral("x\r\n"), box.path() + QStringLiteral("/k.log"), 0), 0);
    QFile::setPermissions(box.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(LogFile, SizeCleanKeepsTheNewestWholeLines) {
    QTemporaryDir box;
    ASSERT_TRUE(box.isValid());
    const QString log = box.path() + QStringLiteral("/kestrel.log");

    // Under the limit: untouched.
    const QByteArray small = numberedLines(0, 100);
    ASSERT_TRUE(writeFile(log, small));
    LOG_CHECK_SIZE_CLEAN(log, 100);
    EXPECT_EQ(readFile(log), small);

    // Over the limit: the newest half of the limit remains, made of whole lines, newest last.
    const QByteArray big = numberedLines(0, 4000); // about 240 KiB
    ASSERT_TRUE(writeFile(log, big));
    LOG_CHECK_SIZE_CLEAN(log, 100);
    const QByteArray kept = readFile(log);
    EXPECT_LE(kept.size(), 50 * 1024);
    EXPECT_GT(kept.size(), 50 * 1024 - 100);
    EXPECT_TRUE(big.endsWith(kept));
    EXPECT_TRUE(kept.startsWith(" 2026-12-05 14:33:07: line "));
    EXPECT_TRUE(kept.endsWith("line 003999 ------------------------------\r\n"));

    // A line appended after the clean-up follows the kept ones.
    EXPECT_EQ(LOG_STRING(QStringLiteral(" later\r\n"), log, 0), 0);
    EXPECT_TRUE(readFile(log).endsWith("------------------------------\r\n later\r\n"));

    // A last line longer than the kept half is kept whole rather than cut.
    const QByteArray longLine = " " + QByteArray(80 * 1024, 'x') + "\r\n";
    ASSERT_TRUE(writeFile(log, numberedLines(0, 1000) + longLine));
    LOG_CHECK_SIZE_CLEAN(log, 100);
    EXPECT_EQ(readFile(log), longLine);

    // Missing file and non-positive limits do nothing.
    LOG_CHECK_SIZE_CLEAN(box.path() + QStringLiteral("/missing.log"), 100);
    EXPECT_FALSE(QFile::exists(box.path() + QStringLiteral("/missing.log")));
    ASSERT_TRUE(writeFile(log, big));
    LOG_CHECK_SIZE_CLEAN(log, 0);
    EXPECT_EQ(readFile(log), big);

    // No temporary files are left beside the log.
    EXPECT_EQ(QDir(box.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("kestrel.log")});
}

TEST(LogFile, CurrentDateTimeText) {
    static const QRegularExpression shape(
        QStringLiteral(R"(^\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}$)"));
    EXPECT_TRUE(shape.match(GET_CURRENT_DATETIME()).hasMatch())
        << GET_CURRENT_DATETIME().toStdString();
}
