// The XML helpers beneath the project document; what the document guarantees is tested there.
#include "sdk/XmlHelpers.h"

#include "TestFiles.h"
#include "sdk/FileNames.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <tuple>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

namespace {

class XmlHelpers : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(box.isValid()); }
    QByteArray loadAndSave() {
        XmlDocPtr doc = LoadXMLDoc(path);
        if (!doc || SaveXMLAndReleaseDoc(doc, path, 1) != kXmlSaveOk)
            return {};
        return readFile(path);
    }
    QString textOf(const char* xpath) {
        XmlDocPtr doc = LoadXMLDoc(path);
        return doc ? GetNodeTextXPath(*doc, *doc, QString::fromLatin1(xpath), QStringLiteral("?"))
                   : QStringLiteral("<not loaded>");
    }
    // Whether libxml2 (Debian: libxml2-utils) takes the file; its complaint goes to the log.
    bool strictParserTakes() {
        return QProcess::execute(QStringLiteral("xmllint"), {QStringLiteral("--noout"), path}) == 0;
    }
    QTemporaryDir box;
    const QString path = box.filePath(QStringLiteral("p.xml"));
};

unsigned modeOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 0u;
}

// A new document holding an empty root.
XmlDocPtr newDoc() {
    XmlDocPtr doc = CreateXMLDoc();
    GetNode(*doc, *doc, QStringLiteral("krroot"), 1, QString());
    return doc;
}

// Text at the deepest level is content, not one level more; deep subtrees that close again do
// not add up. UTF-16 files give the same answers.
TEST_F(XmlHelpers, LoadTakesOnlyAWellFormedFileOfSaneSizeAndDepth) {
    for (const QString& where :
         {QString(), box.filePath(QStringLiteral("missing.xml")), box.path()})
        EXPECT_FALSE(LoadXMLDoc(where)) << where.toStdString();
    const auto deep = [](const QByteArray& inside) {
        return QByteArray("<a x='1'>").repeated(kXmlMaxDepth - 1) + inside +
               QByteArray("</a>").repeated(kXmlMaxDepth - 1);
    };
    const std::pair<QByteArray, bool> cases[] = {
        {"", false},
        {"<krroot><project></krroot>", false},
        {"<?xml version=\"1.0\"?>", false},
        {deep("<e>t</e>"), true},
        {deep("<e><f/></e>"), false},
        {"<r>" + deep("").repeated(2) + "</r>", true},
        {"<r><s><b/></s>" + deep("<e/>") + "</r>", false},
    };
    for (const auto& [bytes, accepted] : cases) {
        const QString text = QString::fromLatin1(bytes);
        const QByteArray utf16 =
            "\xFF\xFE" + QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        for (const QByteArray& file : {bytes, utf16}) {
            ASSERT_TRUE(writeFile(path, file));
            EXPECT_EQ(LoadXMLDoc(path) != nullptr, accepted) << file.left(40).toStdString();
        }
    }
    // A file of exactly the size limit is taken, not a byte more: an empty root, then blank lines.
    for (const qint64 size : {kXmlMaxFileBytes, kXmlMaxFileBytes + 1}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("<krroot/>") == 9);
        for (const QByteArray blanks(1 << 20, '\n'); file.pos() < size;)
            ASSERT_GT(file.write(blanks.constData(), qMin<qint64>(size - file.pos(), 1 << 20)), 0);
        file.close();
        EXPECT_EQ(LoadXMLDoc(path) != nullptr, size == kXmlMaxFileBytes);
    }
}

// pugixml takes some of what XML forbids, and a save would write it back as it is; the strict
// check finds it, but not below a node the caller skips.
TEST_F(XmlHelpers, StrictCheckFindsWhatTheParserTakesBeyondXml) {
    const std::pair<QByteArray, bool> cases[] = {
        {"<!-- c --><?xml version=\"1.0\"?><krroot/>", false},
        {"<krroot x=\"1\" y=\"2\" x=\"3\"/>", false},
        {"<krroot/><!DOCTYPE krroot>", false},
        {"<!DOCTYPE krroot><!DOCTYPE krroot><krroot/>", false},
        {"<!DOCTYPE krroot [ junk ]><krroot/>", false},
        {"<krroot><t\xC2\x95x/></krroot>", false},
        {"<krroot \xC2\x95x=\"1\"/>", false},
        {"<?a:b x?><krroot/>", false},
        {"<?xml version=\"1.0\"?>\n<!-- c -->\n<!DOCTYPE krroot [ <!ENTITY e \"x\"> ]>\n<krroot/>",
         true},
        {"<krroot xmlns:x=\"u\" x:a=\"1\" b=\"2\"><x:b/><\xE5\x90\x8D>t</\xE5\x90\x8D></krroot>",
         true},
        {"<krroot><skipped a=\"1\" a=\"2\"><t\xC2\x95x/></skipped></krroot>", true},
    };
    const auto skipped = [](pugi::xml_node node) { return !std::strcmp(node.name(), "skipped"); };
    for (const auto& [bytes, accepted] : cases) {
        ASSERT_TRUE(writeFile(path, bytes));
        XmlDocPtr doc = LoadXMLDoc(path);
        ASSERT_TRUE(doc) << bytes.toStdString();
        EXPECT_EQ(IsStrictlyWellFormed(*doc, skipped), accepted) << bytes.toStdString();
    }
}

