#include "pages/project/ProjectChecks.h"

#include "sdk/StringTable.h"

namespace kestrel {

namespace {

// White space as the C library's isspace counts it: blank, tab, line feed, vertical tab, form
// feed, carriage return. A non-breaking space, or any other space of Unicode, is the title's own.
QString trimmedAscii(const QString& text) {
    auto blank = [](QChar c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); };
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && blank(text.at(from)))
        ++from;
    while (to > from && blank(text.at(to - 1)))
        --to;
    return text.mid(from, to - from);
}

} // namespace

QList<ProjectCheckFailure> RunProjectChecks(ProjectCheckValues& values) {
    QList<ProjectCheckFailure> failures;
    auto fail = [&failures](int stringId, int controlId, bool onLotPage = false) {
        failures.append({GetRCString(stringId) + QLatin1Char('\n'), controlId, onLotPage});
    };

    if (values.professionalNo.isEmpty() || values.serialNo.isEmpty() || values.year.isEmpty()) {
        // The serial number is where a duplicate reference is usually fixed, so it takes the
        // focus whichever part is missing.
        fail(IDS_INVALID_PROJECT_REF, IDC_PROJECT_SERIAL_NO);
    }
    values.title = trimmedAscii(values.title);
    if (values.title.isEmpty()) {
        fail(IDS_TITLE_MANDATORY, IDC_PROJECT_TITLE);
    }
    if (values.commencement > values.completion) {
        fail(IDS_COMPLETION_BEFORE_COMMENCEMENT, IDC_PROJECT_COMPLETE_DATE);
    }
    if (values.category.isEmpty()) {
        fail(IDS_CATEGORY_MANDATORY, IDC_PROJECT_CATEGORY);
    }
    if (values.classification.isEmpty()) {
        fail(IDS_CLASSIFICATION_MANDATORY, IDC_PROJECT_CLASSIFICATION);
    }
    if (values.landOwnership.isEmpty()) {
        fail(IDS_LAND_OWNERSHIP_MANDATORY, IDC_PROJECT_LAND_OWNERSHIP);
    }
    if (!values.hasLocationRecord) {
        fail(IDS_LOCATION_MANDATORY, IDC_LOT_MUKIM_TS, true);
    }
    return failures;
}

} // namespace kestrel
