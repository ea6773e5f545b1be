#pragma once
// The project reference and the location description, as plain text rules.
//
// The page shows the reference in three fields (professional number, serial number, year); the
// file keeps it as one text joined by "-", with the serial written as five zero-padded digits.
// The location description joins the summaries of the lots, addresses and roads pages.

#include <QString>

namespace kestrel {

struct ProjectReferenceParts {
    QString professionalNo;
    QString serialNo;
    QString year;

    bool operator==(const ProjectReferenceParts& other) const = default;
};

// The serial's integer value as at least five digits ("7" -> "00007", "" -> "00000"). The value
// is read as a C integer conversion reads it: leading blanks, an optional sign, then the digits
// up to the first other character; a text without digits counts as 0.
QString FormatReferenceSerial(const QString& serialNo);

// professional number + "-" + FormatReferenceSerial(serial) + "-" + year.
QString ComposeProjectReference(const QString& professionalNo, const QString& serialNo,
                                const QString& year);
QString ComposeProjectReference(const ProjectReferenceParts& parts);

// Takes a stored reference apart at the first "-" and the next "-" after it: professional
// number before the first, serial between them (its zeros kept), year after the second. A
// missing "-" counts as standing before the text, so a reference without any "-" is all year,
// and one with a single "-" keeps its professional number and is otherwise all year.
ProjectReferenceParts SplitProjectReference(const QString& reference);

// The lots summary, then ", " + the addresses summary and ", " + the roads summary where those
// are not empty, with leading and trailing commas and spaces removed.
QString JoinLocationSummaries(const QString& lots, const QString& addresses, const QString& roads);

} // namespace kestrel
