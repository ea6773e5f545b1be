#include "pages/project/ProjectReference.h"

#include <gtest/gtest.h>

using kestrel::ComposeProjectReference;
using kestrel::FormatReferenceSerial;
using kestrel::JoinLocationSummaries;
using kestrel::ProjectReferenceParts;
using kestrel::SplitProjectReference;

namespace {

void PrintTo(const ProjectReferenceParts& parts, std::ostream* os) {
    *os << '{' << parts.professionalNo.toStdString() << " | " << parts.serialNo.toStdString()
        << " | " << parts.year.toStdString() << '}';
}

} // namespace

namespace kestrel {
void PrintTo(const ProjectReferenceParts& parts, std::ostream* os) {
    ::PrintTo(parts, os);
}
} // namespace kestrel

TEST(ProjectReference, SerialIsFiveZeroPaddedDigitsOfItsValue) {
    EXPECT_EQ(FormatReferenceSerial("7"), "00007");
    EXPECT_EQ(FormatReferenceSerial("42"), "00042");
    EXPECT_EQ(FormatReferenceSerial("00042"), "00042");
    EXPECT_EQ(FormatReferenceSerial("12345"), "12345");
    EXPECT_EQ(FormatReferenceSerial(""), "00000");
    EXPECT_EQ(FormatReferenceSerial("0"), "00000");
    // More digits than five are all kept; the value, not the text, is what is formatted.
    EXPECT_EQ(FormatReferenceSerial("1234567"), "1234567");
    EXPECT_EQ(FormatReferenceSerial("000000009"), "00009");
}

TEST(ProjectReference, SerialReadsLikeACIntegerConversion) {
    // A loaded file may carry any text as its serial; it is read up to the first non-digit.
    EXPECT_EQ(FormatReferenceSerial("12a"), "00012");
    EXPECT_EQ(FormatReferenceSerial("abc"), "00000");
    EXPECT_EQ(FormatReferenceSerial("  9"), "00009");
    EXPECT_EQ(FormatReferenceSerial("-5"), "-00005");
    EXPECT_EQ(FormatReferenceSerial("+5"), "00005");
    // Far too many digits: clamped, never undefined.
    EXPECT_EQ(FormatReferenceSerial("99999999999999999999"), "2147483647");
}

TEST(ProjectReference, ComposeJoinsTheThreePartsWithDashes) {
    EXPECT_EQ(ComposeProjectReference("A123", "42", "2002"), "A123-00042-2002");
    EXPECT_EQ(ComposeProjectReference("A123", "7", "2002"), "A123-00007-2002");
    EXPECT_EQ(ComposeProjectReference("A123", "", "2002"), "A123-00000-2002");
    EXPECT_EQ(ComposeProjectReference("", "", ""), "-00000-");
    EXPECT_EQ(ComposeProjectReference(ProjectReferenceParts{"PE9", "1", "1999"}), "PE9-00001-1999");
}

TEST(ProjectReference, SplitTakesTheReferenceApartAtTheFirstTwoDashes) {
    EXPECT_EQ(SplitProjectReference("A123-00042-2002"),
              (ProjectReferenceParts{"A123", "00042", "2002"}));
    // The serial keeps its zeros; whatever follows the second dash is the year.
    EXPECT_EQ(SplitProjectReference("A1-007-20-02"), (ProjectReferenceParts{"A1", "007", "20-02"}));
    EXPECT_EQ(SplitProjectReference("--"), (ProjectReferenceParts{"", "", ""}));
    EXPECT_EQ(SplitProjectReference("-00001-2002"), (ProjectReferenceParts{"", "00001", "2002"}));
    EXPECT_EQ(SplitProjectReference("A123--2002"), (ProjectReferenceParts{"A123", "", "2002"}));
}

TEST(ProjectReference, SplitWithoutEnoughDashesLeavesTheRestAsYear) {
    EXPECT_EQ(SplitProjectReference("2002"), (ProjectReferenceParts{"", "", "2002"}));
    EXPECT_EQ(SplitProjectReference(""), (ProjectReferenceParts{"", "", ""}));
    // One dash: there is no second one, so the year is the whole text.
    EXPECT_EQ(SplitProjectReference("A123-2002"), (ProjectReferenceParts{"A123", "", "A123-2002"}));
}

TEST(ProjectReference, ComposeThenSplitGivesThePartsBackWithTheSerialPadded) {
    const struct {
        ProjectReferenceParts typed;
        QString serialBack;
    } cases[] = {
        {{"A123", "42", "2002"}, "00042"},
        {{"A123", "00042", "2002"}, "00042"},
        {{"ZZ9", "", "1999"}, "00000"},
        {{"X", "99999", "2050"}, "99999"},
        {{"ABCDEFGHIJKLMNOPQRSTUVWXYZ012345678", "1", "0000"}, "00001"},
    };
    for (const auto& c : cases) {
        const QString composed = ComposeProjectReference(c.typed);
        const ProjectReferenceParts back = SplitProjectReference(composed);
        EXPECT_EQ(back, (ProjectReferenceParts{c.typed.professionalNo, c.serialBack, c.typed.year}))
            << composed.toStdString();
        // And the text survives a second trip unchanged.
        EXPECT_EQ(ComposeProjectReference(back), composed);
    }
}

TEST(LocationDescription, JoinsNonEmptySummariesWithCommas) {
    EXPECT_EQ(JoinLocationSummaries("MK17 Lot1", "10 MAIN ROAD", "NORTH ROAD, EAST AVENUE"),
              "MK17 Lot1, 10 MAIN ROAD, NORTH ROAD, EAST AVENUE");
    EXPECT_EQ(JoinLocationSummaries("MK17 Lot1", "", "NORTH ROAD"), "MK17 Lot1, NORTH ROAD");
    // Only the addresses: no leading ", ".
    EXPECT_EQ(JoinLocationSummaries("", "10 MAIN ROAD, Singapore 123456", ""),
              "10 MAIN ROAD, Singapore 123456");
    EXPECT_EQ(JoinLocationSummaries("", "", "NORTH ROAD"), "NORTH ROAD");
    EXPECT_EQ(JoinLocationSummaries("", "", ""), "");
    // Stray commas and spaces at either end of the whole text go.
    EXPECT_EQ(JoinLocationSummaries(" , MK1, ", "", ", "), "MK1");
}
