// The list sources' finds (the wrap-around rules, the same answers sorted by bisection and
// unsorted by scan), the order the finds rely on, and the road table loaded once per run.
#include "controls/ListSource.h"
#include "app/RoadCache.h"
#include "sdk/VariantTable.h"

#include <gtest/gtest.h>

#include <QtCore>

#include <cmath>
#include <tuple>
#include <vector>

namespace {

const QStringList kRoads = {
    "Abbey Road",   "ABBOTT LANE", "abingdon way", "Acacia Avenue", "Baker Street",
    "Bakery Close", "Barton Road", "Cable Street", "Canal Walk",    "Zephyr Row",
};
// Names that share a beginning, and names outside the Basic Multilingual Plane: U+FF5E comes
// before U+1F600 by code point although its UTF-16 unit is the larger one (0xFF5E > 0xD83D).
const QStringList kPrefixes = {"ADAM",         "ADAM ROAD",      "ADAMS",
                               "\uFF5E TILDE", "\U0001F600 ONE", "\U0001F600\U0001F601 TWO"};

// Counts the rows a find reads, from outside the source.
class CountingSource : public CStringListSource {
public:
    using CStringListSource::CStringListSource;
    QString GetText(int index) const override {
        ++reads;
        return CStringListSource::GetText(index);
    }
    mutable int reads = 0;
};

QStringList texts(const CListSource& source) {
    QStringList all;
    for (int i = 0; i < source.GetCount(); ++i)
        all << source.GetText(i);
    return all;
}

} // namespace

// FindStringBefore (else FindString), the start, the prefix, the row found.
using Find = std::tuple<bool, int, const char*, int>;

TEST(ListSource, FindsWrapAroundSortedOrNot) {
    const std::vector<Find> roadFinds = {
        {false, 1, "ab", 1},                          // the start itself matches
        {false, 2, "ABI", 2},    {false, 3, "ab", 0}, // nothing after: wraps to the first
        {false, 9, "bakery", 5}, {false, 0, "bx", -1},
        {false, -1, "ca", 7},    {false, 99, "a", 0}, // a start outside the rows means 0
        {false, 6, "", 6},                            // an empty prefix matches every row
        {true, 3, "ab", 2},                           // highest below the start
        {true, 9, "ab", 2},      {true, 0, "ab", 0},  // none below: lowest from the start on
        {true, 1, "bak", 4},     {true, 6, "bak", 5},
        {true, 1, "abb", 0}, // row 0 is below the start too
        {true, 0, "q", -1},      {true, 100, "zep", 9},
    };
    const std::vector<Find> prefixFinds = {
        {false, 0, "ADAM R", 1},
        {false, 0, "ADAMS", 2},
        {false, 0, "\uFF5E", 3},
        {false, 0, "\U0001F600", 4},
        {false, 0, "\U0001F600\U0001F601", 5},
        {false, 0, "\U0001F601", -1},
        {true, 3, "ADAM ", 1},
        {true, 6, "\U0001F600", 5},
    };
    for (bool sorted : {true, false}) {
        for (const auto& [items, finds] :
             {std::pair{kRoads, roadFinds}, {kPrefixes, prefixFinds}}) {
            const CStringListSource source(items, sorted);
            for (const auto& [before, start, prefix, expected] : finds)
                EXPECT_EQ(before ? source.FindStringBefore(start, prefix)
                                 : source.FindString(start, prefix),
                          expected)
                    << (sorted ? "sorted " : "unsorted ") << (before ? "before " : "") << start
                    << " " << prefix;
        }
    }
    const CStringListSource empty(QStringList(), true);
    EXPECT_EQ(empty.FindString(0, ""), -1);
    EXPECT_EQ(empty.FindStringBefore(0, "a"), -1);
}

TEST(ListSource, SortOrdersAsTheDatabaseDoes) {
    // ASCII case folded to small letters ('_' before them), equal names kept in their order, a
    // name after the shorter ones it begins with, code points beyond U+FFFF last.
    CStringListSource source({"b", "\U0001F600", "ABC", "Zed", "A", "\uFF5E", "_x", "AB", "a"});
    source.Sort();
    EXPECT_TRUE(source.IsSorted());
    EXPECT_EQ(texts(source),
              QStringList({"_x", "A", "a", "AB", "ABC", "b", "Zed", "\uFF5E", "\U0001F600"}));
    EXPECT_EQ(source.GetText(-1) + source.GetText(9), QString()); // outside the rows
    EXPECT_EQ(CListSource::CompareText(u"abc", u"ABC"), 0);
}

TEST(ListSource, SortedFindsReadRowsInProportionToTheLogarithmOfTheCount) {
    for (int count : {1 << 8, 1 << 12, 1 << 17}) {
        QStringList items;
        for (int i = 0; i < count; ++i)
            items << QStringLiteral("Road %1").arg(i, 6, 10, QLatin1Char('0'));
        CountingSource source(items, true);
        const int bound = 2 * static_cast<int>(std::log2(count)) + 4; // two bisections a find
        EXPECT_EQ(source.FindString(0, items.last().toLower()), count - 1);
        EXPECT_LE(source.reads, bound) << count;
        source.reads = 0;
        EXPECT_EQ(source.FindStringBefore(count / 2, "ROAD 0"), count / 2 - 1);
        EXPECT_LE(source.reads, bound) << count;
    }
}

// One load per run shared by every page; a failed load answers null and is tried again.
TEST(RoadCache, PagesShareOneLoadAndAFailedLoadIsTriedAgain) {
    int calls = 0, result = 0;
    QString lastSql;
    CRoadCache cache([&](const QString& sql, VariantTable& out) {
        ++calls;
        lastSql = sql;
        out.clear();
        if (result)
            out = VariantTable::fromRows(2, {{"R1", "ADAM AVENUE"}, {"R2", "Baker Street"}});
        return result;
    });
    EXPECT_EQ(cache.GetRoadTable(), nullptr);
    EXPECT_EQ(cache.GetRoadTable(), nullptr);
    EXPECT_EQ(calls, 2);
    result = 1;
    CListSource* first = cache.GetRoadTable();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(cache.GetRoadTable(), first);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(lastSql, "SELECT ROAD_CODE, ROAD_NAME FROM TQ_ROAD order by ROAD_NAME");
    EXPECT_EQ(texts(*first), QStringList({"ADAM AVENUE", "Baker Street"})); // names, not codes
    EXPECT_TRUE(first->IsSorted());
    // No rows is a successful load too.
    CRoadCache none([](const QString&, VariantTable&) { return 1; });
    ASSERT_NE(none.GetRoadTable(), nullptr);
    EXPECT_EQ(none.GetRoadTable()->FindString(0, ""), -1);
}

// The lookup database's roads, by name.
TEST(RoadCache, ReadsTheDatabasesRoadTable) {
    CRoadCache cache;
    CListSource* roads = cache.GetRoadTable();
    ASSERT_NE(roads, nullptr);
    ASSERT_GT(roads->GetCount(), 1);
    EXPECT_LE(CListSource::CompareText(roads->GetText(0), roads->GetText(1)), 0);
}
