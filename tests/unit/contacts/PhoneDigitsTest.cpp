// Telephone numbers as the member's number fields admit them. (Numbers as the exporters write
// them: through the contact document.)
#include "contacts/PhoneDigits.h"

#include <gtest/gtest.h>

using namespace kestrel;

TEST(PhoneDigits, DigitsTheFieldsAdmit) {
    const struct {
        const char* text;
        const char* region;
        const char* number;
        const char* extension;
    } cases[] = {
        // Singapore numbers keep their eight digits; elsewhere the country code comes first and
        // the trunk zero goes.
        {"001 65 6123 4567", "SG", "61234567", ""},
        {"6345 6789 x 21", "SG", "63456789", "21"},
        {"+49 (0)30 1234567", "SG", "49301234567", ""},
        {"030 1234567", "de", "49301234567", ""},
        // What libphonenumber cannot read keeps its digits; no digits, nothing.
        {"call reception, dial 5", "SG", "5", ""},
        {"n/a", "SG", "", ""},
        {"   ", "SG", "", ""},
        {"6123 4567", "ZZ", "61234567", ""}, // an unknown region: the digits
    };
    for (const auto& c : cases) {
        const PhoneDigits digits =
            ToPhoneDigits(QString::fromUtf8(c.text), QLatin1String(c.region));
        EXPECT_EQ(digits.number.toStdString(), c.number) << c.text;
        EXPECT_EQ(digits.extension.toStdString(), c.extension) << c.text;
    }
}