// The bytes are scanned in blocks: wherever a field's last character falls within one, a
// forbidden character becomes U+FFFD, UTF-8 stays UTF-8 and other 8-bit text reads as Latin-1.
TEST_F(XmlHelpers, FieldEndsAnywhereInABlockReadAlike) {
    const std::pair<QByteArray, QString> cases[] = {
        {"\x01", QStringLiteral("\uFFFD")},
        {"\t", QStringLiteral("\t")},
        {"\xF4\x8F\xBF\xBD", QStringLiteral("\U0010FFFD")},
        {"\xEF\xBF\xBF", QStringLiteral("\uFFFD")}, // a noncharacter
        {"\xE9", QStringLiteral("\u00E9")},
    };
    for (const auto& [last, read] : cases)
        for (int filler = 0; filler < 20; ++filler) {
            ASSERT_TRUE(
                writeFile(path, "<krroot><t>" + QByteArray(filler, 'x') + last + "</t></krroot>"));
            EXPECT_EQ(textOf("/krroot/t"), QString(filler, QLatin1Char('x')) + read) << filler;
        }
}

// A save that writes nothing says why and keeps the document. One that writes keeps the file's
// mode, its symbolic link and, when root saves another user's file, its owner; a new file gets
// what the user's file-creation mask allows, as any program's new file.
TEST_F(XmlHelpers, SaveAnswersWhyNothingWasWrittenAndKeepsModeOwnerAndLinks) {
    const QString readOnly = box.filePath(QStringLiteral("read-only.xml")),
                  link = box.filePath(QStringLiteral("link.xml")),
                  fresh = box.filePath(QStringLiteral("new.xml"));
    ASSERT_TRUE(writeFile(path, "old") && writeFile(readOnly, "old") && QFile::link(path, link));
    ASSERT_TRUE(QFile::setPermissions(readOnly, QFile::ReadOwner));
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner |
                                                QFile::ReadGroup | QFile::ReadOther));
    const bool root = ::geteuid() == 0; // file permissions bind everyone else
    ASSERT_TRUE(!root || ::chown(QFile::encodeName(path).constData(), 65534, 65534) == 0);
    // {with a document, path, release, answer, document kept after}
    const std::tuple<bool, QString, int, int, bool> cases[] = {
        {true, QString(), 0, kXmlSaveNoPath, true},
        {false, QString(), 0, kXmlSaveNoDocument, false},
        {true, QString(), 1, kXmlSaveOk, false}, // releasing without a path only drops it
        {false, path, 1, kXmlSaveNoDocument, false},
        {true, box.path(), 1, kXmlSaveBadTarget, true},
        {true, readOnly, 1, root ? kXmlSaveOk : kXmlSaveBadTarget, !root},
        {true, box.filePath(QStringLiteral("no-such-folder/p.xml")), 1, kXmlSaveWriteFailed, true},
        {true, link, 0, kXmlSaveOk, true},
        {true, fresh, 1, kXmlSaveOk, false},
        {true, QStringLiteral("relative.xml"), 1, kXmlSaveOk, false}, // in the working folder
    };
    const QString workingFolder = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(box.path()));
    const mode_t mask = ::umask(0027);
    for (const auto& [document, target, release, result, keptAfter] : cases) {
        SCOPED_TRACE(target.toStdString() + " release " + std::to_string(release));
        XmlDocPtr doc = document ? newDoc() : nullptr;
        EXPECT_EQ(SaveXMLAndReleaseDoc(doc, target, release), result);
        EXPECT_EQ(doc != nullptr, keptAfter);
    }
    ::umask(mask);
    QDir::setCurrent(workingFolder);
    EXPECT_EQ(readFile(box.filePath(QStringLiteral("relative.xml"))), QByteArray("<krroot />\n"));
    EXPECT_EQ(readFile(readOnly), root ? readFile(path) : QByteArray("old"));
    EXPECT_EQ(readFile(path), QByteArray("<krroot />\n"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(modeOf(path), 0644u);
    EXPECT_EQ(modeOf(fresh), 0640u);
    EXPECT_EQ(QFileInfo(path).ownerId(), root ? 65534u : ::geteuid());
    EXPECT_EQ(QFileInfo(path).groupId(), root ? 65534u : ::getegid());
}

// Instructions are added as asked (a declaration first, replacing one there in place, any other
// after the root) but never with data that would end them early, nor without a target. The
// declaration is written as a strict parser takes it, which the loader need not: version 1.0, a
// declared encoding other than UTF-8 corrected, what no declaration may hold dropped.
TEST_F(XmlHelpers, InstructionsAreAddedAsAskedAndTheDeclarationWrittenAsAStrictParserTakesIt) {
    // {document, instruction's target (null: none added), its data, the file written}
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"<?a b?><krroot/>", "xml", "version='1.1' standalone = \"yes\"",
         "<?xml version=\"1.0\" standalone=\"yes\"?>\n<?a b?>\n<krroot />\n"},
        {"<?xml version=\"1.0\"?><krroot/>", "xml", "version=\"1.0\" standalone=\"no\"",
         "<?xml version=\"1.0\" standalone=\"no\"?>\n<krroot />\n"},
        {"<?a b?><krroot/>", "filetype", "type=\"MasterProfile\"",
         "<?a b?>\n<krroot />\n<?filetype type=\"MasterProfile\"?>\n"},
        {"<?a b?><krroot/>", "filetype", "a?>b", "<?a b?>\n<krroot />\n"},
        {"<?a b?><krroot/>", "", "a", "<?a b?>\n<krroot />\n"},
        {"<?xml version=\"1.0\" encoding=\"utf-8\"?><krroot/>", nullptr, nullptr,
         "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<krroot />\n"},
        {"<?xml version=\"1.0\" encoding=\"utf8\"?><krroot/>", nullptr, nullptr,
         "<?xml version=\"1.0\" encoding=\"utf8\"?>\n<krroot />\n"},
        {"<?xml version=\"1.0\" encoding=\"latin1\"?><krroot/>", nullptr, nullptr,
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<krroot />\n"},
        {"<?xml standalone=\"no\" encoding=\"UTF-8\" version=\"1.0\"?><krroot/>", nullptr, nullptr,
         "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n<krroot />\n"},
        {"<?xml version=\"1.0\" standalone=\"maybe\" author=\"x\"?><krroot/>", nullptr, nullptr,
         "<?xml version=\"1.0\"?>\n<krroot />\n"},
        {"<?xml?><krroot/>", nullptr, nullptr, "<?xml version=\"1.0\"?>\n<krroot />\n"},
    };
    for (const auto& [document, target, data, written] : cases) {
        XmlDocPtr doc = CreateXMLDoc();
        ASSERT_TRUE(doc->load_string(document, pugi::parse_full));
        if (target)
            AddProcessingInstruction(*doc, QString::fromUtf8(target), QString::fromUtf8(data));
        ASSERT_EQ(SaveXMLAndReleaseDoc(doc, path, 1), kXmlSaveOk);
        EXPECT_EQ(readFile(path), QByteArray(written)) << document << ' ' << (data ? data : "");
    }
}

