#pragma once
// The one-line location description of a project: the pieces the land lots and addresses pages
// add per record, and the clean-up every summary gets at the end. Plain text work, no widgets,
// so the project page and the member pages can share it.

#include <QString>

namespace kestrel {

// Removes every comma and space at the start and at the end ("  , A, B , ," -> "A, B").
// Other white space is kept: only what the summaries themselves add is stripped.
QString StripCommasAndSpaces(const QString& text);

// The value right-aligned in at least two characters, padded on the left with '0'. This works
// on text, not on numbers: "" -> "00", "5" -> "05", "A" -> "0A", "123" stays "123".
QString ZeroPad2(const QString& text);

// One lot of the land lots page, as the summary shows it: "MK17 Plot12 Lot3456 PT, ".
// The plot part only when there is a plot number; " PT" when the partial flag is "Y" (any case).
void AppendLotSummary(QString& summary, const QString& mukimTSCode, const QString& plotNo,
                      const QString& lotNo, const QString& partialFlag);

// The level/unit part of an address: "#05-12, " with both, "Unit 05-00, " with only a level,
// "Level 00-07, " with only a unit, "" with neither.
QString LevelUnitText(const QString& levelNo, const QString& unitNo);

// One address of the addresses page: house/block, road, the level/unit part, the building,
// "Singapore " + postal code, each followed by ", ". The house/block number and the road are
// always there, so a row without a house number starts with a space.
void AppendAddressSummary(QString& summary, const QString& buildingName,
                          const QString& houseBlockNo, const QString& levelNo,
                          const QString& unitNo, const QString& roadName,
                          const QString& postalCode);

} // namespace kestrel
