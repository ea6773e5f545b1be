// The project reference "professional no-serial-year" as composed for the file and split again
// when a record is loaded, and the join of the three location summaries.

#include "pages/project/ProjectReference.h"

#include <gtest/gtest.h>

using namespace kestrel;

namespace kestrel {
void PrintTo(const ProjectReferenceParts& parts, std::ostream* os) {
    *os << '{' << parts.professionalNo.toStdString() << " | " << parts.serialNo.toStdString()
        << " | " << parts.year.toStdString() << '}';
}
} // namespace kestrel

TEST(ProjectReference, ComposeThenSplitGivesThePartsBackWithTheSerialFormatted) {
    const struct {
        ProjectReferenceParts typed;
        QString composed, serialBack;
    } cases[] = {
        {{"A123", "42", "2002"}, "A123-00042-2002", "00042"},
        {{"A123", "00042", "2002"}, "A123-00042-2002", "00042"},
        {{"ZZ9", "", "1999"}, "ZZ9-00000-1999", "00000"},
        {{"X", "0", "2050"}, "X-00000-2050", "00000"},
        // More digits than five are all kept; the value, not the text, is what is formatted.
        {{"X", "1234567", "2050"}, "X-1234567-2050", "1234567"},
        {{"X", "000000009", "2050"}, "X-00009-2050", "00009"},
        // A loaded file may carry any text as its serial: it is read up to the first non-digit,
        // and far too many digits are clamped.
        {{"X", "12a", "2050"}, "X-00012-2050", "00012"},
        {{"X", "abc", "2050"}, "X-00000-2050", "00000"},
        {{"X", "99999999999999999999", "2050"}, "X-2147483647-2050", "2147483647"},
        {{"", "", ""}, "-00000-", "00000"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ComposeProjectReference(c.typed), c.composed);
        EXPECT_EQ(ComposeProjectReference(c.typed.professionalNo, c.typed.serialNo, c.typed.year),
                  c.composed);
        const ProjectReferenceParts back = SplitProjectReference(c.composed);
        EXPECT_EQ(back, (ProjectReferenceParts{c.typed.professionalNo, c.serialBack, c.typed.year}))
            << c.composed.toStdString();
        EXPECT_EQ(ComposeProjectReference(back), c.composed);
    }
}

TEST(ProjectReference, SerialIsTheIntegerACConversionReadsWithTheSignBeforeFiveDigits) {
    const std::pair<QString, QString> cases[] = {
        {"-7", "-00007"},
        {"-0", "00000"},
        {" \t\n\v\f\r+12", "00012"},
        {"- 5", "00000"}, // nothing may come between the sign and the digits
        {"1/2", "00001"},
        {"90:1", "00090"},
        {"2147483647", "2147483647"},
        {"2147483648", "2147483647"},
        {"-2147483648", "-2147483648"},
        // Out of range either way the value stops at the int's limit instead of wrapping.
        {"-99999999999999999999", "-2147483648"},
    };
    for (const auto& [serial, formatted] : cases)
        EXPECT_EQ(FormatReferenceSerial(serial), formatted) << serial.toStdString();
}

TEST(ProjectReference, SplitCutsAtTheFirstTwoDashesOnly) {
    const std::pair<QString, ProjectReferenceParts> cases[] = {
        {"A1-007-20-02", {"A1", "007", "20-02"}},
        {"A123--2002", {"A123", "", "2002"}},
        // Without two dashes the whole text is the year.
        {"2002", {"", "", "2002"}},
        {"", {"", "", ""}},
        {"A123-2002", {"A123", "", "A123-2002"}}};
    for (const auto& [reference, parts] : cases)
        EXPECT_EQ(SplitProjectReference(reference), parts) << reference.toStdString();
}

TEST(ProjectReference, LocationDescriptionJoinsNonEmptySummaries) {
    EXPECT_EQ(JoinLocationSummaries("MK17 Lot1", "", "NORTH ROAD, EAST AVENUE"),
              "MK17 Lot1, NORTH ROAD, EAST AVENUE");
    EXPECT_EQ(JoinLocationSummaries("", "10 MAIN ROAD", ""), "10 MAIN ROAD");
    EXPECT_EQ(JoinLocationSummaries(" , MK1, ", "", ", "), "MK1");
}
