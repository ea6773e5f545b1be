// Telephone numbers as the member's number fields admit them.
#include "contacts/PhoneDigits.h"

#include "QStringPrinter.h"

#include <gtest/gtest.h>

using namespace kestrel;

namespace {

struct PhoneCase {
    const char* text;
    const char* region;
    const char* number;
    const char* extension;
};

class PhoneDigitsTable : public testing::TestWithParam<PhoneCase> {};

} // namespace

TEST_P(PhoneDigitsTable, DigitsTheFieldsAdmit) {
    const PhoneCase& c = GetParam();
    const PhoneDigits digits = ToPhoneDigits(QString::fromUtf8(c.text), QLatin1String(c.region));
    EXPECT_EQ(digits.number, QLatin1String(c.number)) << c.text;
    EXPECT_EQ(digits.extension, QLatin1String(c.extension)) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, PhoneDigitsTable,
    testing::Values(
        // Singapore numbers keep their eight digits, however they are written.
        PhoneCase{"+65 6123 4567", "SG", "61234567", ""},
        PhoneCase{"+6591234567", "SG", "91234567", ""},
        PhoneCase{"6123-4567", "SG", "61234567", ""},
        PhoneCase{"(65) 6777 8888", "SG", "67778888", ""},
        PhoneCase{"001 65 6123 4567", "SG", "61234567", ""},
        PhoneCase{"tel:+65-6555-0101;ext=7", "SG", "65550101", "7"},
        PhoneCase{"+65 6345 6789 ext. 21", "SG", "63456789", "21"},
        PhoneCase{"6345 6789 x 21", "SG", "63456789", "21"},
        // Elsewhere: country code and national significant number, the trunk zero dropped.
        PhoneCase{"+60 3-2161 1234", "SG", "60321611234", ""},
        PhoneCase{"+49 (0)30 1234567", "SG", "49301234567", ""},
        PhoneCase{"030 1234567", "DE", "49301234567", ""},
        PhoneCase{"+39 06 1234 5678", "SG", "390612345678", ""},
        // What libphonenumber cannot read keeps its digits; no digits, nothing.
        PhoneCase{"call reception, dial 5", "SG", "5", ""}, PhoneCase{"n/a", "SG", "", ""},
        PhoneCase{"", "SG", "", ""}, PhoneCase{"   ", "SG", "", ""}));

TEST(PhoneDigits, AnUnknownRegionFallsBackToReadingTheDigits) {
    EXPECT_EQ(ToPhoneDigits(QStringLiteral("6123 4567"), QStringLiteral("ZZ")).number,
              QStringLiteral("61234567"));
    EXPECT_EQ(ToPhoneDigits(QStringLiteral("+65 6123 4567"), QStringLiteral("ZZ")).number,
              QStringLiteral("61234567"));
}
