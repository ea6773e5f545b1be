#pragma once

// Date-time text of the project file: ISO 8601 local time to the second, "2002-03-04T05:06:07".

#include <QDateTime>
#include <QString>

// "yyyy-MM-ddTHH:mm:ss" of the value's own wall-clock time (milliseconds are dropped); "" for an
// invalid value.
QString FormatDate(const QDateTime& value);

// Reads what FormatDate writes, and also tolerates a date alone ("2002-03-04", midnight), a blank
// instead of the "T", fractional seconds, and a "Z"/"+hh:mm" suffix (converted to local time).
// Leading and trailing white space is ignored.
//
// Empty or unparsable text gives the current local date-time (to the second). This is what the
// date pickers start with for a new project, and a new document hands its empty date elements
// through here, so a fresh record shows today rather than a meaningless fixed date; an invalid
// QDateTime would be silently refused by the pickers. Callers that must tell the two apart use
// TryParseDate.
QDateTime ParseDate(const QString& text);

// True and `*value` set when `text` is a date ParseDate understands; false otherwise (`*value`
// untouched).
bool TryParseDate(const QString& text, QDateTime* value);