// Nodes are found or made: an existing one keeps its text, the default only fills a new one; a
// null parent or an empty name makes nothing; a name beyond ASCII is compared whole. A node's text
// gathers every text and CDATA below it, not comments or instructions: empty for an empty
// element, null only for a null node. One pass finds what a lookup per field finds: the first
// element of each name, in whatever order the file has them; instructions are not elements.
TEST_F(XmlHelpers, NodesAreFoundOrMadeAndTheirTextGathered) {
    const auto q = [](const char* text) { return QString::fromUtf8(text); };
    XmlDocPtr doc = CreateXMLDoc();
    pugi::xml_node root = GetNode(*doc, *doc, q("krroot"), 1, QString());
    SetNodeText(GetNode(*doc, root, q("id"), 1, q("ZQAV")), "A & <B>");
    EXPECT_EQ(GetNodeText(GetNode(*doc, root, q("id"), 1, q("X"))), q("A & <B>"));
    EXPECT_FALSE(GetNode(*doc, root, q("absent"), 0, q("t")));
    AddXMLLeafNode(*doc, root, q("member"), q("ANN"));
    AddXMLLeafNode(*doc, root, q("member"), q("BOB"));
    EXPECT_EQ(GetNodeTextXPath(*doc, root, q("member[2]"), QString()), q("BOB"));
    EXPECT_EQ(GetNodeTextXPath(*doc, root, q("count(member)"), QString()), q("2"));
    for (const char* xpath : {"absent", "member[[", ""})
        EXPECT_EQ(GetNodeTextXPath(*doc, root, q(xpath), q("d")), q("d")) << xpath;
    EXPECT_FALSE(GetNode(*doc, pugi::xml_node(), q("x"), 1, QString()));
    EXPECT_FALSE(GetNode(*doc, root, QString(), 1, QString()));
    EXPECT_FALSE(AddXMLLeafNode(*doc, pugi::xml_node(), q("x"), QString()));
    EXPECT_FALSE(AddXMLLeafNode(*doc, root, QString(), q("t")));
    SetNodeText(GetNode(*doc, root, q("id"), 0, QString()), QString());
    AddXMLLeafNode(*doc, root, q("leaf"), QString());
    GetNode(*doc, root, q("made"), 1, QString());
    GetNode(*doc, root, q("\u00E9e"), 1, QString());
    EXPECT_FALSE(GetNode(*doc, root, q("\u00E9"), 0, QString()));
    std::ostringstream printed;
    doc->save(printed, "", pugi::format_raw | pugi::format_no_declaration);
    EXPECT_EQ(printed.str(), "<krroot><id/><member>ANN</member><member>BOB</member><leaf/>"
                             "<made/><\u00E9e/></krroot>");

    ASSERT_TRUE(doc->load_string("<r><t><![CDATA[a<b]]></t><?a pi?><m>1<i>2<j>3</j></i><!--x--><k/>"
                                 "<![CDATA[4]]></m><a>5</a><t>again</t></r>",
                                 pugi::parse_full));
    const pugi::xml_node r = doc->child("r");
    const char* names[] = {"a", "t", "m", "d"};
    pugi::xml_node found[4];
    FindChildElements(r, names, found, 4);
    EXPECT_EQ(GetNodeText(found[0]) + GetNodeText(found[1]) + GetNodeText(found[2]), "5a<b1234");
    EXPECT_FALSE(found[3]);
    EXPECT_EQ(GetChildText(r, "a"), q("5"));
    EXPECT_EQ(GetNodeText(found[1].first_child()), q("a<b")); // the text itself
    EXPECT_EQ(GetNodeText(r), q("a<b12345again"));
    EXPECT_FALSE(GetNodeText(found[2].child("k")).isNull());
    EXPECT_TRUE(GetNodeText(found[2].child("k")).isEmpty());
    EXPECT_TRUE(GetNodeText(pugi::xml_node()).isNull());
    EXPECT_EQ(GetNodeTextXPath(*doc, pugi::xml_node(), q("//i/text()"), QString()), q("2"));
    // On a text node SetNodeText sets its value; on an instruction it does nothing.
    SetNodeText(found[0].first_child(), q("6"));
    EXPECT_EQ(GetNodeText(found[0]), q("6"));
    SetNodeText(r.child("a"), q("w")); // child() finds the instruction, named "a" too
    EXPECT_STREQ(r.child("a").value(), "pi");
}

