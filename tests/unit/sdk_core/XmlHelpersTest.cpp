#include "sdk/XmlHelpers.h"

#include "FileSizeCap.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

XmlDocPtr newProjectLikeDoc() {
    XmlDocPtr doc = CreateXMLDoc();
    AddProcessingInstruction(*doc, QStringLiteral("xml"), QStringLiteral("version=\"1.0\" "));
    AddProcessingInstruction(*doc, QStringLiteral("xml-stylesheet"),
                             QStringLiteral("type=\"text/xsl\" href=\"KR_Project.xsl\""));
    AddProcessingInstruction(*doc, QStringLiteral("filetype"),
                             QStringLiteral("type=\"MasterProfile\""));
    pugi::xml_node root = GetNode(*doc, *doc, QStringLiteral("krroot"), 1, QString());
    AddXMLLeafNode(*doc, root, QStringLiteral("title"), QStringLiteral("Caf\u00e9 & <Bar>"));
    return doc;
}

unsigned modeOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 0u;
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

TEST(XmlHelpers, NewDocumentWritesOneDeclarationThenItsInstructions) {
    QTemporaryDir box;
    ASSERT_TRUE(box.isValid());
    const QString path = box.path() + QStringLiteral("/p.xml");
    XmlDocPtr doc = newProjectLikeDoc();
    // A second "xml" instruction replaces the declaration instead of adding one.
    AddProcessingInstruction(*doc, QStringLiteral("xml"), QStringLiteral("version=\"1.0\" "));
    ASSERT_EQ(SaveXMLAndReleaseDoc(doc, path, 0), 0);
    ASSERT_TRUE(doc);

    const QList<QByteArray> lines = readFile(path).split('\n');
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines[0], "<?xml version=\"1.0\"?>");
    EXPECT_EQ(lines[1], "<?xml-stylesheet type=\"text/xsl\" href=\"KR_Project.xsl\"?>");
    EXPECT_EQ(lines[2], "<?filetype type=\"MasterProfile\"?>");
    EXPECT_EQ(lines[3], "<krroot>");
    EXPECT_EQ(readFile(path).count("<?xml "), 1);
    EXPECT_TRUE(readFile(path).contains("<title>Caf\xc3\xa9 &amp; &lt;Bar&gt;</title>"));
}

TEST(XmlHelpers, LoadedFileKeepsItsOwnPreambleThroughASave) {
    QTemporaryDir box;
    ASSERT_TRUE(box.isValid());
    const QString path = box.path() + QStringLiteral("/own.xml");
    ASSERT_TRUE(writeFile(path, "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                                "<!-- made by hand -->\n"
                                "<?xml-stylesheet type=\"text/xsl\" href=\"Other.xsl\"?>\n"
                                "<krroot><blank> </blank><a>x</a></krroot>\n"));
    XmlDocPtr doc = LoadXMLDoc(path);
    ASSERT_TRUE(doc);
    EXPECT_EQ(
        GetNodeText(GetNode(*doc, doc->document_element(), QStringLiteral("blank"), 0, QString())),
        QStringLiteral(" "));
    ASSERT_EQ(SaveXMLAndReleaseDoc(doc, path, 1), 0);
    EXPECT_FALSE(doc);

    const QByteArray text = readFile(path);
    EXPECT_TRUE(text.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                                "<!-- made by hand -->\n"
                                "<?xml-stylesheet type=\"text/xsl\" href=\"Other.xsl\"?>\n"));
    EXPECT_EQ(text.count("<?xml "), 1);
    EXPECT_TRUE(text.contains("<blank> </blank>"));

    // A file without a declaration does not gain one.
    ASSERT_TRUE(writeFile(path, "<krroot/>"));
    doc = LoadXMLDoc(path);
    ASSERT_EQ(SaveXMLAndReleaseDoc(doc, path, 1), 0);
    EXPECT_FALSE(readFile(path).contains("<?xml"));
}

