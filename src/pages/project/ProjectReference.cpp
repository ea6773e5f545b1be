#include "pages/project/ProjectReference.h"

#include "pages/LocationText.h"

#include <limits>

namespace kestrel {

namespace {

// The integer a C "atoi" would read from the text; clamped instead of overflowing, since a
// loaded file may hold any serial text at all.
qint64 LeadingInteger(const QString& text) {
    qsizetype pos = 0;
    while (pos < text.size() &&
           (text[pos] == QLatin1Char(' ') || text[pos] == QLatin1Char('\t') ||
            text[pos] == QLatin1Char('\n') || text[pos] == QLatin1Char('\r') ||
            text[pos] == QLatin1Char('\v') || text[pos] == QLatin1Char('\f'))) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == QLatin1Char('+') || text[pos] == QLatin1Char('-'))) {
        negative = text[pos] == QLatin1Char('-');
        ++pos;
    }
    constexpr qint64 limit = std::numeric_limits<int>::max();
    qint64 value = 0;
    for (; pos < text.size(); ++pos) {
        const QChar ch = text[pos];
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9')) {
            break;
        }
        value = qMin(limit + 1, value * 10 + (ch.unicode() - '0'));
    }
    return negative ? -value : qMin(value, limit);
}

} // namespace

QString FormatReferenceSerial(const QString& serialNo) {
    if (serialNo.isEmpty()) {
        return QStringLiteral("00000");
    }
    const qint64 value = LeadingInteger(serialNo);
    // "%.5d": at least five digits, the sign in front of them.
    const QString digits = QString::number(value < 0 ? -value : value).rightJustified(5, '0');
    return value < 0 ? QLatin1Char('-') + digits : digits;
}

QString ComposeProjectReference(const QString& professionalNo, const QString& serialNo,
                                const QString& year) {
    return professionalNo + QLatin1Char('-') + FormatReferenceSerial(serialNo) + QLatin1Char('-') +
           year;
}

QString ComposeProjectReference(const ProjectReferenceParts& parts) {
    return ComposeProjectReference(parts.professionalNo, parts.serialNo, parts.year);
}

ProjectReferenceParts SplitProjectReference(const QString& reference) {
    // A "-" that is not there stands at -1, before the first character: every part after it
    // then starts at the beginning of the text.
    const qsizetype first = reference.indexOf(QLatin1Char('-'));
    const qsizetype second = reference.indexOf(QLatin1Char('-'), first + 1);
    ProjectReferenceParts parts;
    parts.professionalNo = first > 0 ? reference.left(first) : QString();
    if (first >= 0 && second > first) {
        parts.serialNo = reference.mid(first + 1, second - first - 1);
    }
    parts.year = reference.mid(second + 1);
    return parts;
}

QString JoinLocationSummaries(const QString& lots, const QString& addresses, const QString& roads) {
    QString location = lots;
    if (!addresses.isEmpty()) {
        location += QStringLiteral(", ") + addresses;
    }
    if (!roads.isEmpty()) {
        location += QStringLiteral(", ") + roads;
    }
    return StripCommasAndSpaces(location);
}

} // namespace kestrel
