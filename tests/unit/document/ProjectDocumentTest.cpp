#include "document/ProjectDocument.h"

#include "FileSizeCap.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

#include <unistd.h>

namespace {

// Stands in for a page: notes every call and what it was given, writes one marker element.
class FakeGroup : public CXmlRecordGroup {
public:
    FakeGroup(QString name, QStringList* journal) : m_name(std::move(name)), m_journal(journal) {}

    QString WriteXml(pugi::xml_document& doc, pugi::xml_node node) override {
        m_journal->append(QStringLiteral("write ") + QString::fromUtf8(node.name()));
        AddXMLLeafNode(doc, node, QStringLiteral("written"), m_name);
        return QString();
    }
    QString ReadXml(pugi::xml_document& doc, pugi::xml_node node) override {
        m_journal->append(QStringLiteral("read ") + QString::fromUtf8(node.name()));
        readNodeName = QString::fromUtf8(node.name());
        readCount = 0;
        for (pugi::xml_node child : node.children())
            if (child.type() == pugi::node_element)
                ++readCount;
        readText = GetNodeText(node);
        Q_UNUSED(doc);
        return QString();
    }

    QString readNodeName;
    int readCount = -1;
    QString readText;

private:
    QString m_name;
    QStringList* m_journal;
};

// A document wired to two fake pages and a reference that the profile "composes".
struct Harness {
    QStringList journal;
    FakeGroup profile{QStringLiteral("profile data"), &journal};
    FakeGroup members{QStringLiteral("member data"), &journal};
    QString loadedReference = QStringLiteral("<never set>");
    QString composed = QStringLiteral("A123-00042-2002");
    CProjectDocument document;

    Harness() {
        ProjectParts parts;
        parts.profile = &profile;
        parts.memberGroup = &members;
        parts.setLoadedReference = [this](const QString& text) {
            journal.append(QStringLiteral("loaded reference"));
            loadedReference = text;
        };
        parts.composedReference = [this] {
            journal.append(QStringLiteral("compose"));
            return composed;
        };
        document.SetParts(std::move(parts));
    }
};

class ProjectDocumentTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_box.isValid()); }

    QString pathIn(const QString& name) const { return m_box.path() + QLatin1Char('/') + name; }

    // A private copy of a file of tests/data/documents, so the originals are never touched.
    QString copyOfSample(const QString& name) {
        const QString from = QStringLiteral(KESTREL_TEST_DATA_DIR "/documents/") + name;
        const QString to = pathIn(name);
        EXPECT_TRUE(QFile::copy(from, to)) << from.toStdString();
        QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
        return to;
    }

    QStringList folderEntries() const {
        return QDir(m_box.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir m_box;
};

int countOf(const QByteArray& text, const char* what) {
    return int(text.count(what));
}

} // namespace

TEST_F(ProjectDocumentTest, NewDocumentIsWrittenWithItsInstructionsAndSkeletonInOrder) {
    Harness h;
    const QString path = pathIn(QStringLiteral("new.xml"));
    h.document.LoadDocument(path);
    EXPECT_EQ(h.document.DocumentOrigin(), CProjectDocument::Origin::NewMissingFile);
    EXPECT_TRUE(h.document.BackupPath().isEmpty());
    EXPECT_EQ(h.document.FilePath(), path);
    EXPECT_EQ(h.loadedReference, QString());
    EXPECT_EQ(h.journal,
              (QStringList{QStringLiteral("loaded reference"), QStringLiteral("read profile"),
                           QStringLiteral("read member_group")}));

    h.journal.clear();
    ASSERT_TRUE(h.document.RebuildProjectNode());
    // The reference is asked for only after the pages have written (the profile composes it).
    EXPECT_EQ(h.journal,
              (QStringList{QStringLiteral("write profile"), QStringLiteral("write member_group"),
                           QStringLiteral("compose")}));
    ASSERT_EQ(h.document.SaveToFile(0), 0);
    EXPECT_TRUE(h.document.HasDocument());

    EXPECT_EQ(readFile(path),
              QByteArray("<?xml version=\"1.0\"?>\n"
                         "<?xml-stylesheet type=\"text/xsl\" href=\"KR_Project.xsl\"?>\n"
                         "<?filetype type=\"MasterProfile\"?>\n"
                         "<krroot>\n"
                         "  <authority>\n"
                         "    <id>ZQAV</id>\n"
                         "  </authority>\n"
                         "  <project>\n"
                         "    <profile>\n"
                         "      <written>profile data</written>\n"
                         "    </profile>\n"
                         "    <member_group>\n"
                         "      <written>member data</written>\n"
                         "    </member_group>\n"
                         "    <reference_no>A123-00042-2002</reference_no>\n"
                         "    <project_type_code>0</project_type_code>\n"
                         "  </project>\n"
                         "</krroot>\n"));
}

