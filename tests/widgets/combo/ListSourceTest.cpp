// The list source's finds: the wrap-around rules, bisection agreeing with a plain scan, and the
// comparison agreeing with the lookup database's NOCASE order.
#include "controls/ListSource.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QRandomGenerator>

namespace {

const QStringList kRoads = {
    "Abbey Road",   "ABBOTT LANE", "abingdon way", "Acacia Avenue", "Baker Street",
    "Bakery Close", "Barton Road", "Cable Street", "Canal Walk",    "Zephyr Row",
};

// Scans like an unsorted source does; the reference for every bisection.
CStringListSource unsortedCopy(const CStringListSource& sorted) {
    QStringList items;
    for (int i = 0; i < sorted.GetCount(); ++i)
        items << sorted.GetText(i);
    return CStringListSource(items, false);
}

} // namespace

TEST(ListSourceCompare, FoldsAsciiLettersOnly) {
    EXPECT_EQ(CListSource::ComparePrefix(u"ABBEY ROAD", u"abbey"), 0);
    EXPECT_EQ(CListSource::ComparePrefix(u"abbey", u"ABBEY ROAD"), -1); // shorter, agrees so far
    EXPECT_TRUE(CListSource::StartsWith(u"Zephyr", u""));
    // Letters beyond ASCII keep their case, as in the database.
    EXPECT_NE(CListSource::ComparePrefix(u"\u00c9mile", u"\u00e9"), 0);
    // Folding goes to lower case, as the database's does: '_' (0x5F) and '[' (0x5B) sort
    // before every letter, capitals included.
    EXPECT_LT(CListSource::ComparePrefix(u"a_", u"ab"), 0);
    EXPECT_LT(CListSource::ComparePrefix(u"[", u"a"), 0);
    EXPECT_LT(CListSource::ComparePrefix(u"[", u"A"), 0);
    // Code point order, not UTF-16 order: U+1F600 comes after U+FF21.
    EXPECT_GT(CListSource::ComparePrefix(u"\U0001F600", u"\uFF21"), 0);
}

TEST(ListSourceFind, FindStringWrapsAround) {
    for (bool sorted : {true, false}) {
        SCOPED_TRACE(sorted ? "sorted" : "unsorted");
        const CStringListSource source(kRoads, sorted);
        EXPECT_EQ(source.FindString(0, "ab"), 0);
        EXPECT_EQ(source.FindString(1, "ab"), 1); // the start itself matches
        EXPECT_EQ(source.FindString(2, "ABI"), 2);
        EXPECT_EQ(source.FindString(3, "ab"), 0); // nothing after: wraps to the first
        EXPECT_EQ(source.FindString(4, "bak"), 4);
        EXPECT_EQ(source.FindString(0, "bak"), 4);
        EXPECT_EQ(source.FindString(9, "bakery"), 5);
        EXPECT_EQ(source.FindString(0, "bx"), -1);
        EXPECT_EQ(source.FindString(-1, "ca"), 7); // a start outside the rows means 0
        EXPECT_EQ(source.FindString(99, "a"), 0);
        EXPECT_EQ(source.FindString(6, ""), 6); // an empty prefix matches every row
        EXPECT_EQ(source.FindString(-5, ""), 0);
    }
}

TEST(ListSourceFind, FindStringBeforeLooksBackFirst) {
    for (bool sorted : {true, false}) {
        SCOPED_TRACE(sorted ? "sorted" : "unsorted");
        const CStringListSource source(kRoads, sorted);
        EXPECT_EQ(source.FindStringBefore(3, "ab"), 2); // highest below the start
        EXPECT_EQ(source.FindStringBefore(2, "ab"), 1);
        EXPECT_EQ(source.FindStringBefore(9, "ab"), 2);
        EXPECT_EQ(source.FindStringBefore(0, "ab"), 0); // none below: lowest from the start on
        EXPECT_EQ(source.FindStringBefore(1, "bak"), 4);
        EXPECT_EQ(source.FindStringBefore(5, "bak"), 4);
        EXPECT_EQ(source.FindStringBefore(6, "bak"), 5);
        EXPECT_EQ(source.FindStringBefore(0, "q"), -1);
        EXPECT_EQ(source.FindStringBefore(100, "zep"), 9);
    }
}

