// The list source's finds: the wrap-around rules, the same answers sorted (bisection) and
// unsorted (scan), the order the finds rely on, and a sorted source reading only a few rows.
#include "controls/ListSource.h"

#include <gtest/gtest.h>

#include <cmath>

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
        {true, 1, "abb", 0}, // row 0 is below the start too
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

// Names that share a beginning, and names outside the Basic Multilingual Plane: U+FF5E comes
// before U+1F600 by code point although its UTF-16 unit is the larger one (0xFF5E > 0xD83D).
TEST(ListSourceFind, PrefixRowsAndAstralCharactersFoundSortedOrNot) {
    const QStringList items = {"ADAM",         "ADAM ROAD",      "ADAMS",
                               "\uFF5E TILDE", "\U0001F600 ONE", "\U0001F600\U0001F601 TWO"};
    const Find cases[] = {
        {false, 0, "ADAM R", 1},      {false, 0, "adam", 0},
        {false, 2, "ADAM", 2},        {false, 0, "ADAMS", 2},
        {false, 0, "\uFF5E", 3},      {false, 0, "\U0001F600", 4},
        {false, 5, "\U0001F600", 5},  {false, 0, "\U0001F600\U0001F601", 5},
        {false, 0, "\U0001F601", -1}, {true, 3, "ADAM ", 1},
        {true, 6, "\U0001F600", 5},   {true, 4, "\U0001F600", 4},
    };
    for (bool sorted : {true, false}) {
        const CStringListSource source(items, sorted);
        for (const Find& c : cases) {
            const int found = c.before ? source.FindStringBefore(c.start, c.prefix)
                                       : source.FindString(c.start, c.prefix);
            EXPECT_EQ(found, c.expected) << (sorted ? "sorted " : "unsorted ") << c.start;
        }
    }
}

TEST(ListSourceFind, SortOrdersAsTheDatabaseDoes) {
    // ASCII case folded to small letters ('_' before them), equal names kept in their order, a
    // name after the shorter ones it begins with, code points beyond U+FFFF last.
    CStringListSource source({"b", "\U0001F600", "ABC", "Zed", "A", "\uFF5E", "_x", "AB", "a"});
    EXPECT_FALSE(source.IsSorted());
    source.Sort();
    EXPECT_TRUE(source.IsSorted());
    QStringList sorted;
    for (int i = 0; i < source.GetCount(); ++i)
        sorted << source.GetText(i);
    EXPECT_EQ(sorted,
              QStringList({"_x", "A", "a", "AB", "ABC", "b", "Zed", "\uFF5E", "\U0001F600"}));
    EXPECT_EQ(source.GetText(-1), QString());
    EXPECT_EQ(source.GetText(9), QString());
    EXPECT_EQ(CListSource::CompareText(u"abc", u"ABC"), 0);
}

namespace {

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

} // namespace

TEST(ListSourceFind, SortedFindsReadRowsInProportionToTheLogarithmOfTheCount) {
    for (int count : {1 << 8, 1 << 12, 1 << 17}) {
        QStringList items;
        for (int i = 0; i < count; ++i)
            items << QStringLiteral("Road %1").arg(i, 6, 10, QLatin1Char('0'));
        CountingSource source(items, true);
        // Two bisections per find, a few rows to spare.
        const int bound = 2 * static_cast<int>(std::log2(count)) + 4;
        const int last = count - 1;
        EXPECT_EQ(
            source.FindString(0, QStringLiteral("road %1").arg(last, 6, 10, QLatin1Char('0'))),
            last);
        EXPECT_LE(source.reads, bound) << count;
        source.reads = 0;
        EXPECT_EQ(source.FindStringBefore(count / 2, "ROAD 0"), count / 2 - 1);
        EXPECT_LE(source.reads, bound) << count;
    }
}
