// The contact document made from a card: every element the member page reads, from cards as
// exporters write them.
#include "contacts/ContactDocument.h"

#include "contacts/AddressBook.h"

#include "QStringPrinter.h"

#include <QHash>

#include <gtest/gtest.h>

using namespace kestrel;

namespace {

QString dataPath(const char* name) {
    return QStringLiteral(KESTREL_TEST_DATA_DIR "/contacts/") + QLatin1String(name);
}

// A road table and country list of our own, so the mapping is tested apart from the database.
ContactLookups testLookups() {
    ContactLookups lookups;
    lookups.roadName = [](const QString& name) {
        for (const char* road : {"ADAM CLOSE", "ADAM ROAD", "ANG MO KIO AVENUE 3", "ORCHARD ROAD"})
            if (name.compare(QLatin1String(road), Qt::CaseInsensitive) == 0)
                return QString::fromLatin1(road);
        return QString();
    };
    static const QHash<QString, QString> codes{
        {"singapore", "SG"}, {"germany", "DE"}, {"malaysia", "MY"}};
    static const QHash<QString, QString> names{
        {"SG", "Singapore"}, {"DE", "Germany"}, {"MY", "Malaysia"}};
    lookups.countryCode = [](const QString& name) {
        return names.contains(name.toUpper()) ? name.toUpper() : codes.value(name.toLower());
    };
    lookups.countryName = [code = lookups.countryCode](const QString& name) {
        return names.value(code(name));
    };
    return lookups;
}

const VCard& cardNamed(const AddressBook& book, const QString& name) {
    for (const Contact& contact : book.contacts)
        if (contact.name == name)
            return contact.card;
    ADD_FAILURE() << "no card " << name.toStdString();
    static const VCard none;
    return none;
}

// The member elements of a document, as the member page reads them.
struct Member {
    XmlDocPtr doc;
    QString operator[](const char* element) const {
        return GetNodeTextXPath(*doc, *doc,
                                QStringLiteral("/krroot/members/member/") + QLatin1String(element),
                                QStringLiteral("<missing>"));
    }
};

Member documentOf(const char* file, const char* name) {
    const AddressBook book = LoadAddressBook(dataPath(file));
    return Member{BuildContactDocument(cardNamed(book, QString::fromUtf8(name)), testLookups())};
}

const char* const kMissing = "<missing>";

} // namespace

TEST(ContactDocument, GoogleCardFillsEveryMappedElement) {
    const Member m = documentOf("google-3.0.vcf", "Tan Mei Ling");
    EXPECT_EQ(m["member_name"], QStringLiteral("Tan Mei Ling"));
    EXPECT_EQ(m["country"], QStringLiteral("Singapore"));
    EXPECT_EQ(m["designation"], QStringLiteral("Senior Architect"));
    EXPECT_EQ(m["firm_name"], QStringLiteral("Tan & Lim Architects, LLP"));
    // A card has no identity: the page reads the two as empty.
    EXPECT_EQ(m["ic_flag"], QLatin1String(kMissing));
    EXPECT_EQ(m["ic_passport_no"], QLatin1String(kMissing));
    // "Ave" is the road table's "AVENUE"; the unit gives level and unit.
    EXPECT_EQ(m["road_name"], QStringLiteral("ANG MO KIO AVENUE 3"));
    EXPECT_EQ(m["building_name"], QLatin1String(kMissing));
    EXPECT_EQ(m["house_block_no"], QStringLiteral("123"));
    EXPECT_EQ(m["level_no"], QStringLiteral("05"));
    EXPECT_EQ(m["unit_no"], QStringLiteral("12"));
    EXPECT_EQ(m["postal_code"], QStringLiteral("560123"));
    EXPECT_EQ(m["address1"], QStringLiteral("Blk 123 Ang Mo Kio Ave 3"));
    EXPECT_EQ(m["address2"], QStringLiteral("#05-12"));
    EXPECT_EQ(m["address3"], QStringLiteral("Singapore 560123"));
    EXPECT_EQ(m["address4"], QStringLiteral("Singapore"));
    // The first two of three e-mails.
    EXPECT_EQ(m["email_address1"], QStringLiteral("meiling.tan@example-arch.sg"));
    EXPECT_EQ(m["email_address2"], QStringLiteral("meiling.home@example.net"));
    EXPECT_EQ(m["tel_ext_no"], QLatin1String(kMissing));
    EXPECT_EQ(m["fax_no"], QStringLiteral("61234568"));
    EXPECT_EQ(m["mobile_no"], QStringLiteral("91234567"));
    EXPECT_EQ(m["pager_no"], QLatin1String(kMissing));
    EXPECT_EQ(m["tel_no"], QStringLiteral("61234567"));
}