TEST_F(ProjectDocumentTest, LoadedFileKeepsItsPreambleAndOtherRootChildrenButNotOldProjectContent) {
    Harness h;
    const QString path = copyOfSample(QStringLiteral("legacy-project.xml"));
    h.document.LoadDocument(path);
    ASSERT_EQ(h.document.DocumentOrigin(), CProjectDocument::Origin::Loaded);
    EXPECT_EQ(h.loadedReference, QStringLiteral("OLD-00001-1999"));
    EXPECT_EQ(h.profile.readNodeName, QStringLiteral("profile"));
    EXPECT_EQ(h.profile.readText, QStringLiteral("Community hall extension"));
    EXPECT_EQ(h.members.readNodeName, QStringLiteral("member_group"));
    EXPECT_EQ(h.members.readCount, 2);

    ASSERT_TRUE(h.document.RebuildProjectNode());
    ASSERT_EQ(h.document.SaveToFile(1), 0);
    EXPECT_FALSE(h.document.HasDocument());

    const QByteArray text = readFile(path);
    EXPECT_TRUE(text.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                "<!-- exported by the office's own tool -->\n"
                                "<?xml-stylesheet type=\"text/xsl\" href=\"Office_Project.xsl\"?>\n"
                                "<?filetype type=\"MasterProfile\"?>\n<krroot>\n"));
    EXPECT_EQ(countOf(text, "<?xml "), 1);
    EXPECT_EQ(countOf(text, "KR_Project.xsl"), 0);
    EXPECT_TRUE(text.contains("<entry>created 1999</entry>"));
    EXPECT_TRUE(text.contains("<notes>kept as the file had it</notes>"));
    EXPECT_TRUE(text.contains("<id>ABCD</id>"));
    EXPECT_FALSE(text.contains("ZQAV"));
    EXPECT_FALSE(text.contains("obsolete"));
    EXPECT_FALSE(text.contains("ANN TAN"));
    EXPECT_FALSE(text.contains("OLD-00001-1999"));
    EXPECT_EQ(countOf(text, "<project>"), 1);
    // The rebuilt project is the last child of krroot.
    EXPECT_TRUE(text.endsWith("    <project_type_code>0</project_type_code>\n  </project>\n"
                              "</krroot>\n"));
    EXPECT_LT(text.indexOf("<notes>"), text.indexOf("<project>"));
}

TEST_F(ProjectDocumentTest, MissingHeaderAndChildrenAreMadeOnOpening) {
    Harness h;
    const QString path = copyOfSample(QStringLiteral("no-authority.xml"));
    h.document.LoadDocument(path);
    ASSERT_EQ(h.document.DocumentOrigin(), CProjectDocument::Origin::Loaded);
    EXPECT_EQ(h.loadedReference, QStringLiteral("A1-00002-2001"));
    // The pages are handed real (empty) elements, never null ones.
    EXPECT_EQ(h.profile.readNodeName, QStringLiteral("profile"));
    EXPECT_EQ(h.profile.readCount, 0);
    EXPECT_EQ(h.members.readNodeName, QStringLiteral("member_group"));

    ASSERT_TRUE(h.document.RebuildProjectNode());
    ASSERT_EQ(h.document.SaveToFile(1), 0);
    const QByteArray text = readFile(path);
    EXPECT_TRUE(text.contains("<authority>\n    <id>ZQAV</id>\n  </authority>"));
    EXPECT_EQ(countOf(text, "<?xml "), 1);
    EXPECT_FALSE(text.contains("xml-stylesheet")); // a loaded file keeps its own instructions
}