// Whatever the bytes, a save writes UTF-8, declared so, that a strict parser takes and that the
// next save leaves as it is. A UTF-8 file under a Latin-1 declaration keeps its letters, a real
// Latin-1 file is still read as Latin-1. Characters XML 1.0 does not admit never reach the file,
// and a reference to one cuts nothing short.
TEST_F(XmlHelpers, ASaveWritesWhatAStrictParserTakesAndTheNextSaveKeeps) {
    const QString ming = QStringLiteral("M\u00CDNG \u00E9\u00E8 \u20AC"),
                  r = QStringLiteral("\uFFFD");
    const auto in = [](const QByteArray& prolog, const QByteArray& field) {
        return prolog + "<krroot><t>" + field + "</t><u>end</u></krroot>\n";
    };
    const QByteArray latin1 = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n";
    const std::pair<QByteArray, QString> cases[] = {
        {in(latin1, ming.toUtf8()), ming},
        {in(latin1, "M\xCDNG"), QStringLiteral("M\u00CDNG")},
        // Bytes that would spell the first surrogate in UTF-8 are no UTF-8: Latin-1 letters.
        {in(latin1, "\xED\xA0\x80"), QStringLiteral("\u00ED\u00A0\u0080")},
        {in({}, "AB&#x0;CD&#0;E&#x1;F&#31;G"), "AB" + r + "CD" + r + "E" + r + "F" + r + "G"},
        {in({}, "A&#xFFFF;B&#xFFFE;C&#xD800;D&#x110000;"), "A" + r + "B" + r + "C" + r + "D" + r},
        {in({}, "A\001B\037C\357\277\277D\357\277\276E"),
         "A" + r + "B" + r + "C" + r + "D" + r + "E"},
        {in({}, "A&#x9;B&#233;C&#13;D&#xD;&#xA;E&#x10FFFF;"),
         QStringLiteral("A\tB\u00E9C\rD\r\nE\U0010FFFF")},
        {in({}, "<![CDATA[A&#x0;B]]>"), QStringLiteral("A&#x0;B")},
    };
    for (const auto& [bytes, text] : cases) {
        ASSERT_TRUE(writeFile(path, bytes));
        EXPECT_EQ(textOf("/krroot/t"), text) << bytes.toStdString();
        const QByteArray first = loadAndSave();
        EXPECT_FALSE(first.isEmpty() || first.contains("ISO-8859-1"));
        EXPECT_EQ(textOf("/krroot/t") + textOf("/krroot/u"), text + "end");
        EXPECT_EQ(loadAndSave(), first) << bytes.toStdString();
        EXPECT_TRUE(strictParserTakes()) << bytes.toStdString();
    }

    // What a page stores (a pasted control character) is cleaned on the way out.
    XmlDocPtr doc = newDoc();
    SetNodeText(GetNode(*doc, doc->child("krroot"), QStringLiteral("t"), 1, QString()),
                QStringLiteral("A\u0001B\uFFFFC\U0001F600"));
    ASSERT_EQ(SaveXMLAndReleaseDoc(doc, path, 1), kXmlSaveOk);
    EXPECT_EQ(textOf("/krroot/t"), "A" + r + "B" + r + QStringLiteral("C\U0001F600"));
    EXPECT_TRUE(strictParserTakes());
    // A record's cells are views into one buffer: a cell that ends in half a pair is followed by
    // the next cell's text, never by the other half.
    const QString smile = QStringLiteral("a\U0001F600");
    EXPECT_EQ(XmlTextUtf8(QStringView(smile).first(2)), "a\xEF\xBF\xBD");
    EXPECT_EQ(XmlTextUtf8(smile), "a\xF0\x9F\x98\x80");
}

