// vCard reading: the shapes address books and phones really write.
#include "contacts/VCard.h"

#include "QStringPrinter.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

using namespace kestrel;

namespace {

QString dataFile(const char* name) {
    return QStringLiteral(KESTREL_TEST_DATA_DIR "/contacts/") + QLatin1String(name);
}

VCardFileContents parse(const char* text) {
    return ParseVCards(QByteArrayView(text));
}

const VCard& only(const VCardFileContents& contents) {
    EXPECT_EQ(contents.cards.size(), 1);
    return contents.cards.constFirst();
}

} // namespace

TEST(VCardLines, FoldedLinesAreJoinedWithoutTheirLeadingBlank) {
    const auto contents = parse("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Tan\r\n  Mei\r\n\t Ling\r\n"
                                "END:VCARD\r\n");
    EXPECT_EQ(only(contents).Find("FN")->Text(), QStringLiteral("Tan Mei Ling"));
}

TEST(VCardLines, LfCrLfAndLoneCrAllEndLines) {
    for (const char* text :
         {"BEGIN:VCARD\nFN:A\nEND:VCARD\n", "BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\n",
          "BEGIN:VCARD\rFN:A\rEND:VCARD\r", "begin:vcard\nfn:A\nend:vcard"}) {
        const auto contents = parse(text);
        ASSERT_EQ(contents.cards.size(), 1) << text;
        EXPECT_EQ(contents.cards.constFirst().DisplayName(), QStringLiteral("A")) << text;
    }
}

TEST(VCardLines, EscapesAreResolvedAndStructuredValuesSplitOnlyAtPlainSemicolons) {
    const auto contents = parse("BEGIN:VCARD\nVERSION:3.0\nFN:A\n"
                                "NOTE:one\\, two\\; three\\nfour\\\\five\n"
                                "ADR:;;1 Road\\; Unit 2\\, Side;Town;;123456;\n"
                                "END:VCARD\n");
    const VCard& card = only(contents);
    EXPECT_EQ(card.Find("NOTE")->Text(), QStringLiteral("one, two; three\nfour\\five"));
    const QStringList adr = card.Find("ADR")->Components();
    ASSERT_EQ(adr.size(), 7);
    EXPECT_EQ(adr.at(2), QStringLiteral("1 Road; Unit 2, Side"));
    EXPECT_EQ(adr.at(3), QStringLiteral("Town"));
    EXPECT_EQ(adr.at(5), QStringLiteral("123456"));
}

TEST(VCardLines, GroupedPropertiesKeepTheirGroupAndName) {
    const auto contents = parse("BEGIN:VCARD\nFN:A\nitem1.TEL;type=pref:123\n"
                                "item1.X-ABLabel:Office\nEND:VCARD\n");
    const VCard& card = only(contents);
    const VCardProperty* tel = card.Find("TEL");
    ASSERT_NE(tel, nullptr);
    EXPECT_EQ(tel->group, QStringLiteral("item1"));
    EXPECT_EQ(tel->value, QStringLiteral("123"));
    ASSERT_NE(card.Find("X-ABLABEL"), nullptr);
}

TEST(VCardLines, AColonInsideAQuotedParameterDoesNotEndTheName) {
    const auto contents =
        parse("BEGIN:VCARD\nFN:A\nADR;LABEL=\"Tower: 5th floor\":;;1 Road;;;;\nEND:VCARD\n");
    EXPECT_EQ(only(contents).Find("ADR")->Components().value(2), QStringLiteral("1 Road"));
}

struct TypeCase {
    const char* line;
    std::vector<const char*> types;
};

class VCardTypes : public testing::TestWithParam<TypeCase> {};

