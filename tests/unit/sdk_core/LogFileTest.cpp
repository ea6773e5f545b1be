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

// At or under the limit a log is untouched; over it, the lines that start in the newest half of
// the limit are kept, and a last line longer than that half is kept whole rather than cut.
TEST(LogFile, SizeCleanKeepsTheNewestWholeLines) {
    QTemporaryDir box;
    const QString log = box.filePath(QStringLiteral("kestrel.log"));
    const QByteArray atLimit = numberedLines(2000).right(100 * 1024), big = numberedLines(4000),
                     longLine = " " + QByteArray(80 * 1024, 'x') + "\r\n";
    const std::pair<QByteArray, QByteArray> cases[] = {
        {atLimit, atLimit},
        {big, big.mid(big.indexOf('\n', big.size() - 50 * 1024 - 1) + 1)},
        {numberedLines(1000) + longLine, longLine},
    };
    for (const auto& [content, kept] : cases) {
        ASSERT_TRUE(writeFile(log, content));
        LOG_CHECK_SIZE_CLEAN(log, 100);
        EXPECT_EQ(readFile(log), kept) << content.size();
    }
    // A line appended after the clean-up follows the kept ones; no temporary file is left.
    EXPECT_EQ(LOG_STRING(QStringLiteral(" later\r\n"), log, 0), 0);
    EXPECT_EQ(readFile(log), longLine + " later\r\n");
    EXPECT_EQ(QDir(box.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("kestrel.log")});
}
