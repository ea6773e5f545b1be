// The list source's finds: the wrap-around rules, the same answers sorted (bisection) and
// unsorted (scan), and a sorted source reading only a few rows.
#include "controls/ListSource.h"

#include <gtest/gtest.h>

namespace {

const QStringList kRoads = {
    "Abbey Road",   "ABBOTT LANE", "abingdon way", "Acacia Avenue", "Baker Street",
    "Bakery Close", "Barton Road", "Cable Street", "Canal Walk",    "Zephyr Row",
};

struct Find {
    bool before; // FindStringBefore, else FindString
    int start;
    const char* prefix;
    int expected;
};

} // namespace

TEST(ListSourceFind, FindsWrapAroundSortedOrNot) {
    const Find cases[] = {
        {false, 0, "ab", 0},     {false, 1, "ab", 1}, // the start itself matches
        {false, 2, "ABI", 2},    {false, 3, "ab", 0}, // nothing after: wraps to the first
        {false, 9, "bakery", 5}, {false, 0, "bx", -1},
        {false, -1, "ca", 7},    {false, 99, "a", 0}, // a start outside the rows means 0
        {false, 6, "", 6},       {false, -5, "", 0},  // an empty prefix matches every row
        {true, 3, "ab", 2},      {true, 2, "ab", 1},  // highest below the start
        {true, 9, "ab", 2},      {true, 0, "ab", 0},  // none below: lowest from the start on
        {true, 1, "bak", 4},     {true, 6, "bak", 5},
        {true, 0, "q", -1},      {true, 100, "zep", 9},
    };
    for (bool sorted : {true, false}) {
        const CStringListSource source(kRoads, sorted);
        for (const Find& c : cases) {
            const int found = c.before ? source.FindStringBefore(c.start, c.prefix)
                                       : source.FindString(c.start, c.prefix);
            EXPECT_EQ(found, c.expected)
                << (sorted ? "sorted " : "unsorted ") << (c.before ? "before " : "") << c.start
                << " " << c.prefix;
        }
    }
    const CStringListSource empty(QStringList(), true);
    EXPECT_EQ(empty.FindString(0, ""), -1);
    EXPECT_EQ(empty.FindStringBefore(0, "a"), -1);
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