TEST_P(VCardTypes, EverySpellingGivesTheSameLowerCaseTypes) {
    const std::string text = std::string("BEGIN:VCARD\nFN:A\n") + GetParam().line + "\nEND:VCARD\n";
    const auto contents = ParseVCards(QByteArrayView(text.data(), qsizetype(text.size())));
    ASSERT_EQ(contents.cards.size(), 1);
    const VCardProperty* tel = contents.cards.constFirst().Find("TEL");
    ASSERT_NE(tel, nullptr);
    QStringList expected;
    for (const char* type : GetParam().types)
        expected.append(QLatin1String(type));
    EXPECT_EQ(tel->Types(), expected) << GetParam().line;
    EXPECT_EQ(tel->value, QStringLiteral("1")) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(Spellings, VCardTypes,
                         testing::Values(TypeCase{"TEL;TYPE=CELL:1", {"cell"}},
                                         TypeCase{"TEL;TYPE=cell,voice:1", {"cell", "voice"}},
                                         TypeCase{"TEL;type=WORK:1", {"work"}},
                                         TypeCase{"TEL;TYPE=work;TYPE=voice:1", {"work", "voice"}},
                                         TypeCase{"TEL;TYPE=\"work,voice\":1", {"work", "voice"}},
                                         TypeCase{"TEL;WORK;VOICE:1", {"work", "voice"}},
                                         TypeCase{"TEL;ENCODING=8BIT;FAX:1", {"fax"}},
                                         TypeCase{"TEL:1", {}}));

TEST(VCardEncodings, QuotedPrintableWithCharsetAndSoftLineBreaks) {
    const auto contents = parse("BEGIN:VCARD\r\nVERSION:2.1\r\n"
                                "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Chlo=C3=A9 =\r\n"
                                "L=C3=A9ong\r\n"
                                "N;QUOTED-PRINTABLE:L=C3=A9ong;Chlo=C3=A9\r\n"
                                "NOTE;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller\r\n"
                                "END:VCARD\r\n");
    const VCard& card = only(contents);
    EXPECT_EQ(card.Find("FN")->Text(), QStringLiteral("Chlo\u00e9 L\u00e9ong"));
    EXPECT_EQ(card.Find("N")->Components().value(1), QStringLiteral("Chlo\u00e9"));
    EXPECT_EQ(card.Find("NOTE")->Text(), QStringLiteral("M\u00fcller"));
}

TEST(VCardEncodings, Utf8AsIsAndStrayLatin1BytesAsWindows1252) {
    const auto contents = parse("BEGIN:VCARD\nFN:\xe6\x9d\x8e\xe6\x98\x8e\nNOTE:Stra\xdf"
                                "e\nEND:VCARD\n");
    const VCard& card = only(contents);
    EXPECT_EQ(card.DisplayName(), QStringLiteral("\u674e\u660e"));
    EXPECT_EQ(card.Find("NOTE")->Text(), QStringLiteral("Stra\u00dfe"));
}

TEST(VCardEncodings, NameFromNWhenThereIsNoFn) {
    const auto contents = parse("BEGIN:VCARD\nVERSION:2.1\nN:Lim;Boon;Huat;Dr;\nEND:VCARD\n");
    EXPECT_EQ(only(contents).DisplayName(), QStringLiteral("Boon Huat Lim"));
}

TEST(VCardPhotos, EmbeddedPhotosOfEveryVersionAreSteppedOver) {
    // 3.0 folded base64, 2.1 base64 on unindented lines ended by a blank line, a 4.0 data URI.
    const auto contents =
        parse("BEGIN:VCARD\nVERSION:3.0\nFN:One\nPHOTO;ENCODING=b;TYPE=JPEG:QUJD\n REVG\n R0hJ\n"
              "EMAIL:one@example.org\nEND:VCARD\n"
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

TEST(VCardPhotos, AHugePhotoCostsNoMoreThanReadingPastIt) {
    // 40 MB of folded base64 in one card: stepped over line by line, never joined or decoded.
    QByteArray text = "BEGIN:VCARD\nVERSION:3.0\nFN:Big Photo\nPHOTO;ENCODING=b:";
    const QByteArray line = " " + QByteArray(75, 'A') + "\n";
    text.reserve(text.size() + line.size() * 540000);
    text += "AAAA\n";
    for (int i = 0; i < 540000; ++i)
        text += line;
    text += "TEL;TYPE=CELL:91234567\nEND:VCARD\n";
    const auto contents = ParseVCards(text);
    ASSERT_EQ(contents.cards.size(), 1);
    EXPECT_EQ(contents.cards.constFirst().Find("TEL")->value, QStringLiteral("91234567"));
    EXPECT_EQ(contents.cards.constFirst().properties.size(), 2); // FN and TEL
}

TEST(VCardBroken, OneBrokenCardNeverHidesTheOthers) {
    const auto contents = ParseVCards(readFile(dataFile("broken.vcf")));
    QStringList names;
    for (const VCard& card : contents.cards)
        names.append(card.DisplayName());
    EXPECT_EQ(names, QStringList({"First Good", "Second Good", "Third Good"}));
    ASSERT_EQ(contents.problems.size(), 3);
    EXPECT_EQ(contents.problems.at(0).line, 6); // Never Ended
    EXPECT_TRUE(contents.problems.at(0).what.contains(QLatin1String("END:VCARD")));
    EXPECT_EQ(contents.problems.at(1).line, 16); // nothing to show
    EXPECT_TRUE(contents.problems.at(1).what.contains(QLatin1String("no name")));
    EXPECT_EQ(contents.problems.at(2).line, 25); // cut off at the end of the file
    EXPECT_EQ(contents.beginCount, 6);
}

TEST(VCardBroken, TextThatHoldsNoCardGivesNoCardsAndNoCrash) {
    for (const char* text : {"", "\n\n", "hello world", "END:VCARD\n", ":::;;;\n", "BEGIN:VCARD",
                             "BEGIN:VCARD\nFN;CHARSET=\"unterminated:A\nEND:VCARD\n",
                             "BEGIN:VCARD\nFN;ENCODING=QUOTED-PRINTABLE:A=\n"}) {
        const auto contents = parse(text);
        EXPECT_TRUE(contents.cards.isEmpty()) << text;
    }
    const QByteArray binary("\x00\x01\xff\xfe\x89PNG\r\n\x1a\n\x00\x00", 14);
    EXPECT_TRUE(ParseVCards(binary).cards.isEmpty());
}

TEST(VCardBroken, AnAgentsEmbeddedCardIsNoContactOfItsOwn) {
    const auto contents = parse("BEGIN:VCARD\nVERSION:2.1\nFN:Boss\nAGENT:\nBEGIN:VCARD\n"
                                "FN:Assistant\nEND:VCARD\nEMAIL:boss@example.org\nEND:VCARD\n");
    const VCard& card = only(contents);
    EXPECT_EQ(card.DisplayName(), QStringLiteral("Boss"));
    EXPECT_EQ(card.Find("EMAIL")->value, QStringLiteral("boss@example.org"));
    EXPECT_TRUE(contents.problems.isEmpty());
}
