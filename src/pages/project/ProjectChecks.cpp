#include "pages/project/ProjectChecks.h"

#include "sdk/StringTable.h"

namespace kestrel {

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
    values.title = values.title.trimmed();
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