TEST(XmlHelpers, DeclaredLegacyEncodingIsReadAndWrittenBackAsUtf8) {
    QTemporaryDir box;
    ASSERT_TRUE(box.isValid());
    const QString path = box.path() + QStringLiteral("/latin.xml");
    ASSERT_TRUE(writeFile(
        path, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><krroot><t>Caf\xe9</t></krroot>"));
    XmlDocPtr doc = LoadXMLDoc(path);
    ASSERT_TRUE(doc);
    EXPECT_EQ(GetNodeTextXPath(*doc, pugi::xml_node(), QStringLiteral("/krroot/t"), QString()),
              QStringLiteral("Caf\u00e9"));
    ASSERT_EQ(SaveXMLAndReleaseDoc(doc, path, 1), 0);
    const QByteArray text = readFile(path);
    EXPECT_TRUE(text.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    EXPECT_TRUE(text.contains("Caf\xc3\xa9"));
}

TEST(XmlHelpers, LoadRefusesWhatIsNotAWellFormedFile) {
    QTemporaryDir box;
    ASSERT_TRUE(box.isValid());
    const QString path = box.path() + QStringLiteral("/bad.xml");

    EXPECT_FALSE(LoadXMLDoc(QString()));
    EXPECT_FALSE(LoadXMLDoc(box.path() + QStringLiteral("/missing.xml")));
    EXPECT_FALSE(LoadXMLDoc(box.path())); // a folder
    for (const QByteArray& bytes :
         {QByteArray(), QByteArray("   \n"), QByteArray("not xml at all"),
          QByteArray("<krroot><project></krroot>"), QByteArray("<krroot>"),
          QByteArray("<?xml version=\"1.0\"?>"), QByteArray("\x00\x01\x02<krroot/>", 12)}) {
        ASSERT_TRUE(writeFile(path, bytes));
        EXPECT_FALSE(LoadXMLDoc(path)) << bytes.toStdString();
    }

    // Oversized: refused from its size alone (the sparse file costs no disk).
    const QString huge = box.path() + QStringLiteral("/huge.xml");
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(kXmlMaxFileBytes + 1));
    }
    EXPECT_FALSE(LoadXMLDoc(huge));
}

TEST(XmlHelpers, HostileInputIsHandledWithoutExpansionOrDeepTrees) {
    QTemporaryDir box;
    ASSERT_TRUE(box.isValid());
    const QString path = box.path() + QStringLiteral("/hostile.xml");

    // Entity declarations are kept as a DOCTYPE but never expanded.
    ASSERT_TRUE(
        writeFile(path, "<?xml version=\"1.0\"?>\n"
                        "<!DOCTYPE lolz [<!ENTITY lol \"lol\">"
                        "<!ENTITY lol2 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">"
                        "<!ENTITY lol3 \"&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;\">"
                        "<!ENTITY ext SYSTEM \"file:///etc/passwd\">]>\n"
                        "<krroot><t>&lol3;</t><u>&ext;</u></krroot>"));
    XmlDocPtr doc = LoadXMLDoc(path);
    ASSERT_TRUE(doc);
    EXPECT_EQ(GetNodeTextXPath(*doc, pugi::xml_node(), QStringLiteral("/krroot/t"), QString()),
              QStringLiteral("&lol3;"));
    EXPECT_EQ(GetNodeTextXPath(*doc, pugi::xml_node(), QStringLiteral("/krroot/u"), QString()),
              QStringLiteral("&ext;"));

    // Nesting deeper than any project record is refused; a moderate depth is fine.
    auto nested = [](int depth) {
        return QByteArray("<a>").repeated(depth) + "x" + QByteArray("</a>").repeated(depth);
    };
    ASSERT_TRUE(writeFile(path, nested(kXmlMaxDepth - 1)));
    EXPECT_TRUE(LoadXMLDoc(path));
    ASSERT_TRUE(writeFile(path, nested(kXmlMaxDepth + 1)));
    EXPECT_FALSE(LoadXMLDoc(path));
    ASSERT_TRUE(writeFile(path, nested(200000)));
    EXPECT_FALSE(LoadXMLDoc(path));
}

TEST(XmlHelpers, GetNodeFindsCreatesOrLeavesAlone) {
    XmlDocPtr doc = CreateXMLDoc();
    // A processing instruction of the same name is not an element.
    AddProcessingInstruction(*doc, QStringLiteral("krroot"), QStringLiteral("x"));
    EXPECT_FALSE(GetNode(*doc, *doc, QStringLiteral("krroot"), 0, QString()));
    pugi::xml_node root = GetNode(*doc, *doc, QStringLiteral("krroot"), 1, QString());
    ASSERT_TRUE(root);
    EXPECT_EQ(GetNode(*doc, *doc, QStringLiteral("krroot"), 1, QString()), root);

    pugi::xml_node id = GetNode(*doc, root, QStringLiteral("id"), 1, QStringLiteral("ZQAV"));
    EXPECT_EQ(GetNodeText(id), QStringLiteral("ZQAV"));
    // An existing node keeps its text; the default only applies to a new one.
    SetNodeText(id, QStringLiteral("ABCD"));
    EXPECT_EQ(GetNodeText(GetNode(*doc, root, QStringLiteral("id"), 1, QStringLiteral("ZQAV"))),
              QStringLiteral("ABCD"));

    EXPECT_FALSE(GetNode(*doc, root, QStringLiteral("absent"), 0, QStringLiteral("t")));
    EXPECT_FALSE(root.child("absent"));
    EXPECT_FALSE(GetNode(*doc, pugi::xml_node(), QStringLiteral("x"), 1, QString()));
    EXPECT_FALSE(GetNode(*doc, root, QString(), 1, QString()));
    // The usual reader chain on a missing element reads as "".
    EXPECT_EQ(GetNodeText(GetNode(*doc, root, QStringLiteral("absent"), 0, QString())), QString());

    // Leaf nodes are appended even when one of that name exists.
    AddXMLLeafNode(*doc, root, QStringLiteral("member"), QStringLiteral("1"));
    AddXMLLeafNode(*doc, root, QStringLiteral("member"), QString());
    EXPECT_EQ(std::distance(root.children("member").begin(), root.children("member").end()), 2);
    EXPECT_EQ(GetNodeText(GetNode(*doc, root, QStringLiteral("member"), 0, QString())),
              QStringLiteral("1"));
    EXPECT_FALSE(AddXMLLeafNode(*doc, pugi::xml_node(), QStringLiteral("x"), QString()));
}

TEST(XmlHelpers, NodeTextReadsAndReplacesAllCharacterData) {
    XmlDocPtr doc = CreateXMLDoc();
    ASSERT_TRUE(doc->load_string("<r><m>a<!--c-->b<![CDATA[<c>]]><i>d</i></m><e/></r>"));
    pugi::xml_node m = doc->child("r").child("m");
    EXPECT_EQ(GetNodeText(m), QStringLiteral("ab<c>d"));
    EXPECT_EQ(GetNodeText(doc->child("r").child("e")), QString());
    EXPECT_EQ(GetNodeText(pugi::xml_node()), QString());

    SetNodeText(m, QStringLiteral("line 1\nline 2 & more"));
    EXPECT_EQ(GetNodeText(m), QStringLiteral("line 1\nline 2 & more"));
    EXPECT_FALSE(m.child("i"));
    SetNodeText(m, QString());
    EXPECT_FALSE(m.first_child());
    SetNodeText(pugi::xml_node(), QStringLiteral("ignored"));
}

TEST(XmlHelpers, XPathTextFromDocumentOrContext) {
    XmlDocPtr doc = CreateXMLDoc();
    ASSERT_TRUE(doc->load_string("<krroot><project><reference_no>A1-00042-2002</reference_no>"
                                 "<member_group><member n=\"1\"><member_name>ANN</member_name>"
                                 "</member><member n=\"2\"><member_name>BOB</member_name></member>"
                                 "</member_group></project></krroot>"));
    pugi::xml_node group = doc->child("krroot").child("project").child("member_group");
    const QString none;
    EXPECT_EQ(GetNodeTextXPath(*doc, pugi::xml_node(),
                               QStringLiteral("/krroot/project/reference_no"), none),
              QStringLiteral("A1-00042-2002"));
    EXPECT_EQ(GetNodeTextXPath(*doc, group, QStringLiteral("member/member_name"), none),
              QStringLiteral("ANN"));
    EXPECT_EQ(GetNodeTextXPath(*doc, group.last_child(), QStringLiteral("member_name"), none),
              QStringLiteral("BOB"));
    EXPECT_EQ(GetNodeTextXPath(*doc, group, QStringLiteral("member[2]/@n"), none),
              QStringLiteral("2"));
    EXPECT_EQ(GetNodeTextXPath(*doc, group, QStringLiteral("count(member)"), none),
              QStringLiteral("2"));
    // Absolute paths ignore the context.
    EXPECT_EQ(GetNodeTextXPath(*doc, group, QStringLiteral("//reference_no"), none),
              QStringLiteral("A1-00042-2002"));

    EXPECT_EQ(GetNodeTextXPath(*doc, group, QStringLiteral("member/absent"), QStringLiteral("d")),
              QStringLiteral("d"));
    EXPECT_EQ(GetNodeTextXPath(*doc, group, QStringLiteral("member[["), QStringLiteral("d")),
              QStringLiteral("d"));
    EXPECT_EQ(GetNodeTextXPath(*doc, group, QString(), QStringLiteral("d")), QStringLiteral("d"));
}

TEST(XmlHelpers, SaveIsAtomicAndKeepsPermissionsAndLinks) {
    QTemporaryDir box;
    ASSERT_TRUE(box.isValid());
    const QString path = box.path() + QStringLiteral("/p.xml");
    ASSERT_TRUE(writeFile(path, "old"));
    ASSERT_TRUE(
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));

    XmlDocPtr doc = newProjectLikeDoc();
    ASSERT_EQ(SaveXMLAndReleaseDoc(doc, path, 0), 0);
    EXPECT_TRUE(readFile(path).startsWith("<?xml version=\"1.0\"?>\n"));
    EXPECT_EQ(modeOf(path), 0640u);
    EXPECT_EQ(entries(box.path()), QStringList{QStringLiteral("p.xml")});

    // Saving through a symbolic link writes the file it points to and keeps the link.
    const QString link = box.path() + QStringLiteral("/link.xml");
    ASSERT_TRUE(QFile::link(path, link));
    ASSERT_TRUE(writeFile(path, "old"));
    ASSERT_EQ(SaveXMLAndReleaseDoc(doc, link, 0), 0);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(readFile(path).startsWith("<?xml"));

    // A new file in a new place.
    const QString fresh = box.path() + QStringLiteral("/fresh.xml");
    ASSERT_EQ(SaveXMLAndReleaseDoc(doc, fresh, 1), 0);
    EXPECT_FALSE(doc);
    EXPECT_EQ(readFile(fresh), readFile(path));
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(modeOf(fresh), 0666u & ~unsigned(mask));
}