TEST(ContactDocument, AppleCardWithBuildingUnitExtensionAndPager) {
    const Member m = documentOf("apple-3.0.vcf", "Goh Kok Wei");
    EXPECT_EQ(m["firm_name"], QStringLiteral("Goh Surveyors"));
    EXPECT_EQ(m["designation"],
              QStringLiteral("Registered Surveyor and Head of the Land Surveying Department of "
                             "the Firm in Singapore"));
    EXPECT_EQ(m["building_name"], QStringLiteral("Orchard Tower"));
    EXPECT_EQ(m["house_block_no"], QStringLiteral("1"));
    EXPECT_EQ(m["road_name"], QStringLiteral("ORCHARD ROAD"));
    EXPECT_EQ(m["level_no"], QStringLiteral("10"));
    EXPECT_EQ(m["unit_no"], QStringLiteral("01"));
    EXPECT_EQ(m["postal_code"], QStringLiteral("238824"));
    // Five lines of address in four fields: the last two share one.
    EXPECT_EQ(m["address1"], QStringLiteral("Orchard Tower"));
    EXPECT_EQ(m["address2"], QStringLiteral("1 Orchard Road"));
    EXPECT_EQ(m["address3"], QStringLiteral("#10-01"));
    EXPECT_EQ(m["address4"], QStringLiteral("Singapore 238824, Singapore"));
    EXPECT_EQ(m["email_address1"], QStringLiteral("kw.goh@example-survey.sg"));
    // A single e-mail leaves the second out.
    EXPECT_EQ(m["email_address2"], QLatin1String(kMissing));
    EXPECT_EQ(m["tel_no"], QStringLiteral("63456789"));
    EXPECT_EQ(m["tel_ext_no"], QStringLiteral("21"));
    EXPECT_EQ(m["mobile_no"], QStringLiteral("98765432"));
    EXPECT_EQ(m["pager_no"], QStringLiteral("94001234"));
    EXPECT_EQ(m["fax_no"], QLatin1String(kMissing));
}

TEST(ContactDocument, PhoneCardInQuotedPrintable) {
    const Member m = documentOf("phone-2.1.vcf", "Chlo\u00e9 L\u00e9ong \u674e\u660e");
    EXPECT_EQ(m["member_name"], QStringLiteral("Chlo\u00e9 L\u00e9ong \u674e\u660e"));
    EXPECT_EQ(m["firm_name"], QStringLiteral("L\u00e9ong Design"));
    EXPECT_EQ(m["house_block_no"], QStringLiteral("20"));
    EXPECT_EQ(m["road_name"], QStringLiteral("ADAM ROAD"));
    EXPECT_EQ(m["postal_code"], QStringLiteral("289886"));
    EXPECT_EQ(m["mobile_no"], QStringLiteral("81234567"));
    EXPECT_EQ(m["tel_no"], QStringLiteral("62223333"));
    EXPECT_EQ(m["fax_no"], QStringLiteral("62223334"));
    EXPECT_EQ(m["email_address1"], QStringLiteral("chloe.leong@example-design.sg"));
}

TEST(ContactDocument, AnAddressAbroadHasOnlyItsLinesAndItsCountrysNumbers) {
    const Member m = documentOf("phone-2.1.vcf", "J\u00fcrgen M\u00fcller");
    EXPECT_EQ(m["country"], QStringLiteral("Germany"));
    for (const char* formatted :
         {"road_name", "building_name", "house_block_no", "level_no", "unit_no", "postal_code"})
        EXPECT_EQ(m[formatted], QLatin1String(kMissing)) << formatted;
    EXPECT_EQ(m["address1"], QStringLiteral("Hauptstra\u00dfe 5"));
    EXPECT_EQ(m["address2"], QStringLiteral("Berlin 10115"));
    EXPECT_EQ(m["address3"], QStringLiteral("Germany"));
    EXPECT_EQ(m["tel_no"], QStringLiteral("49301234567"));
}

