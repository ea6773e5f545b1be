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

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

namespace {

class XmlHelpers : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(box.isValid()); }
    static QByteArray loadAndSave(const QString& path) {
        XmlDocPtr doc = LoadXMLDoc(path);
        if (!doc || SaveXMLAndReleaseDoc(doc, path, 1) != kXmlSaveOk)
            return {};
        return readFile(path);
    }
    static QString textOf(const QString& path, const char* xpath) {
        XmlDocPtr doc = LoadXMLDoc(path);
        return doc ? GetNodeTextXPath(*doc, *doc, QString::fromLatin1(xpath), QStringLiteral("?"))
                   : QStringLiteral("<not loaded>");
    }
    // Whether libxml2 (Debian: libxml2-utils) takes the file; its complaint goes to the log.
    static bool strictParserTakes(const QString& path) {
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

TEST_F(XmlHelpers, LoadRefusesWhatIsNotAWellFormedFileOfSaneSize) {
    for (const QString& where :
         {QString(), box.filePath(QStringLiteral("missing.xml")), box.path()})
        EXPECT_FALSE(LoadXMLDoc(where)) << where.toStdString();
    for (const QByteArray& bytes : {QByteArray(), QByteArray("<krroot><project></krroot>"),
                                    QByteArray("<?xml version=\"1.0\"?>")}) {
        ASSERT_TRUE(writeFile(path, bytes));
        EXPECT_FALSE(LoadXMLDoc(path)) << bytes.left(40).toStdString();
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
    const auto skipped = [](pugi::xml_node node) {
        return std::strcmp(node.name(), "skipped") == 0;
    };
    for (const auto& [bytes, accepted] : cases) {
        ASSERT_TRUE(writeFile(path, bytes));
        XmlDocPtr doc = LoadXMLDoc(path);
        ASSERT_TRUE(doc) << bytes.toStdString();
        EXPECT_EQ(IsStrictlyWellFormed(*doc, skipped), accepted) << bytes.toStdString();
    }
}

// Text at the deepest level is content, not one level more; deep subtrees that close again do
// not add up. UTF-16 files give the same answers.
TEST_F(XmlHelpers, DepthLimitCountsNestedElementsOnly) {
    const auto deep = [](int depth, const QByteArray& inside) {
        return QByteArray("<a x='1'>").repeated(depth - 1) + inside +
               QByteArray("</a>").repeated(depth - 1);
    };
    const std::pair<QByteArray, bool> cases[] = {
        {deep(kXmlMaxDepth, "<e>t</e>"), true},
        {deep(kXmlMaxDepth, "<e><f/></e>"), false},
        {"<r>" + deep(kXmlMaxDepth, "").repeated(2) + "</r>", true},
        {"<r><s><b/></s>" + deep(kXmlMaxDepth, "<e/>") + "</r>", false},
    };
    for (const auto& [bytes, accepted] : cases) {
        ASSERT_TRUE(writeFile(path, bytes));
        EXPECT_EQ(LoadXMLDoc(path) != nullptr, accepted) << bytes.size();
        const QString text = QString::fromLatin1(bytes);
        QByteArray utf16("\xFF\xFE");
        utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        ASSERT_TRUE(writeFile(path, utf16));
        EXPECT_EQ(LoadXMLDoc(path) != nullptr, accepted) << "UTF-16, " << bytes.size();
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
    for (const auto& [last, read] : cases) {
        for (int filler = 0; filler < 20; ++filler) {
            ASSERT_TRUE(
                writeFile(path, "<krroot><t>" + QByteArray(filler, 'x') + last + "</t></krroot>"));
            XmlDocPtr doc = LoadXMLDoc(path);
            ASSERT_TRUE(doc) << filler;
            EXPECT_EQ(GetNodeText(doc->child("krroot").child("t")),
                      QString(filler, QLatin1Char('x')) + read)
                << filler;
        }
    }
}

TEST_F(XmlHelpers, SaveKeepsPermissionsAndSymbolicLinks) {
    ASSERT_TRUE(writeFile(path, "old"));
    ASSERT_TRUE(
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    const QString link = box.filePath(QStringLiteral("link.xml"));
    ASSERT_TRUE(QFile::link(path, link));
    XmlDocPtr doc = newDoc();
    ASSERT_EQ(SaveXMLAndReleaseDoc(doc, link, 1), 0);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(readFile(path).contains("<krroot"));
    EXPECT_EQ(modeOf(path), 0640u);

    // Root saving another user's file leaves it theirs.
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
        doc = newDoc();
        ASSERT_EQ(SaveXMLAndReleaseDoc(doc, path, 1), 0);
        EXPECT_EQ(QFileInfo(path).ownerId(), 65534u);
        EXPECT_EQ(QFileInfo(path).groupId(), 65534u);
    }

    // A new file gets what the user's file-creation mask allows, as any program's new file.
    const QString fresh = box.filePath(QStringLiteral("new.xml"));
    const mode_t old = ::umask(0027);
    doc = newDoc();
    const int saved = SaveXMLAndReleaseDoc(doc, fresh, 1);
    ::umask(old);
    ASSERT_EQ(saved, 0);
    EXPECT_EQ(modeOf(fresh), 0640u);
}

TEST_F(XmlHelpers, SaveAnswersWhyNothingWasWrittenAndKeepsTheDocument) {
    const QString folderless = box.filePath(QStringLiteral("no-such-folder/p.xml"));
    ASSERT_TRUE(writeFile(path, "old"));
    const QString readOnly = box.filePath(QStringLiteral("read-only.xml"));
    ASSERT_TRUE(writeFile(readOnly, "old"));
    ASSERT_TRUE(QFile::setPermissions(readOnly, QFile::ReadOwner));
    const bool permissionsBind = ::geteuid() != 0;
    const struct {
        bool document;
        QString path;
        int release;
        int result;
        bool keptAfter;
    } cases[] = {
        {true, QString(), 0, kXmlSaveNoPath, true},
        {false, QString(), 0, kXmlSaveNoDocument, false},
        {true, QString(), 1, kXmlSaveOk, false}, // releasing without a path only drops it
        {false, QString(), 1, kXmlSaveOk, false},
        {false, path, 1, kXmlSaveNoDocument, false},
        {true, box.path(), 1, kXmlSaveBadTarget, true},
        {true, readOnly, 1, permissionsBind ? kXmlSaveBadTarget : kXmlSaveOk, permissionsBind},
        {true, folderless, 1, kXmlSaveWriteFailed, true},
        {true, path, 0, kXmlSaveOk, true},
        {true, path, 1, kXmlSaveOk, false},
    };
    for (const auto& c : cases) {
        XmlDocPtr doc = c.document ? newDoc() : nullptr;
        EXPECT_EQ(SaveXMLAndReleaseDoc(doc, c.path, c.release), c.result)
            << c.path.toStdString() << " release " << c.release;
        EXPECT_EQ(doc != nullptr, c.keptAfter) << c.path.toStdString() << " release " << c.release;
    }
    EXPECT_EQ(readFile(readOnly), permissionsBind ? QByteArray("old") : readFile(path));
    EXPECT_EQ(readFile(path), QByteArray("<krroot />\n"));
}

// Instructions are added as asked (a declaration first, replacing one there in place, any other
// after the root) but never with data that would end them early, nor without a target. The
// declaration is written as a strict parser takes it, which the loader need not: version 1.0, a
// declared encoding other than UTF-8 corrected, what no declaration may hold dropped.
TEST_F(XmlHelpers, InstructionsAreAddedAsAskedAndTheDeclarationWrittenAsAStrictParserTakesIt) {
    const struct {
        const char* document;
        const char* target;
        const char* data;
        const char* written;
    } cases[] = {
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
    for (const auto& c : cases) {
        XmlDocPtr doc = CreateXMLDoc();
        ASSERT_TRUE(doc->load_string(c.document, pugi::parse_full));
        if (c.target)
            AddProcessingInstruction(*doc, QString::fromUtf8(c.target), QString::fromUtf8(c.data));
        ASSERT_EQ(SaveXMLAndReleaseDoc(doc, path, 1), kXmlSaveOk);
        EXPECT_EQ(readFile(path), QByteArray(c.written))
            << c.document << ' ' << (c.data ? c.data : "");
    }
}

TEST_F(XmlHelpers, NodesAreFoundOrMadeAndTheirTextReadBack) {
    XmlDocPtr doc = CreateXMLDoc();
    pugi::xml_node root = GetNode(*doc, *doc, QStringLiteral("krroot"), 1, QString());
    // An existing node keeps its text; the default only applies to a new one.
    SetNodeText(GetNode(*doc, root, QStringLiteral("id"), 1, QStringLiteral("ZQAV")), "A & <B>");
    EXPECT_EQ(GetNodeText(GetNode(*doc, root, QStringLiteral("id"), 1, QStringLiteral("X"))),
              QStringLiteral("A & <B>"));
    EXPECT_FALSE(GetNode(*doc, root, QStringLiteral("absent"), 0, QStringLiteral("t")));

    AddXMLLeafNode(*doc, root, QStringLiteral("member"), QStringLiteral("ANN"));
    AddXMLLeafNode(*doc, root, QStringLiteral("member"), QStringLiteral("BOB"));
    EXPECT_EQ(GetNodeTextXPath(*doc, root, QStringLiteral("member[2]"), QString()),
              QStringLiteral("BOB"));
    EXPECT_EQ(GetNodeTextXPath(*doc, root, QStringLiteral("count(member)"), QString()),
              QStringLiteral("2"));
    for (const QString& xpath : {QStringLiteral("absent"), QStringLiteral("member[["), QString()})
        EXPECT_EQ(GetNodeTextXPath(*doc, root, xpath, QStringLiteral("d")), QStringLiteral("d"));

    // Null parents and empty names make nothing; an empty text makes an empty element.
    EXPECT_FALSE(GetNode(*doc, pugi::xml_node(), QStringLiteral("x"), 1, QString()));
    EXPECT_FALSE(GetNode(*doc, root, QString(), 1, QString()));
    EXPECT_FALSE(AddXMLLeafNode(*doc, pugi::xml_node(), QStringLiteral("x"), QString()));
    EXPECT_FALSE(AddXMLLeafNode(*doc, root, QString(), QStringLiteral("t")));
    SetNodeText(GetNode(*doc, root, QStringLiteral("id"), 0, QString()), QString());
    AddXMLLeafNode(*doc, root, QStringLiteral("leaf"), QString());
    GetNode(*doc, root, QStringLiteral("made"), 1, QString());
    std::ostringstream printed;
    doc->save(printed, "", pugi::format_raw | pugi::format_no_declaration);
    EXPECT_EQ(printed.str(), "<krroot><id/><member>ANN</member><member>BOB</member><leaf/>"
                             "<made/></krroot>");
    // A name beyond ASCII is compared whole: "é" is not "ée".
    GetNode(*doc, root, QStringLiteral("\u00E9e"), 1, QString());
    EXPECT_FALSE(GetNode(*doc, root, QStringLiteral("\u00E9"), 0, QString()));
}

// A node's text gathers every text and CDATA below it, not comments or instructions: empty for an
// empty element, null only for a null node. Many fields found in one pass give what a lookup per
// field gives: the first element of each name, in whatever order the file has them; instructions
// of the same name are not elements.
TEST_F(XmlHelpers, NodeTextGathersTheTextBelowAndOnePassFindsTheFirstElementOfEachName) {
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string("<r><t><![CDATA[a<b]]></t><?a pi?><m>1<i>2<j>3</j></i><!--x--><k/>"
                                "<![CDATA[4]]></m><a>5</a><t>again</t></r>",
                                pugi::parse_full));
    const pugi::xml_node r = doc.child("r");
    const char* names[] = {"a", "t", "m", "d"};
    pugi::xml_node found[4];
    FindChildElements(r, names, found, 4);
    EXPECT_EQ(GetNodeText(found[0]) + GetNodeText(found[1]) + GetNodeText(found[2]), "5a<b1234");
    EXPECT_FALSE(found[3]);
    EXPECT_EQ(GetChildText(r, "a"), QStringLiteral("5"));
    EXPECT_EQ(GetNodeText(found[1].first_child()), QStringLiteral("a<b")); // the text itself
    EXPECT_EQ(GetNodeText(r), QStringLiteral("a<b12345again"));
    EXPECT_FALSE(GetNodeText(found[2].child("k")).isNull());
    EXPECT_TRUE(GetNodeText(found[2].child("k")).isEmpty());
    EXPECT_TRUE(GetNodeText(pugi::xml_node()).isNull());
    EXPECT_EQ(GetNodeTextXPath(doc, pugi::xml_node(), QStringLiteral("//i/text()"), QString()),
              QStringLiteral("2"));
    // On a text node SetNodeText sets its value; on an instruction it does nothing.
    SetNodeText(found[0].first_child(), QStringLiteral("6"));
    EXPECT_EQ(GetNodeText(found[0]), QStringLiteral("6"));
    SetNodeText(r.child("a"), QStringLiteral("w")); // child() finds the instruction, named "a" too
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
        {in({}, "AB&#x0;CD&#0;E&#x1;F&#31;G"), "AB" + r + "CD" + r + "E" + r + "F" + r + "G"},
        {in({}, "A&#xFFFF;B&#xFFFE;C&#xD800;D"), "A" + r + "B" + r + "C" + r + "D"},
        {in({}, "A\x01"
                "B\x1F"
                "C\xEF\xBF\xBF"
                "D\xEF\xBF\xBE"
                "E"),
         "A" + r + "B" + r + "C" + r + "D" + r + "E"},
        {in({}, "A&#x9;B&#233;C&#13;D&#xD;&#xA;E"), QStringLiteral("A\tB\u00E9C\rD\r\nE")},
        {in({}, "<![CDATA[A&#x0;B]]>"), QStringLiteral("A&#x0;B")},
    };
    for (const auto& [bytes, text] : cases) {
        ASSERT_TRUE(writeFile(path, bytes));
        EXPECT_EQ(textOf(path, "/krroot/t"), text) << bytes.toStdString();
        const QByteArray first = loadAndSave(path);
        EXPECT_FALSE(first.isEmpty() || first.contains("ISO-8859-1"));
        EXPECT_EQ(textOf(path, "/krroot/t") + textOf(path, "/krroot/u"), text + "end");
        EXPECT_EQ(loadAndSave(path), first) << bytes.toStdString();
        EXPECT_TRUE(strictParserTakes(path)) << bytes.toStdString();
    }

    // What a page stores (a pasted control character) is cleaned on the way out.
    XmlDocPtr doc = newDoc();
    SetNodeText(GetNode(*doc, doc->child("krroot"), QStringLiteral("t"), 1, QString()),
                QStringLiteral("A\u0001B\uFFFFC\U0001F600"));
    ASSERT_EQ(SaveXMLAndReleaseDoc(doc, path, 1), kXmlSaveOk);
    EXPECT_EQ(textOf(path, "/krroot/t"), "A" + r + "B" + r + QStringLiteral("C\U0001F600"));
    EXPECT_TRUE(strictParserTakes(path));
}

// A save killed before its rename leaves its temporary file; the next save in that folder removes
// such files once they are old, but never a fresh one or one a live save still holds.
TEST_F(XmlHelpers, ALaterSaveRemovesWhatKilledSavesLeft) {
    QStringList names = {".kestrel-save-AAAAAA", ".kestrel-save-BBBBBB", ".kestrel-save-CCCCCC",
                         ".other-save-DDDDDD"};
    for (const QString& name : names) {
        QFile file(box.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        if (!name.contains(QLatin1Char('B'))) { // the fresh one
            ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                         QFileDevice::FileModificationTime));
        }
    }
    const int lock = ::open(QFile::encodeName(box.filePath(names[2])).constData(), O_RDONLY);
    ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);
    ASSERT_TRUE(writeFile(path, "<krroot/>"));
    EXPECT_FALSE(loadAndSave(path).isEmpty());
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