TEST(ListSourceFind, EmptySourceFindsNothing) {
    const CStringListSource source(QStringList(), true);
    EXPECT_EQ(source.GetCount(), 0);
    EXPECT_EQ(source.GetText(0), "");
    EXPECT_EQ(source.FindString(0, ""), -1);
    EXPECT_EQ(source.FindStringBefore(0, "a"), -1);
}

TEST(ListSourceFind, BisectionAgreesWithScanOnRandomLists) {
    QRandomGenerator rng(20261205);
    const QString alphabet = QStringLiteral("aAbB_ [c\u00e9");
    for (int round = 0; round < 20; ++round) {
        QStringList items;
        const int n = 1 + rng.bounded(60);
        for (int i = 0; i < n; ++i) {
            QString s;
            const int len = rng.bounded(4);
            for (int k = 0; k < len; ++k)
                s += alphabet.at(rng.bounded(alphabet.size()));
            items << s;
        }
        CStringListSource sorted(items);
        sorted.Sort();
        const CStringListSource scanned = unsortedCopy(sorted);
        for (const QString prefix : {"", "a", "A", "ab", "_", "[", "b_", "\u00e9", "c ", "zz"}) {
            for (int start = -1; start <= n + 1; ++start) {
                ASSERT_EQ(sorted.FindString(start, prefix), scanned.FindString(start, prefix))
                    << "round " << round << " start " << start << " " << prefix.toStdString();
                ASSERT_EQ(sorted.FindStringBefore(start, prefix),
                          scanned.FindStringBefore(start, prefix))
                    << "round " << round << " start " << start << " " << prefix.toStdString();
            }
        }
    }
}

TEST(ListSourceFind, SortedFindsBisectInsteadOfScanning) {
    QStringList items;
    for (int i = 0; i < 200000; ++i)
        items << QStringLiteral("Road %1").arg(i, 6, 10, QLatin1Char('0'));
    CStringListSource source(items, true);
    source.ResetTextReads();
    EXPECT_EQ(source.FindString(0, "road 123456"), 123456);
    EXPECT_EQ(source.FindStringBefore(150000, "ROAD 1"), 149999);
    EXPECT_LT(source.TextReads(), 4 * 2 * 18 + 8);
}

// The road table arrives ordered by SQLite's NOCASE collation; sorting the same names with our
// comparison must give the same order, or bisection would miss rows.
TEST(ListSourceCompare, AgreesWithSqliteNocaseOrder) {
    const QStringList names = {
        "abbey",
        "ABBEY ROAD",
        "Abbey_Lane",
        "abbey-mews",
        "Abbey[1]",
        "abbey{2}",
        "ABBEYZ",
        "Zulu",
        "zulu way",
        "_under",
        "[bracket",
        "`tick",
        "~tilde",
        "\u00c9mile Road",
        "\u00e9mile road",
        "\u00dcber",
        "stra\u00dfe",
        "STRASSE",
        "100 Mile",
        "9 Lives",
        "\U0001F600 smile",
        "\uFF21 wide",
        "a",
        "A",
        "",
    };
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    sqlite3_exec(db, "CREATE TABLE t (name TEXT COLLATE NOCASE)", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO t VALUES (?)", -1, &insert, nullptr);
    for (const QString& name : names) {
        const QByteArray utf8 = name.toUtf8();
        sqlite3_bind_text(insert, 1, utf8.constData(), static_cast<int>(utf8.size()),
                          SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    QStringList dbOrder;
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(db, "SELECT name FROM t ORDER BY name", -1, &select, nullptr);
    while (sqlite3_step(select) == SQLITE_ROW)
        dbOrder << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(select, 0)));
    sqlite3_finalize(select);
    sqlite3_close(db);

    // Rows equal under NOCASE ("a" and "A") may come in either order; compare folded forms.
    CStringListSource ours(names);
    ours.Sort();
    ASSERT_EQ(ours.GetCount(), dbOrder.size());
    for (int i = 0; i < dbOrder.size(); ++i) {
        const QString mine = ours.GetText(i);
        EXPECT_EQ(CListSource::CompareText(mine, dbOrder[i]), 0)
            << i << ": " << mine.toStdString() << " vs " << dbOrder[i].toStdString();
    }
}
