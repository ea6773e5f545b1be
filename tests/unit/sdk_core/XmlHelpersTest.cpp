// The XML helpers beneath the project document. What the document itself guarantees (its
// instructions, atomic save, hostile files) is tested through the document; here, what lies
// beside it.
#include "sdk/XmlHelpers.h"

#include "TestFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

class XmlHelpers : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(box.isValid()); }
    QTemporaryDir box;
    const QString path = box.filePath(QStringLiteral("p.xml"));
};

unsigned modeOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 0u;
}

QByteArray nested(int depth) {
    return QByteArray("<a>").repeated(depth) + "x" + QByteArray("</a>").repeated(depth);
}

TEST_F(XmlHelpers, LoadRefusesWhatIsNotAWellFormedFileOfSaneSize) {
    EXPECT_FALSE(LoadXMLDoc(QString()));
    EXPECT_FALSE(LoadXMLDoc(box.filePath(QStringLiteral("missing.xml"))));
    EXPECT_FALSE(LoadXMLDoc(box.path())); // a folder
    for (const QByteArray& bytes :
         {QByteArray(), QByteArray("not xml at all"), QByteArray("<krroot><project></krroot>"),
          QByteArray("<?xml version=\"1.0\"?>"), QByteArray("\x00\x01\x02<krroot/>", 12),
          nested(kXmlMaxDepth + 1)}) {
        ASSERT_TRUE(writeFile(path, bytes));
        EXPECT_FALSE(LoadXMLDoc(path)) << bytes.left(40).toStdString();
    }
    ASSERT_TRUE(writeFile(path, nested(kXmlMaxDepth - 1)));
    EXPECT_TRUE(LoadXMLDoc(path));
    // Oversized: refused from its size alone (the sparse file costs no disk).
    QFile huge(path);
    ASSERT_TRUE(huge.resize(kXmlMaxFileBytes + 1));
    EXPECT_FALSE(LoadXMLDoc(path));
}

// The depth is read from the bytes before parsing. Whatever a well-formed file holds between its
// tags (comments, CDATA, instructions, quoted '>' and "/>", a DOCTYPE with an internal subset)
// must not change the count; files in UTF-16 are measured on the tree instead.
TEST_F(XmlHelpers, DepthLimitCountsElementsWhateverLiesBetweenThem) {
    const auto deep = [](int depth, const QByteArray& inside, const QByteArray& prolog = {}) {
        return prolog + QByteArray("<a x='1'>").repeated(depth - 1) + inside +
               QByteArray("</a>").repeated(depth - 1);
    };
    const QByteArray noise =
        "<!-- <a><a><a> --><![CDATA[<a><a>]]><?pi <a><a>?><b q=\"/>\" r='>'>t</b><c/><d></d>";
    const QByteArray doctype = "<!DOCTYPE a [ <!ENTITY e \"<a>\"> <!-- ]> --> <?p > ?> ]>";
    struct Case {
        const char* what;
        QByteArray bytes;
        bool accepted;
    };
    const Case cases[] = {
        {"exactly at the limit", deep(kXmlMaxDepth, "<e/>"), true},
        {"one past the limit", deep(kXmlMaxDepth, "<e><f/></e>"), false},
        {"an empty element past the limit", deep(kXmlMaxDepth + 1, "<e/>"), false},
        {"at the limit, noise between tags", deep(kXmlMaxDepth, noise), true},
        {"at the limit after a DOCTYPE", deep(kXmlMaxDepth, "<e/>", doctype), true},
        {"past the limit after a DOCTYPE", deep(kXmlMaxDepth + 1, "<e/>", doctype), false},
        // Deep subtrees that close again do not add up.
        {"many deep siblings",
         "<r>" + QByteArray("<a>").repeated(kXmlMaxDepth - 1) +
             QByteArray("</a>").repeated(kXmlMaxDepth - 1) +
             QByteArray("<a>").repeated(kXmlMaxDepth - 1) +
             QByteArray("</a>").repeated(kXmlMaxDepth - 1) + "</r>",
         true},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(writeFile(path, c.bytes));
        EXPECT_EQ(LoadXMLDoc(path) != nullptr, c.accepted) << c.what;
    }
    for (int depth : {kXmlMaxDepth, kXmlMaxDepth + 1}) {
        const QString text = QString::fromLatin1(deep(depth, "<e/>"));
        QByteArray utf16("\xFF\xFE");
        utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        ASSERT_TRUE(writeFile(path, utf16));
        EXPECT_EQ(LoadXMLDoc(path) != nullptr, depth == kXmlMaxDepth) << "UTF-16, " << depth;
    }
}

