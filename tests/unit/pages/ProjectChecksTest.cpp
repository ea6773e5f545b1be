// The project checks of Save & Quit over plain values: where they draw the line. Which control
// each failure focuses is tested through the project page.

#include "pages/project/ProjectChecks.h"

#include <gtest/gtest.h>

using namespace kestrel;

// Completion may fall on the commencement but not before it. Only ASCII white space is trimmed
// from the title: other spaces of Unicode are part of it.
TEST(ProjectChecks, DatesInOrderAndTheTitleTrimmedOfAsciiWhiteSpaceOnly) {
    const QDateTime start(QDate(2002, 3, 4), QTime(9, 30));
    const struct {
        const char16_t *title, *saved;
        int completion, failure;
    } cases[] = {
        {u" Block of flats ", u"Block of flats", 0, 0},
        {u" Block of flats ", u"Block of flats", 1, 0},
        {u" Block of flats ", u"Block of flats", -1, IDC_PROJECT_COMPLETE_DATE},
        {u" \t\r\n\v\fBlock of flats \n", u"Block of flats", 0, 0},
        {u"\u00A0Block\u00A0of flats\u00A0", u"\u00A0Block\u00A0of flats\u00A0", 0, 0},
        {u" \u3000\u2003 ", u"\u3000\u2003", 0, 0},
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
