#include "contacts/PhoneDigits.h"

#include <phonenumbers/logger.h>
#include <phonenumbers/phonenumber.pb.h>
#include <phonenumbers/phonenumberutil.h>

#include <mutex>
#include <string>

namespace kestrel {
namespace {

constexpr int kSingaporeCountryCode = 65;

QString digitsOf(const QString& text) {
    QString digits;
    for (QChar c : text)
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits.append(c);
    return digits;
}

i18n::phonenumbers::PhoneNumberUtil& phoneUtil() {
    static std::once_flag quiet;
    auto* util = i18n::phonenumbers::PhoneNumberUtil::GetInstance();
    // The library reports every text it cannot read on standard output; a contact's odd number
    // is not worth a line there.
    std::call_once(quiet, [util] { util->SetLogger(new i18n::phonenumbers::NullLogger()); });
    return *util;
}

} // namespace

PhoneDigits ToPhoneDigits(const QString& text, const QString& defaultRegion) {
    PhoneDigits result;
    if (text.trimmed().isEmpty())
        return result;
    auto& util = phoneUtil();
    i18n::phonenumbers::PhoneNumber number;
    const std::string region =
        defaultRegion.isEmpty() ? std::string("SG") : defaultRegion.toUpper().toStdString();
    const auto error = util.Parse(text.toStdString(), region, &number);
    if (error != i18n::phonenumbers::PhoneNumberUtil::NO_PARSING_ERROR) {
        result.number = digitsOf(text);
        return result;
    }
    std::string national;
    util.GetNationalSignificantNumber(number, &national);
    result.number = QString::fromStdString(national);
    if (number.country_code() != kSingaporeCountryCode)
        result.number.prepend(QString::number(number.country_code()));
    if (number.has_extension())
        result.extension = digitsOf(QString::fromStdString(number.extension()));
    return result;
}

} // namespace kestrel
