// The text of the project's location description: the clean-up every summary gets, the
// zero-padding of levels and units, and the per-record pieces of the lots and addresses pages.

#include "pages/LocationText.h"

#include <gtest/gtest.h>

using namespace kestrel;

namespace {

struct Address {
    QString building, houseBlock, level, unit, road, postalCode;
};

QString AddressSummary(std::initializer_list<Address> rows) {
    QString summary;
    for (const Address& a : rows)
        AppendAddressSummary(summary, a.building, a.houseBlock, a.level, a.unit, a.road,
                             a.postalCode);
    return StripCommasAndSpaces(summary);
}

} // namespace

TEST(StripCommasAndSpaces, RemovesEveryLeadingAndTrailingCommaOrSpace) {
    EXPECT_EQ(StripCommasAndSpaces(QStringLiteral(" ,, A, B ,, ")), QStringLiteral("A, B"));
    EXPECT_EQ(StripCommasAndSpaces(QStringLiteral(", , ,")), QString());
    EXPECT_EQ(StripCommasAndSpaces(QString()), QString());
    // Inside the text nothing is touched, and other white space is no separator of ours.
    EXPECT_EQ(StripCommasAndSpaces(QStringLiteral("A ,, B")), QStringLiteral("A ,, B"));
    EXPECT_EQ(StripCommasAndSpaces(QStringLiteral("\tA, ")), QStringLiteral("\tA"));
}

TEST(ZeroPad2, PadsTextNotNumbers) {
    EXPECT_EQ(ZeroPad2(QString()), QStringLiteral("00"));
    EXPECT_EQ(ZeroPad2(QStringLiteral("5")), QStringLiteral("05"));
    EXPECT_EQ(ZeroPad2(QStringLiteral("A")), QStringLiteral("0A"));
    EXPECT_EQ(ZeroPad2(QStringLiteral("12")), QStringLiteral("12"));
    EXPECT_EQ(ZeroPad2(QStringLiteral("123")), QStringLiteral("123"));
    // A value that is already padded is left as typed, not re-read as a number.
    EXPECT_EQ(ZeroPad2(QStringLiteral("05")), QStringLiteral("05"));
    EXPECT_EQ(ZeroPad2(QStringLiteral(" 5")), QStringLiteral(" 5"));
}

TEST(LotSummary, JoinsLotsWithPlotAndPartialMarks) {
    QString summary;
    AppendLotSummary(summary, QStringLiteral("MK17"), QStringLiteral("12"), QStringLiteral("3456"),
                     QStringLiteral("Y"));
    AppendLotSummary(summary, QStringLiteral("MK17"), QString(), QStringLiteral("99"),
                     QStringLiteral("N"));
    EXPECT_EQ(StripCommasAndSpaces(summary), QStringLiteral("MK17 Plot12 Lot3456 PT, MK17 Lot99"));
}

TEST(LotSummary, PartialMarkIgnoresCaseAndNeedsExactlyY) {
    QString lower;
    AppendLotSummary(lower, QStringLiteral("TS01"), QString(), QStringLiteral("7"),
                     QStringLiteral("y"));
    EXPECT_EQ(lower, QStringLiteral("TS01 Lot7 PT, "));
    QString other;
    AppendLotSummary(other, QStringLiteral("TS01"), QString(), QStringLiteral("7"),
                     QStringLiteral("YES"));
    EXPECT_EQ(other, QStringLiteral("TS01 Lot7, "));
}

TEST(LotSummary, NoLotsGiveAnEmptySummary) {
    EXPECT_EQ(StripCommasAndSpaces(QString()), QString());
}

TEST(LevelUnitText, EveryCombinationOfLevelAndUnit) {
    EXPECT_EQ(LevelUnitText(QStringLiteral("5"), QStringLiteral("12")), QStringLiteral("#05-12, "));
    EXPECT_EQ(LevelUnitText(QStringLiteral("12"), QStringLiteral("345")),
              QStringLiteral("#12-345, "));
    EXPECT_EQ(LevelUnitText(QStringLiteral("5"), QString()), QStringLiteral("Unit 05-00, "));
    EXPECT_EQ(LevelUnitText(QString(), QStringLiteral("7")), QStringLiteral("Level 00-07, "));
    EXPECT_EQ(LevelUnitText(QString(), QStringLiteral("12")), QStringLiteral("Level 00-12, "));
    EXPECT_EQ(LevelUnitText(QString(), QString()), QString());
    EXPECT_EQ(LevelUnitText(QStringLiteral("123"), QStringLiteral("A")),
              QStringLiteral("#123-0A, "));
}

TEST(AddressSummary, FullAddress) {
    EXPECT_EQ(AddressSummary({{"ABC TOWER", "10", "5", "12", "MAIN ROAD", "123456"}}),
              QStringLiteral("10 MAIN ROAD, #05-12, ABC TOWER, Singapore 123456"));
}

TEST(AddressSummary, OptionalPartsAreLeftOut) {
    EXPECT_EQ(AddressSummary({{"", "10", "", "", "MAIN ROAD", ""}}),
              QStringLiteral("10 MAIN ROAD"));
    EXPECT_EQ(AddressSummary({{"", "10", "5", "", "MAIN ROAD", "123456"}}),
              QStringLiteral("10 MAIN ROAD, Unit 05-00, Singapore 123456"));
    EXPECT_EQ(AddressSummary({{"", "10", "", "7", "MAIN ROAD", "123456"}}),
              QStringLiteral("10 MAIN ROAD, Level 00-07, Singapore 123456"));
}

TEST(AddressSummary, LeadingSpaceOfAMissingHouseNumberIsStrippedOnlyAtTheStart) {
    // First row: the space in front of the road goes with the stripping.
    EXPECT_EQ(AddressSummary({{"", "", "", "", "MAIN ROAD", "123456"}}),
              QStringLiteral("MAIN ROAD, Singapore 123456"));
    // A later row keeps it: ", " from the row before, then " " + road.
    EXPECT_EQ(AddressSummary({{"", "1", "", "", "ADAM ROAD", "111111"},
                              {"", "", "", "", "MAIN ROAD", "123456"}}),
              QStringLiteral("1 ADAM ROAD, Singapore 111111,  MAIN ROAD, Singapore 123456"));
}

TEST(AddressSummary, RowWithoutPostalCodeStillEndsWithItsSeparator) {
    QString summary;
    AppendAddressSummary(summary, QStringLiteral("ABC TOWER"), QStringLiteral("10"), QString(),
                         QString(), QStringLiteral("MAIN ROAD"), QString());
    EXPECT_EQ(summary, QStringLiteral("10 MAIN ROAD, ABC TOWER, , "));
}
