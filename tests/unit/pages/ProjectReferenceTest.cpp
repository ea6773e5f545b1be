// The project reference "professional no-serial-year" as composed for the file and split again
// when a record is loaded, the join of the three location summaries, and the project checks of
// Save & Quit over plain values: where they draw the line. Which control each failure focuses is
// tested through the project page.

#include "pages/project/ProjectReference.h"
#include "pages/project/ProjectChecks.h"

#include <gtest/gtest.h>

using namespace kestrel;

namespace {

ProjectReferenceParts parts(const QString& text) {
    return {text.section('|', 0, 0), text.section('|', 1, 1), text.section('|', 2, 2)};
}

std::string text(const ProjectReferenceParts& p) {
    return (p.professionalNo + "|" + p.serialNo + "|" + p.year).toStdString();
}

} // namespace

// Typed parts, the reference composed of them, and the serial as it comes back.
TEST(ProjectReference, ComposeThenSplitGivesThePartsBackWithTheSerialFormatted) {
    const struct {
        QString typed, composed, serialBack;
    } cases[] = {
        {"A123|42|2002", "A123-00042-2002", "00042"},
        {"ZZ9||1999", "ZZ9-00000-1999", "00000"},
        // More digits than five are all kept; the value, not the text, is what is formatted.
        {"X|1234567|2050", "X-1234567-2050", "1234567"},
    };
    for (const auto& c : cases) {
        const ProjectReferenceParts typed = parts(c.typed);
        EXPECT_EQ(ComposeProjectReference(typed), c.composed);
        const ProjectReferenceParts back = SplitProjectReference(c.composed);
        const ProjectReferenceParts expected{typed.professionalNo, c.serialBack, typed.year};
        EXPECT_TRUE(back == expected) << text(back) << " for " << text(expected);
        EXPECT_EQ(ComposeProjectReference(back), c.composed);
    }
}

// The serial is the integer a C conversion reads, with the sign before five digits: a loaded
// file may carry any text as its serial.
TEST(ProjectReference, SerialFormatsAsTheIntegerItReads) {
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

// Split cuts at the first two dashes only; without two, the whole text is the year.
TEST(ProjectReference, SplitCutsAtTheFirstTwoDashesOnly) {
    for (const auto& [reference, split] : {std::pair{"A1-007-20-02", "A1|007|20-02"},
                                           {"2002", "||2002"},
                                           {"A123-2002", "A123||A123-2002"}})
        EXPECT_EQ(text(SplitProjectReference(reference)), split) << reference;
}

TEST(ProjectReference, LocationDescriptionJoinsNonEmptySummaries) {
    EXPECT_EQ(JoinLocationSummaries("MK17 Lot1", "", "NORTH ROAD, EAST AVENUE"),
              "MK17 Lot1, NORTH ROAD, EAST AVENUE");
    EXPECT_EQ(JoinLocationSummaries("", "10 MAIN ROAD", ""), "10 MAIN ROAD");
    EXPECT_EQ(JoinLocationSummaries(" , MK1, ", "", ", "), "MK1");
}

// Completion may fall on the commencement but not before it. Only ASCII white space is trimmed
// from the title: other spaces of Unicode are part of it.
TEST(ProjectChecks, DatesInOrderAndTheTitleTrimmedOfAsciiWhiteSpaceOnly) {
    const QDateTime start(QDate(2002, 3, 4), QTime(9, 30));
    const struct {
        const char16_t *title, *saved;
        int completion, failure;
    } cases[] = {
        {u" Block of flats ", u"Block of flats", 0, 0},
        {u" Block of flats ", u"Block of flats", -1, IDC_PROJECT_COMPLETE_DATE},
        {u" \t\r\n\v\fBlock of flats \n", u"Block of flats", 0, 0},
        {u"\u00A0Block\u00A0of flats\u00A0", u"\u00A0Block\u00A0of flats\u00A0", 0, 0},
        {u" \t\n ", u"", 0, IDC_PROJECT_TITLE},
    };
    for (const auto& c : cases) {
        ProjectCheckValues values{"A123", "42",
                                  "2002", QString::fromUtf16(c.title),
                                  start,  start.addSecs(c.completion),
                                  "AA",   "RN",
                                  "LH",   true};
        const QList<ProjectCheckFailure> failures = RunProjectChecks(values);
        EXPECT_EQ(failures.size(), c.failure ? 1 : 0) << c.completion;
        if (c.failure && !failures.isEmpty()) {
            EXPECT_EQ(failures.front().controlId, c.failure);
        }
        EXPECT_EQ(values.title, QString::fromUtf16(c.saved));
    }
}