// Many fields found in one pass give what a lookup per field gives: the first element of each
// name, in whatever order the file has them; instructions of the same name are not elements.
TEST_F(XmlHelpers, ChildElementsFoundInOnePassAreTheFirstOfTheirName) {
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string("<m><c>3</c><?a pi?><a>1</a><b>2</b><a>again</a><x/><c>4</c></m>",
                                pugi::parse_full));
    const char* names[] = {"a", "b", "c", "d"};
    pugi::xml_node found[4];
    FindChildElements(doc.child("m"), names, found, 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(found[i],
                  GetNode(doc, doc.child("m"), QString::fromLatin1(names[i]), 0, QString()))
            << names[i];
    EXPECT_EQ(GetNodeText(found[0]), QStringLiteral("1"));
    EXPECT_EQ(GetNodeText(found[2]), QStringLiteral("3"));
    EXPECT_FALSE(found[3]);
    EXPECT_EQ(GetChildText(doc.child("m"), "a"), QStringLiteral("1"));
    EXPECT_EQ(GetChildText(doc.child("m"), "pi"), QString());
}

TEST_F(XmlHelpers, DeclaredLegacyEncodingIsReadAndWrittenBackAsUtf8) {
    ASSERT_TRUE(writeFile(
        path, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><krroot><t>Caf\xe9</t></krroot>"));
    XmlDocPtr doc = LoadXMLDoc(path);
    ASSERT_TRUE(doc);
    EXPECT_EQ(GetNodeTextXPath(*doc, pugi::xml_node(), QStringLiteral("/krroot/t"), QString()),
              QStringLiteral("Caf\u00e9"));
    ASSERT_EQ(SaveXMLAndReleaseDoc(doc, path, 1), 0);
    EXPECT_TRUE(readFile(path).startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    EXPECT_TRUE(readFile(path).contains("Caf\xc3\xa9"));
}

TEST_F(XmlHelpers, SaveKeepsPermissionsAndSymbolicLinks) {
    ASSERT_TRUE(writeFile(path, "old"));
    ASSERT_TRUE(
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    const QString link = box.filePath(QStringLiteral("link.xml"));
    ASSERT_TRUE(QFile::link(path, link));
    XmlDocPtr doc = CreateXMLDoc();
    GetNode(*doc, *doc, QStringLiteral("krroot"), 1, QString());
    ASSERT_EQ(SaveXMLAndReleaseDoc(doc, link, 1), 0);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(readFile(path).contains("<krroot"));
    EXPECT_EQ(modeOf(path), 0640u);
}

TEST_F(XmlHelpers, NodesAreFoundOrMadeAndTheirTextReadBack) {
    XmlDocPtr doc = CreateXMLDoc();
    pugi::xml_node root = GetNode(*doc, *doc, QStringLiteral("krroot"), 1, QString());
    ASSERT_TRUE(root);
    EXPECT_EQ(GetNode(*doc, *doc, QStringLiteral("krroot"), 1, QString()), root);
    // An existing node keeps its text; the default only applies to a new one.
    SetNodeText(GetNode(*doc, root, QStringLiteral("id"), 1, QStringLiteral("ZQAV")),
                QStringLiteral("A & <B>"));
    EXPECT_EQ(GetNodeText(GetNode(*doc, root, QStringLiteral("id"), 1, QStringLiteral("ZQAV"))),
              QStringLiteral("A & <B>"));
    EXPECT_FALSE(GetNode(*doc, root, QStringLiteral("absent"), 0, QStringLiteral("t")));
    EXPECT_EQ(GetNodeText(GetNode(*doc, root, QStringLiteral("absent"), 0, QString())), QString());

    AddXMLLeafNode(*doc, root, QStringLiteral("member"), QStringLiteral("ANN"));
    AddXMLLeafNode(*doc, root, QStringLiteral("member"), QStringLiteral("BOB"));
    EXPECT_EQ(GetNodeTextXPath(*doc, root, QStringLiteral("member[2]"), QString()),
              QStringLiteral("BOB"));
    for (const QString& xpath : {QStringLiteral("absent"), QStringLiteral("member[["), QString()})
        EXPECT_EQ(GetNodeTextXPath(*doc, root, xpath, QStringLiteral("d")), QStringLiteral("d"));
}

} // namespace
