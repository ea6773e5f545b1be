#include "contacts/ContactDocument.h"

#include "contacts/PhoneDigits.h"
#include "controls/ListSource.h"
#include "framework/AppServices.h"
#include "sdk/AppDB.h"

#include <QRegularExpression>

namespace kestrel {
namespace {

enum AdrPart { PoBox = 0, Extended, Street, Locality, Region, PostalCode, Country, kAdrParts };

const QString kSingaporeName = QStringLiteral("Singapore");

QString part(const QStringList& adr, int index) {
    return index < adr.size() ? adr.at(index).trimmed() : QString();
}

QStringList linesOf(const QString& text) {
    QStringList lines;
    for (const QString& line : text.split(QLatin1Char('\n')))
        if (!line.trimmed().isEmpty())
            lines.append(line.simplified());
    return lines;
}

// The parts of an address text as the formatted fields look at them: its lines, and the parts of
// each line between commas ("10 Anson Road, #20-05 International Plaza").
QStringList piecesOf(const QString& text) {
    QStringList pieces;
    for (const QString& line : text.split(QLatin1Char('\n')))
        for (const QString& piece : line.split(QLatin1Char(',')))
            if (!piece.trimmed().isEmpty())
                pieces.append(piece.simplified());
    return pieces;
}

QString trimSeparators(QString text) {
    static const QRegularExpression edges(QStringLiteral("^[\\s,;]+|[\\s,;]+$"));
    return text.remove(edges);
}

// Road words as people shorten them, and as the road table spells them.
QString expandRoadAbbreviations(const QString& road) {
    static const struct {
        const char* shortForm;
        const char* longForm;
    } kWords[] = {
        {"AVE", "AVENUE"},    {"RD", "ROAD"},      {"ST", "STREET"},   {"DR", "DRIVE"},
        {"CRES", "CRESCENT"}, {"CTRL", "CENTRAL"}, {"PL", "PLACE"},    {"CL", "CLOSE"},
        {"LOR", "LORONG"},    {"JLN", "JALAN"},    {"BT", "BUKIT"},    {"UPP", "UPPER"},
        {"TG", "TANJONG"},    {"NTH", "NORTH"},    {"STH", "SOUTH"},   {"GDNS", "GARDENS"},
        {"HTS", "HEIGHTS"},   {"PK", "PARK"},      {"TER", "TERRACE"}, {"LN", "LANE"}};
    QStringList words = road.toUpper().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (QString& word : words) {
        QString bare = word;
        if (bare.endsWith(QLatin1Char('.')))
            bare.chop(1);
        for (const auto& entry : kWords)
            if (bare == QLatin1String(entry.shortForm))
                word = QString::fromLatin1(entry.longForm);
    }
    return words.join(QLatin1Char(' '));
}

QString knownRoad(const QString& text, const ContactLookups& lookups) {
    if (!lookups.roadName || text.isEmpty())
        return QString();
    QString road = lookups.roadName(text);
    if (road.isEmpty()) {
        const QString expanded = expandRoadAbbreviations(text);
        if (expanded.compare(text, Qt::CaseInsensitive) != 0)
            road = lookups.roadName(expanded);
    }
    return road;
}

bool isSingapore(const QString& country, const ContactLookups& lookups) {
    // "Republic of Singapore", "SINGAPORE 238824" and the like count too.
    if (country.contains(kSingaporeName, Qt::CaseInsensitive) ||
        country.compare(QLatin1String("SG"), Qt::CaseInsensitive) == 0)
        return true;
    return lookups.countryName &&
           lookups.countryName(country).compare(kSingaporeName, Qt::CaseInsensitive) == 0;
}

// The unit "#05-12" (level 05, unit 12), also written "# 05 - 12".
const QRegularExpression& unitPattern() {
    static const QRegularExpression pattern(
        QStringLiteral("#\\s*([A-Za-z0-9]{1,3})\\s*-\\s*([A-Za-z0-9]{1,10})"));
    return pattern;
}

// "Blk 123A Ang Mo Kio Avenue 3", "Block 5 ...", "10 Anson Road".
const QRegularExpression& blockPattern() {
    static const QRegularExpression pattern(
        QStringLiteral("^(?:(?:blk|block)\\.?\\s*)?(\\d{1,5}[A-Za-z]?)\\s+(.+)$"),
        QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

// "Singapore 079903" or a bare six-digit code written into a line.
const QRegularExpression& postalInLine() {
    static const QRegularExpression pattern(
        QStringLiteral(
            "(?:,?\\s*(?:singapore|s'pore|s\\.)\\s*\\(?(\\d{6})\\)?)|(?:\\b(\\d{6})\\b)"),
        QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

QString sixDigits(const QString& text) {
    QString compact = text;
    compact.remove(QLatin1Char(' '));
    static const QRegularExpression six(QStringLiteral("^\\d{6}$"));
    return six.match(compact).hasMatch() ? compact : QString();
}

struct TelephoneChoice {
    const VCardProperty* work = nullptr;
    const VCardProperty* other = nullptr;
    const VCardProperty* mobile = nullptr;
    const VCardProperty* fax = nullptr;
    const VCardProperty* pager = nullptr;
};

TelephoneChoice chooseTelephones(const VCard& card) {
    TelephoneChoice choice;
    for (const VCardProperty* tel : card.FindAll("TEL")) {
        if (tel->Text().trimmed().isEmpty())
            continue;
        const QStringList types = tel->Types();
        auto has = [&types](const char* type) { return types.contains(QLatin1String(type)); };
        const VCardProperty** slot = nullptr;
        if (has("fax"))
            slot = &choice.fax;
        else if (has("pager"))
            slot = &choice.pager;
        else if (has("cell") || has("mobile") || has("iphone"))
            slot = &choice.mobile;
        else if (has("work"))
            slot = &choice.work;
        else
            slot = &choice.other;
        if (!*slot)
            *slot = tel;
    }
    return choice;
}

const VCardProperty* chooseAddress(const VCard& card) {
    const QList<const VCardProperty*> addresses = card.FindAll("ADR");
    for (const char* type : {"work", "pref"})
        for (const VCardProperty* adr : addresses)
            if (adr->HasType(type) ||
                (QLatin1String(type) == QLatin1String("pref") && !adr->Param("PREF").isEmpty()))
                return adr;
    return addresses.isEmpty() ? nullptr : addresses.constFirst();
}

} // namespace

ContactLookups ContactLookups::Program() {
    ContactLookups lookups;
    lookups.roadName = [](const QString& name) -> QString {
        if (CListSource* roads = GetRoadTable()) {
            const int row = roads->FindString(0, name);
            if (row >= 0 && CListSource::CompareText(roads->GetText(row), name) == 0)
                return roads->GetText(row);
            if (roads->IsSorted())
                return QString();
        }
        CAppDB* db = XKR_GetAppDB();
        const QString code = db ? db->GetRoadCode(name) : QString();
        return code.isEmpty() ? QString() : db->GetRoadDescription(code);
    };
    lookups.countryCode = [](const QString& name) -> QString {
        CAppDB* db = XKR_GetAppDB();
        if (!db || name.isEmpty())
            return QString();
        if (name.size() == 2 && !db->GetCountryDescription(name.toUpper()).isEmpty())
            return name.toUpper();
        return db->GetCountryCode(name);
    };
    lookups.countryName = [code = lookups.countryCode](const QString& name) -> QString {
        CAppDB* db = XKR_GetAppDB();
        const QString iso = code(name);
        return db && !iso.isEmpty() ? db->GetCountryDescription(iso) : QString();
    };
    return lookups;
}

QStringList UnformattedLines(const QStringList& adr) {
    QStringList lines;
    if (!part(adr, PoBox).isEmpty())
        lines.append(part(adr, PoBox));
    lines.append(linesOf(part(adr, Extended)));
    lines.append(linesOf(part(adr, Street)));
    QStringList place;
    for (int index : {Locality, Region, PostalCode})
        if (!part(adr, index).isEmpty())
            place.append(part(adr, index).simplified());
    if (!place.isEmpty())
        lines.append(place.join(QLatin1Char(' ')));
    if (!part(adr, Country).isEmpty())
        lines.append(part(adr, Country).simplified());
    // Four lines are all the form has: what does not fit joins the last.
    while (lines.size() > 4) {
        const QString last = lines.takeLast();
        lines.last() += QStringLiteral(", ") + last;
    }
    return lines;
}

bool SplitLocalAddress(const QStringList& adr, const ContactLookups& lookups, LocalAddress& out) {
    out = LocalAddress();
    const QString country = part(adr, Country);
    QString postal = sixDigits(part(adr, PostalCode));

    QStringList extended = piecesOf(part(adr, Extended));
    QStringList street = piecesOf(part(adr, Street));
    // A postal code written into a line ("..., Singapore 079903") comes out of it.
    for (QStringList* lines : {&extended, &street})
        for (QString& line : *lines) {
            const QRegularExpressionMatch match = postalInLine().match(line);
            if (match.hasMatch()) {
                if (postal.isEmpty())
                    postal = match.captured(1).isEmpty() ? match.captured(2) : match.captured(1);
                line = trimSeparators(line.remove(match.capturedStart(), match.capturedLength()));
            }
        }
    if (postal.isEmpty())
        for (int index : {Locality, Region}) {
            const QRegularExpressionMatch match = postalInLine().match(part(adr, index));
            if (match.hasMatch() && postal.isEmpty())
                postal = match.captured(1).isEmpty() ? match.captured(2) : match.captured(1);
        }

    const bool singapore = country.isEmpty()
                               ? (!postal.isEmpty() || isSingapore(part(adr, Locality), lookups))
                               : isSingapore(country, lookups);
    if (!singapore)
        return false;
    out.postalCode = postal;

    // The unit, wherever it is written; what stands beside it may be the building's name.
    for (QStringList* lines : {&extended, &street})
        for (QString& line : *lines) {
            const QRegularExpressionMatch match = unitPattern().match(line);
            if (!match.hasMatch())
                continue;
            if (out.levelNo.isEmpty()) {
                out.levelNo = match.captured(1).toUpper();
                out.unitNo = match.captured(2).toUpper();
            }
            line = trimSeparators(line.remove(match.capturedStart(), match.capturedLength()));
        }

    // The block and road: the first street line that reads as "[Blk] number road".
    for (QString& line : street) {
        const QRegularExpressionMatch match = blockPattern().match(line);
        if (match.hasMatch()) {
            out.houseBlockNo = match.captured(1).toUpper();
            out.roadName = knownRoad(trimSeparators(match.captured(2)), lookups);
            line.clear();
            break;
        }
        const QString road = knownRoad(line, lookups);
        if (!road.isEmpty()) {
            out.roadName = road;
            line.clear();
            break;
        }
    }
    for (const QStringList* lines : {&extended, &street})
        for (const QString& line : *lines)
            if (out.buildingName.isEmpty() && !trimSeparators(line).isEmpty())
                out.buildingName = trimSeparators(line);
    return true;
}

XmlDocPtr BuildContactDocument(const VCard& card, const ContactLookups& lookups) {
    XmlDocPtr doc = CreateXMLDoc();
    pugi::xml_node root = AddXMLLeafNode(*doc, *doc, QStringLiteral("krroot"), QString());
    pugi::xml_node members = AddXMLLeafNode(*doc, root, QStringLiteral("members"), QString());
    pugi::xml_node member = AddXMLLeafNode(*doc, members, QStringLiteral("member"), QString());
    auto leaf = [&](const char* name, const QString& text) {
        if (!text.isEmpty())
            AddXMLLeafNode(*doc, member, QString::fromLatin1(name), text);
    };

    leaf("member_name", card.DisplayName());

    const VCardProperty* adr = chooseAddress(card);
    const QStringList adrParts = adr ? adr->Components() : QStringList();
    const QString adrCountry = part(adrParts, Country);
    if (!adrCountry.isEmpty()) {
        QString known = lookups.countryName ? lookups.countryName(adrCountry) : QString();
        if (known.isEmpty() && isSingapore(adrCountry, lookups))
            known = kSingaporeName;
        leaf("country", known.isEmpty() ? adrCountry.simplified() : known);
    }
    if (const VCardProperty* title = card.Find("TITLE"))
        leaf("designation", title->Text().simplified());
    if (const VCardProperty* org = card.Find("ORG"))
        leaf("firm_name", org->Components().value(0).simplified());

    if (adr) {
        LocalAddress local;
        if (SplitLocalAddress(adrParts, lookups, local)) {
            leaf("road_name", local.roadName);
            leaf("building_name", local.buildingName);
            leaf("house_block_no", local.houseBlockNo);
            leaf("level_no", local.levelNo);
            leaf("unit_no", local.unitNo);
            leaf("postal_code", local.postalCode);
        }
        const QStringList lines = UnformattedLines(adrParts);
        for (int i = 0; i < lines.size(); ++i)
            leaf(("address" + std::to_string(i + 1)).c_str(), lines.at(i));
    }

    int emails = 0;
    for (const VCardProperty* email : card.FindAll("EMAIL")) {
        const QString text = email->Text().trimmed();
        if (text.isEmpty())
            continue;
        leaf(++emails == 1 ? "email_address1" : "email_address2", text);
        if (emails == 2)
            break;
    }

    // Numbers written without a country code belong to the address's country.
    QString region =
        lookups.countryCode && !adrCountry.isEmpty() ? lookups.countryCode(adrCountry) : QString();
    if (region.isEmpty())
        region = QStringLiteral("SG");
    const TelephoneChoice tels = chooseTelephones(card);
    auto digits = [&region](const VCardProperty* tel) {
        return tel ? ToPhoneDigits(tel->Text(), region) : PhoneDigits();
    };
    const PhoneDigits telephone = digits(tels.work ? tels.work : tels.other);
    leaf("tel_ext_no", telephone.extension);
    leaf("fax_no", digits(tels.fax).number);
    leaf("mobile_no", digits(tels.mobile).number);
    leaf("pager_no", digits(tels.pager).number);
    leaf("tel_no", telephone.number);
    return doc;
}

} // namespace kestrel
