// The contact document made from a card: every element the member page reads, from cards as
// exporters write them.
#include "contacts/ContactDocument.h"

#include "contacts/AddressBook.h"

#include "QStringPrinter.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace kestrel;

namespace {

// Each "element=text" of the '|'-separated list holds in the member document of the card;
// "<missing>" for an element left out. Every other element is left out too when `only`. No road
// table is registered here, so the program's lookup database answers the lookups.
void expectElements(const VCard& card, const char* elements, bool only = false) {
    const XmlDocPtr doc = BuildContactDocument(card, ContactLookups::Program());
    const pugi::xml_node member = doc->child("krroot").child("members").child("member");
    const QStringList entries = QString::fromUtf8(elements).split(QLatin1Char('|'));
    for (const QString& entry : entries) {
        const QString element = entry.section(QLatin1Char('='), 0, 0);
        const pugi::xml_node node = member.child(element.toLatin1().constData());
        EXPECT_EQ(node ? GetNodeText(node) : QStringLiteral("<missing>"),
                  entry.section(QLatin1Char('='), 1))
            << entry.toStdString();
    }
    EXPECT_TRUE(!only || std::distance(member.begin(), member.end()) == entries.size()) << elements;
}

VCard cardOf(const std::string& lines) {
    const std::string text = "BEGIN:VCARD\nFN:A\n" + lines + "END:VCARD\n";
    const VCardFileContents contents =
        ParseVCards(QByteArrayView(text.data(), qsizetype(text.size())));
    EXPECT_EQ(contents.cards.size(), 1) << text;
    return contents.cards.value(0);
}

} // namespace

TEST(ContactDocument, CardsOfEveryExporterFillTheMappedElements) {
    const struct {
        const char* file;
        const char* name;
        const char* elements;
    } cases[] = {
        // A card has no identity: the page reads the two as empty. "Ave" is the road table's
        // "AVENUE"; the unit gives level and unit; the first two of three e-mails are taken.
        {"google-3.0.vcf", "Tan Mei Ling",
         "member_name=Tan Mei Ling|country=Singapore|designation=Senior Architect|"
         "firm_name=Tan & Lim Architects, LLP|ic_flag=<missing>|ic_passport_no=<missing>|"
         "road_name=ANG MO KIO AVENUE 3|building_name=<missing>|house_block_no=123|level_no=05|"
         "unit_no=12|postal_code=560123|address1=Blk 123 Ang Mo Kio Ave 3|address2=#05-12|"
         "address3=Singapore 560123|address4=Singapore|"
         "email_address1=meiling.tan@example-arch.sg|email_address2=meiling.home@example.net|"
         "tel_ext_no=<missing>|fax_no=61234568|mobile_no=91234567|pager_no=<missing>|"
         "tel_no=61234567"},
        // Five lines of address in four fields: the last two share one. A single e-mail leaves
        // the second out. (The rest of this card: through the member page.)
        {"apple-3.0.vcf", "Goh Kok Wei",
         "designation=Registered Surveyor and Head of the Land Surveying Department of the Firm in "
         "Singapore|building_name=Orchard Tower|house_block_no=1|unit_no=01|address1=Orchard Tower|"
         "address2=1 Orchard Road|address3=#10-01|email_address2=<missing>"},
        // An address abroad has only its lines, and its country's numbers.
        {"phone-2.1.vcf", "J\u00fcrgen M\u00fcller",
         "country=Germany|road_name=<missing>|building_name=<missing>|house_block_no=<missing>|"
         "level_no=<missing>|unit_no=<missing>|postal_code=<missing>|"
         "address1=Hauptstra\u00dfe 5|address2=Berlin 10115|address3=Germany|"
         "tel_no=49301234567"},
        // Version 4 with URI numbers; Anson Road is not in the road table: no road, the rest all
        // the same.
        {"nextcloud-4.0.vcf", "Priya Nair",
         "country=Singapore|tel_no=65550101|tel_ext_no=7|mobile_no=85550102|fax_no=65550103|"
         "house_block_no=10|road_name=<missing>|level_no=20|unit_no=05|"
         "building_name=International Plaza|postal_code=079903|"
         "address1=10 Anson Road, #20-05 International Plaza|address2=079903|address3=SG"},
        // Work fax, pager and a country name the lookup does not know ("Republic of ...").
        {"office-2.1.vcf", "Lim Boon Huat",
         "country=Singapore|designation=Project Manager|tel_no=67778888|mobile_no=97778888|"
         "fax_no=67778889|pager_no=91112222|house_block_no=5A|road_name=ADAM CLOSE|"
         "postal_code=289887|email_address1=boonhuat@example-build.sg"},
    };
    for (const auto& c : cases) {
        const AddressBook book = LoadAddressBook(
            QStringLiteral(KESTREL_TEST_DATA_DIR "/contacts/") + QLatin1String(c.file));
        const auto contact =
            std::find_if(book.contacts.begin(), book.contacts.end(), [&](const Contact& contact) {
                return contact.name == QString::fromUtf8(c.name);
            });
        ASSERT_NE(contact, book.contacts.end()) << c.name;
        expectElements(contact->card, c.elements);
    }
}