// A save killed before its rename leaves its temporary file; the next save in that folder removes
// such files once they are old, but never a fresh one or one a live save still holds.
TEST_F(XmlHelpers, ALaterSaveRemovesWhatKilledSavesLeft) {
    QStringList names = {".kestrel-save-AAAAAA", ".kestrel-save-BBBBBB", ".kestrel-save-CCCCCC",
                         ".other-save-DDDDDD"};
    for (const QString& name : names) {
        QFile file(box.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(name.contains(QLatin1Char('B')) || // the fresh one
                    file.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                     QFileDevice::FileModificationTime));
    }
    const int lock = ::open(QFile::encodeName(box.filePath(names[2])).constData(), O_RDONLY);
    ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);
    ASSERT_TRUE(writeFile(path, "<krroot/>"));
    EXPECT_FALSE(loadAndSave().isEmpty());
    ::close(lock);
    names.removeFirst();
    EXPECT_EQ(QDir(box.path()).entryList({QStringLiteral(".*-save-*")}, QDir::Files | QDir::Hidden),
              names)
        << "the save itself leaves nothing of its own";
}

// Every file name survives decoding and encoding byte for byte; UTF-8 reads as itself.
TEST(FileNames, EveryByteOfANameSurvives) {
    for (const QByteArray& name :
         {QByteArray("caf\xc3\xa9 \xf0\x9f\x8f\xa0.xml"), QByteArray("latin1 caf\xe9.xml"),
          QByteArray("cut \xe2\x82"), QByteArray("surrogate \xed\xa0\x80\xed\xb0\x80"),
          QByteArray("overlong \xc0\xaf \xe0\x80\xaf"), QByteArray("\xf4\x90\x80\x80"),
          QByteArray("escape-looking \xed\xb2\x80")}) {
        const QString decoded = DecodeFileName(name);
        EXPECT_EQ(EncodeFileName(decoded), name) << name.toHex().constData();
        if (QString::fromUtf8(name).toUtf8() == name) {
            EXPECT_EQ(decoded, QString::fromUtf8(name)) << name.constData();
        }
    }
    EXPECT_EQ(DecodeFileName("caf\xe9").size(), 4);
}

} // namespace