TEST(ContactDocument, Version4CardWithUriNumbersAndAnUnknownRoad) {
    const Member m = documentOf("nextcloud-4.0.vcf", "Priya Nair");
    EXPECT_EQ(m["country"], QStringLiteral("Singapore"));
    EXPECT_EQ(m["tel_no"], QStringLiteral("65550101"));
    EXPECT_EQ(m["tel_ext_no"], QStringLiteral("7"));
    EXPECT_EQ(m["mobile_no"], QStringLiteral("85550102"));
    EXPECT_EQ(m["fax_no"], QStringLiteral("65550103"));
    EXPECT_EQ(m["house_block_no"], QStringLiteral("10"));
    // Anson Road is not in this road table: no road, the rest all the same.
    EXPECT_EQ(m["road_name"], QLatin1String(kMissing));
    EXPECT_EQ(m["level_no"], QStringLiteral("20"));
    EXPECT_EQ(m["unit_no"], QStringLiteral("05"));
    EXPECT_EQ(m["building_name"], QStringLiteral("International Plaza"));
    EXPECT_EQ(m["postal_code"], QStringLiteral("079903"));
    EXPECT_EQ(m["address1"], QStringLiteral("10 Anson Road, #20-05 International Plaza"));
    EXPECT_EQ(m["address2"], QStringLiteral("079903"));
    EXPECT_EQ(m["address3"], QStringLiteral("SG"));
}

TEST(ContactDocument, OfficeCardWithWorkFaxPagerAndALongCountryName) {
    const Member m = documentOf("office-2.1.vcf", "Lim Boon Huat");
    EXPECT_EQ(m["country"], QStringLiteral("Singapore"));
    EXPECT_EQ(m["designation"], QStringLiteral("Project Manager"));
    EXPECT_EQ(m["tel_no"], QStringLiteral("67778888"));
    EXPECT_EQ(m["mobile_no"], QStringLiteral("97778888"));
    EXPECT_EQ(m["fax_no"], QStringLiteral("67778889"));
    EXPECT_EQ(m["pager_no"], QStringLiteral("91112222"));
    EXPECT_EQ(m["house_block_no"], QStringLiteral("5A"));
    EXPECT_EQ(m["road_name"], QStringLiteral("ADAM CLOSE"));
    EXPECT_EQ(m["postal_code"], QStringLiteral("289887"));
    EXPECT_EQ(m["email_address1"], QStringLiteral("boonhuat@example-build.sg"));
}

TEST(ContactDocument, ACardWithOnlyANameHasOnlyTheName) {
    VCard card;
    VCardProperty fn;
    fn.name = QStringLiteral("FN");
    fn.value = QStringLiteral("Just A Name");
    card.properties.append(fn);
    const Member m{BuildContactDocument(card, testLookups())};
    EXPECT_EQ(m["member_name"], QStringLiteral("Just A Name"));
    pugi::xml_node member = m.doc->child("krroot").child("members").child("member");
    EXPECT_EQ(std::distance(member.begin(), member.end()), 1);
}

struct TelCase {
    const char* lines;
    const char* tel;
    const char* mobile;
    const char* fax;
    const char* pager;
};

class TelephoneTypes : public testing::TestWithParam<TelCase> {};

TEST_P(TelephoneTypes, EachNumberGoesWhereItsTypeSays) {
    const std::string text = std::string("BEGIN:VCARD\nFN:A\n") + GetParam().lines + "END:VCARD\n";
    const VCardFileContents contents =
        ParseVCards(QByteArrayView(text.data(), qsizetype(text.size())));
    ASSERT_EQ(contents.cards.size(), 1);
    const Member m{BuildContactDocument(contents.cards.constFirst(), testLookups())};
    auto expect = [&m](const char* element, const char* value) {
        EXPECT_EQ(m[element], QLatin1String(value ? value : kMissing)) << element;
    };
    expect("tel_no", GetParam().tel);
    expect("mobile_no", GetParam().mobile);
    expect("fax_no", GetParam().fax);
    expect("pager_no", GetParam().pager);
}

INSTANTIATE_TEST_SUITE_P(
    Types, TelephoneTypes,
    testing::Values(
        TelCase{"TEL;TYPE=CELL:91111111\n", nullptr, "91111111", nullptr, nullptr},
        TelCase{"TEL;TYPE=cell,voice:91111111\n", nullptr, "91111111", nullptr, nullptr},
        TelCase{"TEL;type=WORK:61111111\n", "61111111", nullptr, nullptr, nullptr},
        TelCase{"TEL;VOICE:61111111\n", "61111111", nullptr, nullptr, nullptr},
        TelCase{"TEL:61111111\n", "61111111", nullptr, nullptr, nullptr},
        TelCase{"TEL;WORK;FAX:61111112\n", nullptr, nullptr, "61111112", nullptr},
        TelCase{"TEL;TYPE=pager:92222222\n", nullptr, nullptr, nullptr, "92222222"},
        TelCase{"TEL;TYPE=IPHONE:93333333\n", nullptr, "93333333", nullptr, nullptr},
        // A work number is the telephone even after a home number; the first of a kind wins.
        TelCase{"TEL;TYPE=HOME:64444444\nTEL;TYPE=WORK:65555555\nTEL;TYPE=WORK:66666666\n",
                "65555555", nullptr, nullptr, nullptr},
        TelCase{"TEL;TYPE=CELL:91111111\nTEL;TYPE=CELL:92222222\n", nullptr, "91111111", nullptr,
                nullptr}));

