// The project reference "professional no-serial-year" as composed for the file and split again
// when a record is loaded, the join of the three location summaries, and the project checks of
// Save & Quit over plain values: where they draw the line, their texts and controls.

#include "pages/project/ProjectReference.h"
#include "pages/project/ProjectChecks.h"

#include <gtest/gtest.h>

using namespace kestrel;

// Typed parts compose the reference, the serial formatted (more digits than five all kept); a
// reference splits at its first two dashes only, and without two the whole text is the year. The
// serial is the integer a C conversion reads, with the sign before five digits: a loaded file may
// carry any text as its serial. The location summaries are joined where not empty.
TEST(ProjectReference, ComposedSplitAndJoinedAsTheRecordIsWritten) {
    const auto split = [](const char* reference) {
        const ProjectReferenceParts p = SplitProjectReference(reference);
        return p.professionalNo + "|" + p.serialNo + "|" + p.year;
    };
    const std::pair<QString, QString> cases[] = {
        {ComposeProjectReference({"A123", "42", "2002"}), "A123-00042-2002"},
        {ComposeProjectReference({"ZZ9", "", "1999"}), "ZZ9-00000-1999"},
        {ComposeProjectReference({"X", "1234567", "2050"}), "X-1234567-2050"},
        {split("A123-00042-2002"), "A123|00042|2002"},
        {split("A1-007-20-02"), "A1|007|20-02"},
        {split("2002"), "||2002"},
        {split("-00042-2002"), "|00042|2002"}, // no professional number
        {split("A123-2002"), "A123||A123-2002"},
        {FormatReferenceSerial("-7"), "-00007"},
        {FormatReferenceSerial("-0"), "00000"},
        {FormatReferenceSerial(" \t\n\v\f\r+12"), "00012"},
        {FormatReferenceSerial("- 5"), "00000"}, // nothing may come between sign and digits
        {FormatReferenceSerial("1/2"), "00001"},
        {FormatReferenceSerial("90:1"), "00090"},
        {FormatReferenceSerial("2147483647"), "2147483647"},
        {FormatReferenceSerial("2147483648"), "2147483647"},
        {FormatReferenceSerial("-2147483648"), "-2147483648"},
        // Out of range either way the value stops at the int's limit instead of wrapping.
        {FormatReferenceSerial("-99999999999999999999"), "-2147483648"},
        {JoinLocationSummaries("MK17 Lot1", "", "NORTH ROAD, EAST AVENUE"),
         "MK17 Lot1, NORTH ROAD, EAST AVENUE"},
        {JoinLocationSummaries("", "10 MAIN ROAD", ""), "10 MAIN ROAD"},
        {JoinLocationSummaries(" , MK1, ", "", ", "), "MK1"},
    };
    for (const auto& [actual, expected] : cases)
        EXPECT_EQ(actual.toStdString(), expected.toStdString());
}

// Each case breaks values of a valid project: every failure is listed in check order with its
// text and control. Completion may fall on the commencement but not before it; only ASCII white
// space is trimmed from the title (other spaces of Unicode are part of it).
TEST(ProjectChecks, EachRuleGivesItsTextAndControl) {
    const QDateTime start(QDate(2002, 3, 4), QTime(9, 30));
    const QString reference = "Invalid project reference number\n",
                  dates = "Project completion date must be later than the commencement date\n";
    const struct {
        QString ProjectCheckValues::*field;
        const char16_t *text, *saved;
        QString messages;
        int control;
        int completion = 0; // seconds after the commencement
        bool located = true;
    } cases[] = {
        {nullptr, u"", u"", "", 0},
        {&ProjectCheckValues::professionalNo, u"", u"", reference, IDC_PROJECT_SERIAL_NO},
        {&ProjectCheckValues::serialNo, u"", u"", reference, IDC_PROJECT_SERIAL_NO},
        {&ProjectCheckValues::year, u"", u"", reference, IDC_PROJECT_SERIAL_NO},
        {&ProjectCheckValues::title, u" \t\r\n\v\fBlock \n", u"Block", "", 0},
        {&ProjectCheckValues::title, u"\u00A0Block\u00A0", u"\u00A0Block\u00A0", "", 0},
        {&ProjectCheckValues::title, u" \t\n ", u"", "Project title is mandatory\n",
         IDC_PROJECT_TITLE},
        {nullptr, u"", u"", dates, IDC_PROJECT_COMPLETE_DATE, -1},
        {&ProjectCheckValues::category, u"", u"", "Project category is mandatory\n",
         IDC_PROJECT_CATEGORY},
        {&ProjectCheckValues::classification, u"", u"", "Project classification is mandatory\n",
         IDC_PROJECT_CLASSIFICATION},
        {&ProjectCheckValues::landOwnership, u"", u"", "Project land ownership is mandatory\n",
         IDC_PROJECT_LAND_OWNERSHIP},
        {nullptr, u"", u"", "One of the Project MK/TS or Address or Site info is required\n",
         IDC_LOT_MUKIM_TS, 0, false},
        {&ProjectCheckValues::year, u"", u"", reference + dates, IDC_PROJECT_SERIAL_NO, -60},
    };
    for (const auto& c : cases) {
        ProjectCheckValues values{
            "A123", "42", "2002", "Flats",  start, start.addSecs(c.completion),
            "AA",   "RN", "LH",   c.located};
        if (c.field)
            values.*c.field = QString::fromUtf16(c.text);
        QString messages;
        const QList<ProjectCheckFailure> failures = RunProjectChecks(values);
        for (const ProjectCheckFailure& failure : failures)
            messages += failure.message;
        EXPECT_EQ(messages, c.messages);
        if (!failures.isEmpty()) {
            EXPECT_EQ(failures.front().controlId, c.control) << messages.toStdString();
            EXPECT_EQ(failures.front().onLotPage, c.control == IDC_LOT_MUKIM_TS);
        }
        EXPECT_EQ(values.title, c.field == &ProjectCheckValues::title ? QString::fromUtf16(c.saved)
                                                                      : QString("Flats"));
    }
}
