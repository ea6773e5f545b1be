// The text of the project's location description: the clean-up every summary gets, the level and
// unit text, and the per-record pieces of the lots and addresses pages.

#include "pages/LocationText.h"

#include <gtest/gtest.h>

using namespace kestrel;

TEST(LocationText, StripsOnlyLeadingAndTrailingCommasAndSpaces) {
    const std::pair<QString, QString> cases[] = {
        {" ,, A, B ,, ", "A, B"},
        {", , ,", ""},
        {"", ""},
        // Inside the text nothing is touched, and other white space is no separator of ours.
        {"A ,, B", "A ,, B"},
        {"\tA, ", "\tA"}};
    for (const auto& [text, stripped] : cases)
        EXPECT_EQ(StripCommasAndSpaces(text), stripped) << text.toStdString();
}

TEST(LocationText, EveryCombinationOfLevelAndUnit) {
    const struct {
        const char *level, *unit, *text;
    } cases[] = {{"5", "12", "#05-12, "},
                 {"5", "", "Unit 05-00, "},
                 {"", "7", "Level 00-07, "},
                 {"", "", ""},
                 {"123", "A", "#123-0A, "}};
    for (const auto& c : cases)
        EXPECT_EQ(LevelUnitText(c.level, c.unit), QString(c.text)) << c.level << "/" << c.unit;
}

// The partial mark ignores case but must be exactly one Y. (Whole summaries of lots and
// addresses: through the project page.)
TEST(LocationText, LotSummaryMarksPlotsAndPartialLots) {
    const struct {
        const char *plot, *flag, *text;
    } cases[] = {{"12", "Y", "MK17 Plot12 Lot7 PT, "},
                 {"", "y", "MK17 Lot7 PT, "},
                 {"", "YES", "MK17 Lot7, "}};
    for (const auto& c : cases) {
        QString summary;
        AppendLotSummary(summary, "MK17", c.plot, "7", c.flag);
        EXPECT_EQ(summary, c.text) << c.flag;
    }
}

// Without a house number the road's leading space goes with the stripping in the first row
// only; a later row keeps it after the ", " of the row before. A row without a postal code still
// ends with its separator.
TEST(LocationText, AddressSummaries) {
    QString summary;
    AppendAddressSummary(summary, "", "10", "", "", "MAIN ROAD", "");
    EXPECT_EQ(summary, "10 MAIN ROAD, , ");
    summary.clear();
    AppendAddressSummary(summary, "ABC TOWER", "1", "", "", "ADAM ROAD", "111111");
    AppendAddressSummary(summary, "", "", "", "", "MAIN ROAD", "123456");
    EXPECT_EQ(StripCommasAndSpaces(summary),
              "1 ADAM ROAD, ABC TOWER, Singapore 111111,  MAIN ROAD, Singapore 123456");
}
