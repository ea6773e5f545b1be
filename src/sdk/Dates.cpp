#include "sdk/Dates.h"

namespace {

const QString kDateTimeFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss");

} // namespace

QString FormatDate(const QDateTime& value) {
    if (!value.isValid())
        return QString();
    return value.toString(kDateTimeFormat);
}

bool TryParseDate(const QString& text, QDateTime* value) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return false;

    QDateTime parsed = QDateTime::fromString(trimmed, Qt::ISODateWithMs);
    if (!parsed.isValid()) {
        QString withT = trimmed;
        if (withT.size() > 10 && withT[10] == u' ')
            withT[10] = u'T';
        parsed = QDateTime::fromString(withT, Qt::ISODateWithMs);
    }
    if (!parsed.isValid()) {
        const QDate date = QDate::fromString(trimmed, Qt::ISODate);
        if (date.isValid())
            parsed = QDateTime(date, QTime(0, 0));
    }
    if (!parsed.isValid())
        return false;
    if (parsed.timeSpec() != Qt::LocalTime)
        parsed = parsed.toLocalTime();
    if (value)
        *value = parsed;
    return true;
}

QDateTime ParseDate(const QString& text) {
    QDateTime value;
    if (TryParseDate(text, &value))
        return value;
    QDateTime now = QDateTime::currentDateTime();
    now.setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
    return now;
}
