// The project checks of Save & Quit over plain values: where they draw the line. Which control
// each failure focuses is tested through the project page.

#include "pages/project/ProjectChecks.h"

#include <gtest/gtest.h>

using namespace kestrel;

TEST(ProjectChecks, CompletionMayFallOnTheCommencementButNotBeforeIt) {
    const QDateTime commencement(QDate(2002, 3, 4), QTime(9, 30));
    const struct {
        QDateTime completion;
        bool fails;
    } cases[] = {
        {commencement, false},
        {commencement.addSecs(1), false},
        {commencement.addSecs(-1), true},
    };
    for (const auto& c : cases) {
        ProjectCheckValues values{"A123",       "42",         "2002", " Block of flats ",
                                  commencement, c.completion, "AA",   "RN",
                                  "LH",         true};
        const QList<ProjectCheckFailure> failures = RunProjectChecks(values);
        EXPECT_EQ(failures.size(), c.fails ? 1 : 0) << c.completion.toString().toStdString();
        if (c.fails) {
            EXPECT_EQ(failures.front().controlId, IDC_PROJECT_COMPLETE_DATE);
        }
        EXPECT_EQ(values.title, "Block of flats");
    }
}

// Only ASCII white space is trimmed: other spaces of Unicode are part of the title.
TEST(ProjectChecks, TitleLosesOnlyAsciiWhiteSpaceAtItsEnds) {
    const struct {
        const char16_t* title;
        const char16_t* saved;
        bool mandatoryFails;
    } cases[] = {
        {u" \t\r\n\v\fBlock of flats \n", u"Block of flats", false},
        {u"\u00A0Block\u00A0of flats\u00A0", u"\u00A0Block\u00A0of flats\u00A0", false},
        {u" \u3000\u2003 ", u"\u3000\u2003", false},
        {u" \t\n ", u"", true},
    };
    for (const auto& c : cases) {
        ProjectCheckValues values{"A123", "42", "2002", QString::fromUtf16(c.title)};
        values.category = values.classification = values.landOwnership = "X";
        values.hasLocationRecord = true;
        const QList<ProjectCheckFailure> failures = RunProjectChecks(values);
        EXPECT_EQ(values.title, QString::fromUtf16(c.saved));
        EXPECT_EQ(failures.size(), c.mandatoryFails ? 1 : 0);
    }
}
