#pragma once
// Telephone numbers as the member's number fields admit them: digits only. A Singapore number
// keeps its national significant number ("+65 6123 4567" -> "61234567"), a number elsewhere its
// country code and national significant number ("+60 3-2161 1234" -> "60321611234"), so that it
// can still be dialled from Singapore with the international prefix. An extension written with
// the number ("ext. 89", "x89", ";ext=89") comes apart. The numbers are read by libphonenumber,
// which knows every country's way of writing them; a text it cannot read as a number keeps just
// its digits.

#include <QString>

namespace kestrel {

struct PhoneDigits {
    QString number;    // digits only; "" when the text held none
    QString extension; // digits only; "" when none was written
};

// `defaultRegion` (ISO 3166 alpha-2) is the country a number written without a country code
// belongs to.
PhoneDigits ToPhoneDigits(const QString& text, const QString& defaultRegion = QStringLiteral("SG"));

} // namespace kestrel