TEST_F(ProjectDocumentTest, EverySaveLeavesExactlyOneProject) {
    Harness h;
    const QString path = copyOfSample(QStringLiteral("two-projects.xml"));
    h.document.LoadDocument(path);
    ASSERT_EQ(h.document.DocumentOrigin(), CProjectDocument::Origin::Loaded);
    EXPECT_EQ(h.loadedReference, QStringLiteral("FIRST-00001-2001"));

    // A failed attempt (the path names a folder), then a second attempt with another reference.
    h.document.SetFilePath(m_box.path());
    ASSERT_TRUE(h.document.RebuildProjectNode());
    EXPECT_NE(h.document.SaveToFile(1), 0);
    ASSERT_TRUE(h.document.HasDocument());

    h.document.SetFilePath(path);
    h.composed = QStringLiteral("B7-00003-2003");
    ASSERT_TRUE(h.document.RebuildProjectNode());
    ASSERT_EQ(h.document.SaveToFile(0), 0);
    ASSERT_TRUE(h.document.RebuildProjectNode());
    ASSERT_EQ(h.document.SaveToFile(1), 0);

    const QByteArray text = readFile(path);
    EXPECT_EQ(countOf(text, "<project>"), 1);
    EXPECT_EQ(countOf(text, "<profile>"), 1);
    EXPECT_EQ(countOf(text, "<reference_no>"), 1);
    EXPECT_TRUE(text.contains("<reference_no>B7-00003-2003</reference_no>"));
    EXPECT_FALSE(text.contains("FIRST"));
    EXPECT_FALSE(text.contains("SECOND"));
}

TEST_F(ProjectDocumentTest, FailedSaveLeavesThePreviousFileByteIdenticalAndTheDocumentUsable) {
    Harness h;
    const QString path = copyOfSample(QStringLiteral("legacy-project.xml"));
    const QByteArray before = readFile(path);
    h.document.LoadDocument(path);
    ASSERT_TRUE(h.document.RebuildProjectNode());
    {
        FileSizeCap cap(64);
        EXPECT_NE(h.document.SaveToFile(1), 0);
    }
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(folderEntries(), QStringList{QStringLiteral("legacy-project.xml")});
    ASSERT_TRUE(h.document.HasDocument());

    ASSERT_TRUE(h.document.RebuildProjectNode());
    EXPECT_EQ(h.document.SaveToFile(1), 0);
    EXPECT_NE(readFile(path), before);
}

TEST_F(ProjectDocumentTest, UnusableFileIsCopiedAsideAndItsPathKept) {
    struct Case {
        const char* sample;
        CProjectDocument::Origin origin;
    };
    for (const Case& c : {Case{"truncated.xml", CProjectDocument::Origin::ReplacedUnparsable},
                          Case{"foreign-root.xml", CProjectDocument::Origin::ReplacedForeign}}) {
        Harness h;
        const QString path = copyOfSample(QString::fromLatin1(c.sample));
        const QByteArray original = readFile(path);

        h.document.LoadDocument(path);
        EXPECT_EQ(h.document.DocumentOrigin(), c.origin) << c.sample;
        EXPECT_EQ(h.document.FilePath(), path);
        EXPECT_EQ(h.document.BackupPath(), path + QStringLiteral(".bak"));
        EXPECT_EQ(readFile(path + QStringLiteral(".bak")), original);
        EXPECT_EQ(h.loadedReference, QString());

        // Opened again (the first copy exists): a second copy, numbered.
        h.document.LoadDocument(path);
        EXPECT_EQ(h.document.BackupPath(), path + QStringLiteral(".bak.1"));

        // The next save writes a new record to the same path; the copies stay.
        ASSERT_TRUE(h.document.RebuildProjectNode());
        ASSERT_EQ(h.document.SaveToFile(1), 0);
        const QByteArray text = readFile(path);
        EXPECT_TRUE(text.startsWith("<?xml version=\"1.0\"?>\n<?xml-stylesheet"));
        EXPECT_TRUE(text.contains("<id>ZQAV</id>"));
        EXPECT_EQ(readFile(path + QStringLiteral(".bak")), original);
        EXPECT_EQ(readFile(path + QStringLiteral(".bak.1")), original);
    }
}

