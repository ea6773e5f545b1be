#pragma once
// The checks Save & Quit runs on the project particulars before anything is written, as plain
// rules over the values: each failing check gives its string-table text followed by "\n" and the
// control that should take the focus. The project page turns them into focus targets.

#include <QDateTime>
#include <QList>
#include <QString>

namespace kestrel {

// Controls of the project page (and the lot page's Mukim/TS list) the checks point to.
enum ProjectControlId : int {
    IDC_PROJECT_PROF_NO = 1000,
    IDC_PROJECT_SERIAL_NO = 1001,
    IDC_PROJECT_YEAR = 1002,
    IDC_PROJECT_TITLE = 1004,
    IDC_PROJECT_COMMENCE_DATE = 1005,
    IDC_PROJECT_COMPLETE_DATE = 1006,
    IDC_PROJECT_CLASSIFICATION = 1007,
    IDC_PROJECT_LAND_OWNERSHIP = 1008,
    IDC_PROJECT_CATEGORY = 1054,
    IDC_LOT_MUKIM_TS = 1018,
};

// String-table entries of the checks, in check order.
enum ProjectCheckString : int {
    IDS_INVALID_PROJECT_REF = 114,
    IDS_TITLE_MANDATORY = 115,
    IDS_COMPLETION_BEFORE_COMMENCEMENT = 116,
    IDS_CATEGORY_MANDATORY = 117,
    IDS_CLASSIFICATION_MANDATORY = 118,
    IDS_LAND_OWNERSHIP_MANDATORY = 119,
    IDS_LOCATION_MANDATORY = 120,
};

struct ProjectCheckValues {
    QString professionalNo;
    QString serialNo;
    QString year;
    QString title;
    QDateTime commencement;
    QDateTime completion;
    QString category;
    QString classification;
    QString landOwnership;
    // Whether the lots, addresses or roads table holds at least one row.
    bool hasLocationRecord = false;
};

struct ProjectCheckFailure {
    QString message;        // the string-table text + "\n"
    int controlId = 0;      // the control to focus
    bool onLotPage = false; // the control is on the lot page of the nested sheet
};

// Runs the checks in order and lists every failure; the first one chooses the focus. The title
// is trimmed of ASCII white space at both ends first, and the trimmed text replaces the one in
// `values`, so a saved title is written trimmed.
QList<ProjectCheckFailure> RunProjectChecks(ProjectCheckValues& values);

} // namespace kestrel
