// Telephone numbers as the member's number fields admit them.
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
        // Singapore numbers keep their eight digits, however they are written.
        {"+65 6123 4567", "SG", "61234567", ""},
        {"+6591234567", "SG", "91234567", ""},
        {"6123-4567", "SG", "61234567", ""},
        {"(65) 6777 8888", "SG", "67778888", ""},
        {"001 65 6123 4567", "SG", "61234567", ""},
        {"tel:+65-6555-0101;ext=7", "SG", "65550101", "7"},
        {"+65 6345 6789 ext. 21", "SG", "63456789", "21"},
        {"6345 6789 x 21", "SG", "63456789", "21"},
        // Elsewhere: country code and national significant number, the trunk zero dropped.
        {"+60 3-2161 1234", "SG", "60321611234", ""},
        {"+49 (0)30 1234567", "SG", "49301234567", ""},
        {"030 1234567", "DE", "49301234567", ""},
        {"+39 06 1234 5678", "SG", "390612345678", ""},
        // What libphonenumber cannot read keeps its digits; no digits, nothing.
        {"call reception, dial 5", "SG", "5", ""},
        {"n/a", "SG", "", ""},
        {"", "SG", "", ""},
        {"   ", "SG", "", ""},
        // An unknown region falls back to reading the digits.
        {"6123 4567", "ZZ", "61234567", ""},
        {"+65 6123 4567", "ZZ", "61234567", ""},
    };
    for (const auto& c : cases) {
        const PhoneDigits digits =
            ToPhoneDigits(QString::fromUtf8(c.text), QLatin1String(c.region));
        EXPECT_EQ(digits.number.toStdString(), c.number) << c.text;
        EXPECT_EQ(digits.extension.toStdString(), c.extension) << c.text;
    }
}
