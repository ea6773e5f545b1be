#include "sdk/LogFile.h"

#include "TestFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Numbered log lines as the application writes them: " <time>: message\r\n".
QByteArray numberedLines(int count) {
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out += " 2026-12-05 14:33:07: line " + QByteArray::number(i).rightJustified(6, '0') +
               " ------------------------------\r\n";
    return out;
}

} // namespace

TEST(LogFile, SizeCleanKeepsTheNewestWholeLines) {
    QTemporaryDir box;
    ASSERT_TRUE(box.isValid());
    const QString log = box.filePath(QStringLiteral("kestrel.log"));

    // Under the limit: untouched.
    const QByteArray small = numberedLines(100);
    ASSERT_TRUE(writeFile(log, small));
    LOG_CHECK_SIZE_CLEAN(log, 100);
    EXPECT_EQ(readFile(log), small);

    // Over the limit: the newest half of the limit remains, made of whole lines, newest last.
    const QByteArray big = numberedLines(4000); // about 240 KiB
    ASSERT_TRUE(writeFile(log, big));
    LOG_CHECK_SIZE_CLEAN(log, 100);
    const QByteArray kept = readFile(log);
    EXPECT_LE(kept.size(), 50 * 1024);
    EXPECT_GT(kept.size(), 50 * 1024 - 100);
    EXPECT_TRUE(big.endsWith(kept));
    EXPECT_TRUE(kept.startsWith(" 2026-12-05 14:33:07: line "));

    // A line appended after the clean-up follows the kept ones.
    EXPECT_EQ(LOG_STRING(QStringLiteral(" later\r\n"), log, 0), 0);
    EXPECT_EQ(readFile(log), kept + " later\r\n");

    // A last line longer than the kept half is kept whole rather than cut.
    const QByteArray longLine = " " + QByteArray(80 * 1024, 'x') + "\r\n";
    ASSERT_TRUE(writeFile(log, numberedLines(1000) + longLine));
    LOG_CHECK_SIZE_CLEAN(log, 100);
    EXPECT_EQ(readFile(log), longLine);

    // No temporary files are left beside the log.
    EXPECT_EQ(QDir(box.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("kestrel.log")});
}
