// The text of the project's location description: the clean-up every summary gets, the level and
// unit text, and the per-record pieces of the lots and addresses pages.

#include "pages/LocationText.h"

#include <gtest/gtest.h>

using namespace kestrel;

// Stripping touches nothing inside the text, and other white space is no separator of ours. The
// partial mark ignores case but must be exactly one Y. Without a house number the road's leading
// space goes with the stripping in the first row only; a later row keeps it after the ", " of the
// row before, and a row without a postal code still ends with its separator. (Whole summaries of
// lots and addresses: through the project page.)
TEST(LocationText, SummaryPiecesAndTheirCleanUp) {
    const auto lot = [](const char* plot, const char* flag) {
        QString summary;
        AppendLotSummary(summary, "MK17", plot, "7", flag);
        return summary;
    };
    QString oneRow, twoRows;
    AppendAddressSummary(oneRow, "", "10", "", "", "MAIN ROAD", "");
    AppendAddressSummary(twoRows, "ABC TOWER", "1", "", "", "ADAM ROAD", "111111");
    AppendAddressSummary(twoRows, "", "", "", "", "MAIN ROAD", "123456");
    const std::pair<QString, QString> cases[] = {
        {StripCommasAndSpaces(" ,, A, B ,, "), "A, B"},
        {StripCommasAndSpaces(", , ,"), ""},
        {StripCommasAndSpaces(""), ""},
        {StripCommasAndSpaces("A ,, B"), "A ,, B"},
        {StripCommasAndSpaces("\tA, "), "\tA"},
        {LevelUnitText("5", "12"), "#05-12, "},
        {LevelUnitText("5", ""), "Unit 05-00, "},
        {LevelUnitText("", "7"), "Level 00-07, "},
        {LevelUnitText("", ""), ""},
        {LevelUnitText("123", "A"), "#123-0A, "},
        {lot("12", "Y"), "MK17 Plot12 Lot7 PT, "},
        {lot("", "y"), "MK17 Lot7 PT, "},
        {lot("", "YES"), "MK17 Lot7, "},
        {oneRow, "10 MAIN ROAD, , "},
        {StripCommasAndSpaces(twoRows),
         "1 ADAM ROAD, ABC TOWER, Singapore 111111,  MAIN ROAD, Singapore 123456"},
    };
    for (const auto& [actual, expected] : cases)
        EXPECT_EQ(actual.toStdString(), expected.toStdString());
}
