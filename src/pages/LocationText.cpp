#include "pages/LocationText.h"

namespace kestrel {

namespace {

bool IsCommaOrSpace(QChar c) {
    return c == QLatin1Char(',') || c == QLatin1Char(' ');
}

} // namespace

QString StripCommasAndSpaces(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && IsCommaOrSpace(text.at(first)))
        ++first;
    while (last > first && IsCommaOrSpace(text.at(last - 1)))
        --last;
    return text.mid(first, last - first);
}

QString ZeroPad2(const QString& text) {
    return text.rightJustified(2, QLatin1Char('0'));
}

void AppendLotSummary(QString& summary, const QString& mukimTSCode, const QString& plotNo,
                      const QString& lotNo, const QString& partialFlag) {
    summary += mukimTSCode;
    if (!plotNo.isEmpty())
        summary += QStringLiteral(" Plot") + plotNo;
    summary += QStringLiteral(" Lot") + lotNo;
    if (partialFlag.compare(QLatin1String("Y"), Qt::CaseInsensitive) == 0)
        summary += QStringLiteral(" PT");
    summary += QStringLiteral(", ");
}

QString LevelUnitText(const QString& levelNo, const QString& unitNo) {
    const bool hasLevel = !levelNo.isEmpty();
    const bool hasUnit = !unitNo.isEmpty();
    // The wording for a lone level or a lone unit looks swapped, but it is what the registry's
    // readers have always been given; the numbers themselves are right either way.
    QString prefix;
    if (hasLevel && hasUnit)
        prefix = QStringLiteral("#");
    else if (hasLevel)
        prefix = QStringLiteral("Unit ");
    else if (hasUnit)
        prefix = QStringLiteral("Level ");
    else
        return QString();
    return prefix + ZeroPad2(levelNo) + QLatin1Char('-') + ZeroPad2(unitNo) + QStringLiteral(", ");
}

void AppendAddressSummary(QString& summary, const QString& buildingName,
                          const QString& houseBlockNo, const QString& levelNo,
                          const QString& unitNo, const QString& roadName,
                          const QString& postalCode) {
    summary += houseBlockNo + QLatin1Char(' ') + roadName + QStringLiteral(", ");
    summary += LevelUnitText(levelNo, unitNo);
    if (!buildingName.isEmpty())
        summary += buildingName + QStringLiteral(", ");
    if (!postalCode.isEmpty())
        summary += QStringLiteral("Singapore ") + postalCode;
    summary += QStringLiteral(", ");
}

} // namespace kestrel
