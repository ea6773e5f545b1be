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

// Each "element=text" of the list holds in the document; "<missing>" for an element left out.
void expectElements(const Member& m, std::initializer_list<const char*> elements) {
    for (const char* entry : elements) {
        const QString element = QString::fromUtf8(entry).section(QLatin1Char('='), 0, 0);
        EXPECT_EQ(m[element.toLatin1().constData()],
                  QString::fromUtf8(entry).section(QLatin1Char('='), 1))
            << entry;
    }
}

} // namespace

// A card has no identity: the page reads the two as empty. "Ave" is the road table's "AVENUE";
// the unit gives level and unit; the first two of three e-mails are taken.
TEST(ContactDocument, GoogleCardFillsEveryMappedElement) {
    expectElements(documentOf("google-3.0.vcf", "Tan Mei Ling"),
                   {"member_name=Tan Mei Ling",
                    "country=Singapore",
                    "designation=Senior Architect",
                    "firm_name=Tan & Lim Architects, LLP",
                    "ic_flag=<missing>",
                    "ic_passport_no=<missing>",
                    "road_name=ANG MO KIO AVENUE 3",
                    "building_name=<missing>",
                    "house_block_no=123",
                    "level_no=05",
                    "unit_no=12",
                    "postal_code=560123",
                    "address1=Blk 123 Ang Mo Kio Ave 3",
                    "address2=#05-12",
                    "address3=Singapore 560123",
                    "address4=Singapore",
                    "email_address1=meiling.tan@example-arch.sg",
                    "email_address2=meiling.home@example.net",
                    "tel_ext_no=<missing>",
                    "fax_no=61234568",
                    "mobile_no=91234567",
                    "pager_no=<missing>",
                    "tel_no=61234567"});
}

// Five lines of address in four fields: the last two share one. A single e-mail leaves the
// second out.
TEST(ContactDocument, AppleCardWithBuildingUnitExtensionAndPager) {
    expectElements(
        documentOf("apple-3.0.vcf", "Goh Kok Wei"),
        {"firm_name=Goh Surveyors",
         "designation=Registered Surveyor and Head of the Land Surveying Department of the Firm in "
         "Singapore",
         "building_name=Orchard Tower", "house_block_no=1", "road_name=ORCHARD ROAD", "level_no=10",
         "unit_no=01", "postal_code=238824", "address1=Orchard Tower", "address2=1 Orchard Road",
         "address3=#10-01", "address4=Singapore 238824, Singapore",
         "email_address1=kw.goh@example-survey.sg", "email_address2=<missing>", "tel_no=63456789",
         "tel_ext_no=21", "mobile_no=98765432", "pager_no=94001234", "fax_no=<missing>"});
}

TEST(ContactDocument, PhoneCardInQuotedPrintable) {
    expectElements(documentOf("phone-2.1.vcf", "Chlo\u00e9 L\u00e9ong \u674e\u660e"),
                   {"member_name=Chlo\u00e9 L\u00e9ong \u674e\u660e", "firm_name=L\u00e9ong Design",
                    "house_block_no=20", "road_name=ADAM ROAD", "postal_code=289886",
                    "mobile_no=81234567", "tel_no=62223333", "fax_no=62223334",
                    "email_address1=chloe.leong@example-design.sg"});
}

TEST(ContactDocument, AnAddressAbroadHasOnlyItsLinesAndItsCountrysNumbers) {
    expectElements(documentOf("phone-2.1.vcf", "J\u00fcrgen M\u00fcller"),
                   {"country=Germany", "road_name=<missing>", "building_name=<missing>",
                    "house_block_no=<missing>", "level_no=<missing>", "unit_no=<missing>",
                    "postal_code=<missing>", "address1=Hauptstra\u00dfe 5", "address2=Berlin 10115",
                    "address3=Germany", "tel_no=49301234567"});
}

// Anson Road is not in this road table: no road, the rest all the same.
TEST(ContactDocument, Version4CardWithUriNumbersAndAnUnknownRoad) {
    expectElements(documentOf("nextcloud-4.0.vcf", "Priya Nair"),
                   {"country=Singapore", "tel_no=65550101", "tel_ext_no=7", "mobile_no=85550102",
                    "fax_no=65550103", "house_block_no=10", "road_name=<missing>", "level_no=20",
                    "unit_no=05", "building_name=International Plaza", "postal_code=079903",
                    "address1=10 Anson Road, #20-05 International Plaza", "address2=079903",
                    "address3=SG"});
}

TEST(ContactDocument, OfficeCardWithWorkFaxPagerAndALongCountryName) {
    expectElements(documentOf("office-2.1.vcf", "Lim Boon Huat"),
                   {"country=Singapore", "designation=Project Manager", "tel_no=67778888",
                    "mobile_no=97778888", "fax_no=67778889", "pager_no=91112222",
                    "house_block_no=5A", "road_name=ADAM CLOSE", "postal_code=289887",
                    "email_address1=boonhuat@example-build.sg"});
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
    for (const auto& [element, value] : {std::pair{"tel_no", GetParam().tel},
                                         {"mobile_no", GetParam().mobile},
                                         {"fax_no", GetParam().fax},
                                         {"pager_no", GetParam().pager}})
        EXPECT_EQ(m[element], QLatin1String(value ? value : kMissing)) << element;
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