TEST(XmlHelpers, FailedSaveLeavesFileAndDocumentAsTheyWere) {
    QTemporaryDir box;
    ASSERT_TRUE(box.isValid());
    const QString path = box.path() + QStringLiteral("/p.xml");
    const QByteArray previous = "<?xml version=\"1.0\"?>\n<krroot>previous</krroot>\n";
    ASSERT_TRUE(writeFile(path, previous));

    XmlDocPtr doc = newProjectLikeDoc();
    pugi::xml_node root = doc->document_element();
    for (int i = 0; i < 200; ++i)
        AddXMLLeafNode(*doc, root, QStringLiteral("member"), QStringLiteral("padding text"));
    {
        // The disk "fills up" half-way through the write, even with release requested.
        FileSizeCap cap(1024);
        EXPECT_NE(SaveXMLAndReleaseDoc(doc, path, 1), 0);
    }
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->document_element(), root);
    EXPECT_EQ(readFile(path), previous);
    EXPECT_EQ(entries(box.path()), QStringList{QStringLiteral("p.xml")});

    // The path names a folder, or lies under a plain file, or in a folder that does not exist.
    EXPECT_EQ(SaveXMLAndReleaseDoc(doc, box.path(), 1), kXmlSaveBadTarget);
    EXPECT_NE(SaveXMLAndReleaseDoc(doc, path + QStringLiteral("/x.xml"), 1), 0);
    EXPECT_NE(SaveXMLAndReleaseDoc(doc, box.path() + QStringLiteral("/no/x.xml"), 1), 0);
    ASSERT_TRUE(doc);
    EXPECT_EQ(readFile(path), previous);

    // The same document saves once the obstacle is gone.
    EXPECT_EQ(SaveXMLAndReleaseDoc(doc, path, 1), 0);
    EXPECT_FALSE(doc);
    EXPECT_NE(readFile(path), previous);
}