TEST(LocalAddress, TheFormattedFieldsOfASingaporeAddress) {
    const ContactLookups lookups = testLookups();
    LocalAddress a;
    ASSERT_TRUE(SplitLocalAddress(
        {"", "", "Block 5A Adam Close #03-07, Adam Court", "", "", "289887", ""}, lookups, a));
    EXPECT_EQ(a.houseBlockNo, QStringLiteral("5A"));
    EXPECT_EQ(a.roadName, QStringLiteral("ADAM CLOSE"));
    EXPECT_EQ(a.levelNo, QStringLiteral("03"));
    EXPECT_EQ(a.unitNo, QStringLiteral("07"));
    EXPECT_EQ(a.buildingName, QStringLiteral("Adam Court"));
    EXPECT_EQ(a.postalCode, QStringLiteral("289887"));

    // Everything in the street, the postal code written in with the city.
    ASSERT_TRUE(SplitLocalAddress({"", "", "1 Orchard Road, Singapore 238824", "", "", "", ""},
                                  lookups, a));
    EXPECT_EQ(a.roadName, QStringLiteral("ORCHARD ROAD"));
    EXPECT_EQ(a.houseBlockNo, QStringLiteral("1"));
    EXPECT_EQ(a.postalCode, QStringLiteral("238824"));
    EXPECT_TRUE(a.buildingName.isEmpty());

    // A road without a number.
    ASSERT_TRUE(SplitLocalAddress({"", "", "Orchard Road", "Singapore", "", "", "SG"}, lookups, a));
    EXPECT_EQ(a.roadName, QStringLiteral("ORCHARD ROAD"));
    EXPECT_TRUE(a.houseBlockNo.isEmpty());
    EXPECT_TRUE(a.postalCode.isEmpty());
}

TEST(LocalAddress, AnAddressElsewhereIsNotSplit) {
    const ContactLookups lookups = testLookups();
    LocalAddress a;
    EXPECT_FALSE(SplitLocalAddress(
        {"", "", "1 Jalan Ampang", "Kuala Lumpur", "", "50450", "Malaysia"}, lookups, a));
    EXPECT_FALSE(
        SplitLocalAddress({"", "", "1 High Street", "Oxford", "", "OX1 4AA", ""}, lookups, a));
    EXPECT_TRUE(a.roadName.isEmpty());
}

TEST(UnformattedLines, EnvelopeOrderInAtMostFourLines) {
    EXPECT_EQ(
        UnformattedLines(
            {"PO Box 12", "Tower B", "1 Road\n2nd line", "Town", "Region", "12345", "Country"}),
        QStringList({"PO Box 12", "Tower B", "1 Road", "2nd line, Town Region 12345, Country"}));
    EXPECT_EQ(UnformattedLines({"", "", "1 Road", "", "", "", ""}), QStringList({"1 Road"}));
    EXPECT_TRUE(UnformattedLines({}).isEmpty());
}

TEST(ProgramLookups, TheLookupDatabaseKnowsRoadsAndCountries) {
    // No road table is registered here: the lookup database answers.
    const ContactLookups lookups = ContactLookups::Program();
    EXPECT_EQ(lookups.roadName(QStringLiteral("ang mo kio avenue 3")),
              QStringLiteral("ANG MO KIO AVENUE 3"));
    EXPECT_TRUE(lookups.roadName(QStringLiteral("Nowhere Lane")).isEmpty());
    EXPECT_EQ(lookups.countryName(QStringLiteral("SG")), QStringLiteral("Singapore"));
    EXPECT_EQ(lookups.countryName(QStringLiteral("singapore")), QStringLiteral("Singapore"));
    EXPECT_EQ(lookups.countryCode(QStringLiteral("Germany")), QStringLiteral("DE"));
    EXPECT_TRUE(lookups.countryName(QStringLiteral("Atlantis")).isEmpty());
}
