// vCard reading: the shapes address books and phones really write.
#include "contacts/VCard.h"

#include "QStringPrinter.h"

#include <gtest/gtest.h>

using namespace kestrel;

namespace {

// What the one card of a text shows: "name" is its display name, "FN" a property's unescaped
// text, "ADR/2" one component of a structured value, "ADR/#" how many components there are,
// "item1.TEL" a property's group and value.
QString shown(const VCard& card, const QString& key) {
    if (key == QLatin1String("name"))
        return card.DisplayName();
    const QString name = key.section(QLatin1Char('/'), 0, 0).section(QLatin1Char('.'), -1);
    const VCardProperty* property = card.Find(name.toLatin1().constData());
    if (!property)
        return QStringLiteral("<none>");
    if (key.contains(QLatin1Char('.')))
        return property->group + QLatin1Char('.') + property->value;
    const QString part = key.section(QLatin1Char('/'), 1);
    return part.isEmpty()               ? property->Text()
           : part == QLatin1String("#") ? QString::number(property->Components().size())
                                        : property->Components().value(part.toInt());
}

TEST(VCard, LinesEscapesParametersAndEncodingsReadAsWritten) {
    const struct {
        const char* text;
        std::vector<std::pair<const char*, const char*>> expected;
    } cases[] = {
        // Folded lines are joined without their leading blank.
        {"BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Tan\r\n  Mei\r\n\t Ling\r\nEND:VCARD\r\n",
         {{"FN", "Tan Mei Ling"}}},
        // A lone CR ends lines too; names are not case-sensitive.
        {"BEGIN:VCARD\rFN:A\rEND:VCARD\r", {{"name", "A"}}},
        {"begin:vcard\nfn:A\nend:vcard", {{"name", "A"}}},
        // Escapes are resolved; structured values split only at plain semicolons.
        {"BEGIN:VCARD\nVERSION:3.0\nFN:A\nNOTE:one\\, two\\; three\\nfour\\\\five\n"
         "ADR:;;1 Road\\; Unit 2\\, Side;Town;;123456;\nEND:VCARD\n",
         {{"NOTE", "one, two; three\nfour\\five"},
          {"ADR/#", "7"},
          {"ADR/2", "1 Road; Unit 2, Side"},
          {"ADR/3", "Town"},
          {"ADR/5", "123456"}}},
        // Grouped properties keep their group and name.
        {"BEGIN:VCARD\nFN:A\nitem1.TEL;type=pref:123\nitem1.X-ABLabel:Office\nEND:VCARD\n",
         {{"item1.TEL", "item1.123"}, {"X-ABLABEL", "Office"}}},
        // A colon inside a quoted parameter does not end the name.
        {"BEGIN:VCARD\nFN:A\nADR;LABEL=\"Tower: 5th floor\":;;1 Road;;;;\nEND:VCARD\n",
         {{"ADR/2", "1 Road"}}},
        // Quoted-printable with a charset and soft line breaks.
        {"BEGIN:VCARD\r\nVERSION:2.1\r\nFN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Chlo=C3=A9 =\r\n"
         "L=C3=A9ong\r\nN;QUOTED-PRINTABLE:L=C3=A9ong;Chlo=C3=A9\r\n"
         "NOTE;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller\r\nEND:VCARD\r\n",
         {{"FN", "Chlo\u00e9 L\u00e9ong"}, {"N/1", "Chlo\u00e9"}, {"NOTE", "M\u00fcller"}}},
        // UTF-8 as it is, stray Latin-1 bytes as windows-1252.
        {"BEGIN:VCARD\nFN:\xe6\x9d\x8e\xe6\x98\x8e\nNOTE:Stra\xdf"
         "e\nEND:VCARD\n",
         {{"name", "\u674e\u660e"}, {"NOTE", "Stra\u00dfe"}}},
        // The name from N when there is no FN.
        {"BEGIN:VCARD\nVERSION:2.1\nN:Lim;Boon;Huat;Dr;\nEND:VCARD\n", {{"name", "Boon Huat Lim"}}},
        // An agent's embedded card is no contact of its own.
        {"BEGIN:VCARD\nVERSION:2.1\nFN:Boss\nAGENT:\nBEGIN:VCARD\nFN:Assistant\nEND:VCARD\n"
         "EMAIL:boss@example.org\nEND:VCARD\n",
         {{"name", "Boss"}, {"EMAIL", "boss@example.org"}}},
    };
    for (const auto& c : cases) {
        const VCardFileContents contents = ParseVCards(QByteArrayView(c.text));
        ASSERT_EQ(contents.cards.size(), 1) << c.text;
        EXPECT_TRUE(contents.problems.isEmpty()) << c.text;
        for (const auto& [key, value] : c.expected)
            EXPECT_EQ(shown(contents.cards.constFirst(), QString::fromLatin1(key)),
                      QString::fromUtf8(value))
                << key << " of " << c.text;
    }
}

TEST(VCard, EmbeddedPhotosOfEveryVersionAreSteppedOver) {
    // 3.0 folded base64, 2.1 base64 on unindented lines ended by a blank line, a 4.0 data URI.
    const auto contents =
        ParseVCards("BEGIN:VCARD\nVERSION:3.0\nFN:One\nPHOTO;ENCODING=b;TYPE=JPEG:QUJD\n REVG\n"
                    " R0hJ\nEMAIL:one@example.org\nEND:VCARD\n"
                    "BEGIN:VCARD\nVERSION:2.1\nFN:Two\nPHOTO;ENCODING=BASE64;JPEG:QUJD\nREVGR0hJ\n"
                    "SktMTU5P\n\nTEL;CELL:9\nEND:VCARD\n"
                    "BEGIN:VCARD\nVERSION:4.0\nFN:Three\nPHOTO:data:image/png;base64,QUJD\n"
                    "END:VCARD\n");
    ASSERT_EQ(contents.cards.size(), 3);
    EXPECT_TRUE(contents.problems.isEmpty());
    for (const VCard& card : contents.cards)
        EXPECT_EQ(card.Find("PHOTO"), nullptr) << card.DisplayName().toStdString();
    EXPECT_EQ(contents.cards.at(0).Find("EMAIL")->value, QStringLiteral("one@example.org"));
    EXPECT_EQ(contents.cards.at(1).Find("TEL")->value, QStringLiteral("9"));
}

// No text crashes the reader. (Which cards of a file with broken ones are kept, and what is said
// of the others: through the address book.)
TEST(VCard, NoTextCrashes) {
    for (const QByteArray& text :
         {QByteArray(), QByteArray("END:VCARD\n"), QByteArray("BEGIN:VCARD"),
          QByteArray("BEGIN:VCARD\nFN;CHARSET=\"unterminated:A\nEND:VCARD\n"),
          QByteArray("BEGIN:VCARD\nFN;ENCODING=QUOTED-PRINTABLE:A=\n"),
          QByteArray("\x00\x01\xff\xfe\x89PNG\r\n\x1a\n\x00\x00", 14)})
        EXPECT_TRUE(ParseVCards(text).cards.isEmpty()) << text.toStdString();
}

} // namespace