TEST(XmlHelpers, SaveFailsInAReadOnlyFolder) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    QTemporaryDir box;
    ASSERT_TRUE(box.isValid());
    const QString path = box.path() + QStringLiteral("/p.xml");
    ASSERT_TRUE(writeFile(path, "previous"));
    ASSERT_TRUE(QFile::setPermissions(box.path(), QFile::ReadOwner | QFile::ExeOwner));
    XmlDocPtr doc = newProjectLikeDoc();
    EXPECT_NE(SaveXMLAndReleaseDoc(doc, path, 1), 0);
    QFile::setPermissions(box.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(doc);
    EXPECT_EQ(readFile(path), "previous");
}

TEST(XmlHelpers, ReleaseWithoutPathDropsTheDocument) {
    XmlDocPtr doc = newProjectLikeDoc();
    EXPECT_EQ(SaveXMLAndReleaseDoc(doc, QString(), 0), kXmlSaveNoPath);
    EXPECT_TRUE(doc);
    EXPECT_EQ(SaveXMLAndReleaseDoc(doc, QString(), 1), 0);
    EXPECT_FALSE(doc);
    EXPECT_EQ(SaveXMLAndReleaseDoc(doc, QString(), 1), 0);
    EXPECT_EQ(SaveXMLAndReleaseDoc(doc, QStringLiteral("/tmp/x.xml"), 0), kXmlSaveNoDocument);
}