TEST_F(ProjectDocumentTest, HostileFilesNeitherExpandNorCrash) {
    Harness h;
    const QString bomb = copyOfSample(QStringLiteral("entity-bomb.xml"));
    h.document.LoadDocument(bomb);
    ASSERT_EQ(h.document.DocumentOrigin(), CProjectDocument::Origin::Loaded);
    EXPECT_EQ(h.loadedReference, QStringLiteral("&e;&secret;"));
    ASSERT_TRUE(h.document.RebuildProjectNode());
    ASSERT_EQ(h.document.SaveToFile(1), 0);
    EXPECT_LT(readFile(bomb).size(), 4096);
    EXPECT_FALSE(readFile(bomb).contains("root:"));

    const QString deep = pathIn(QStringLiteral("deep.xml"));
    ASSERT_TRUE(writeFile(deep, "<krroot>" + QByteArray("<project>").repeated(100000) +
                                    QByteArray("</project>").repeated(100000) + "</krroot>"));
    h.document.LoadDocument(deep);
    EXPECT_EQ(h.document.DocumentOrigin(), CProjectDocument::Origin::ReplacedUnparsable);
    EXPECT_EQ(h.document.BackupPath(), deep + QStringLiteral(".bak"));
    EXPECT_TRUE(h.document.HasDocument());

    // A folder where the file should be: nothing to copy, a new document all the same.
    const QString folder = pathIn(QStringLiteral("folder.xml"));
    ASSERT_TRUE(QDir().mkpath(folder));
    h.document.LoadDocument(folder);
    EXPECT_EQ(h.document.DocumentOrigin(), CProjectDocument::Origin::ReplacedUnreadable);
    EXPECT_TRUE(h.document.BackupPath().isEmpty());
    EXPECT_TRUE(h.document.HasDocument());
}

TEST_F(ProjectDocumentTest, UnreadableFileStartsANewDocument) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    Harness h;
    const QString path = copyOfSample(QStringLiteral("legacy-project.xml"));
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::Permissions()));
    h.document.LoadDocument(path);
    EXPECT_EQ(h.document.DocumentOrigin(), CProjectDocument::Origin::ReplacedUnreadable);
    EXPECT_TRUE(h.document.BackupPath().isEmpty());
    EXPECT_EQ(h.document.FilePath(), path);
    EXPECT_TRUE(h.document.HasDocument());
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

TEST_F(ProjectDocumentTest, DocumentWithoutPathOrDroppedCannotBeSaved) {
    Harness h;
    h.document.LoadDocument(QString());
    EXPECT_EQ(h.document.DocumentOrigin(), CProjectDocument::Origin::NewNoPath);
    ASSERT_TRUE(h.document.RebuildProjectNode());
    EXPECT_EQ(h.document.SaveToFile(1), kXmlSaveNoPath);
    EXPECT_TRUE(h.document.HasDocument());

    h.document.DropDocument();
    EXPECT_FALSE(h.document.HasDocument());
    EXPECT_EQ(h.document.Document(), nullptr);
    EXPECT_FALSE(h.document.ProjectNode());
    EXPECT_FALSE(h.document.RebuildProjectNode());
    h.document.SetFilePath(pathIn(QStringLiteral("x.xml")));
    EXPECT_EQ(h.document.SaveToFile(1), kXmlSaveNoDocument);
    EXPECT_TRUE(folderEntries().isEmpty());
}

TEST(ProjectDocumentParts, WorksWithoutAnyPagesPlugged) {
    QTemporaryDir box;
    ASSERT_TRUE(box.isValid());
    CProjectDocument document;
    const QString path = box.path() + QStringLiteral("/bare.xml");
    document.LoadDocument(path);
    ASSERT_TRUE(document.RebuildProjectNode());
    ASSERT_EQ(document.SaveToFile(1), 0);
    const QByteArray text = readFile(path);
    EXPECT_TRUE(text.contains("<profile />"));
    EXPECT_TRUE(text.contains("<reference_no />"));
    EXPECT_TRUE(text.contains("<project_type_code>0</project_type_code>"));
}