// Each number goes where its type says: a work number is the telephone even after a home number,
// and the first of a kind wins (cell, work, fax and pager as the exporters write them: the cards
// above). Of several addresses the work one is taken, else the preferred one, else the first.
TEST(ContactDocument, NumbersAndAddressesAreChosenByTheirTypes) {
    const struct {
        const char *lines, *elements;
        bool only = true; // the card's document holds nothing else
    } cases[] = {
        {"", "member_name=A"},
        {"TEL:61111111\n", "member_name=A|tel_no=61111111"},
        {"TEL;TYPE=work;TYPE=cell:91111111\n", "member_name=A|mobile_no=91111111"},
        {"TEL;TYPE=\"voice,fax\":61111112\n", "member_name=A|fax_no=61111112"},
        {"TEL;TYPE=IPHONE:93333333\n", "member_name=A|mobile_no=93333333"},
        {"TEL;TYPE=HOME:64444444\nTEL;TYPE=WORK:65555555\nTEL;TYPE=WORK:66666666\n",
         "member_name=A|tel_no=65555555"},
        {"ADR;TYPE=HOME:;;Home;;;;\nADR;TYPE=WORK:;;Work;;;;\n", "address1=Work", false},
        {"ADR;TYPE=pref:;;Pref;;;;\nADR;TYPE=WORK:;;Work;;;;\n", "address1=Work", false},
        {"ADR;TYPE=HOME:;;Home;;;;\nADR;TYPE=pref:;;Pref;;;;\n", "address1=Pref", false},
        {"ADR;TYPE=HOME:;;Home;;;;\nADR;PREF=1:;;Pref;;;;\n", "address1=Pref", false},
        {"ADR;TYPE=HOME:;;Home;;;;\nADR;TYPE=HOME:;;Next;;;;\n", "address1=Home", false},
    };
    for (const auto& c : cases)
        expectElements(cardOf(c.lines), c.elements, c.only);
}

TEST(ContactDocument, OnlyASingaporeAddressIsSplitIntoTheFormattedFields) {
    const struct {
        QStringList adr;
        const char* fields; // block|road|level|unit|building|postal, or null: not split
    } cases[] = {
        {{"", "", "Block 5A Adam Close #03-07, Adam Court", "", "", "289887", ""},
         "5A|ADAM CLOSE|03|07|Adam Court|289887"},
        // Everything in the street, the postal code written in with the city.
        {{"", "", "1 Orchard Road, Singapore 238824", "", "", "", ""}, "1|ORCHARD ROAD||||238824"},
        // A road without a number.
        {{"", "", "Orchard Road", "Singapore", "", "", "SG"}, "|ORCHARD ROAD||||"},
        {{"", "", "1 Jalan Ampang", "Kuala Lumpur", "", "50450", "Malaysia"}, nullptr},
        {{"", "", "1 High Street", "Oxford", "", "OX1 4AA", ""}, nullptr},
    };
    for (const auto& c : cases) {
        LocalAddress a;
        a.buildingName = QStringLiteral("stale"); // what an earlier address left
        EXPECT_EQ(SplitLocalAddress(c.adr, ContactLookups::Program(), a), c.fields != nullptr)
            << c.adr.join('|').toStdString();
        if (c.fields) {
            EXPECT_EQ(QStringList({a.houseBlockNo, a.roadName, a.levelNo, a.unitNo, a.buildingName,
                                   a.postalCode})
                          .join(QLatin1Char('|')),
                      QString::fromUtf8(c.fields));
        }
    }
}

TEST(ContactDocument, UnformattedLinesComeInEnvelopeOrderInAtMostFourLines) {
    EXPECT_EQ(
        UnformattedLines(
            {"PO Box 12", "Tower B", "1 Road\n2nd line", "Town", "Region", "12345", "Country"}),
        QStringList({"PO Box 12", "Tower B", "1 Road", "2nd line, Town Region 12345, Country"}));
    EXPECT_EQ(UnformattedLines({"", "", "1 Road", "", "", "", ""}), QStringList({"1 Road"}));
    EXPECT_TRUE(UnformattedLines({}).isEmpty());
}
