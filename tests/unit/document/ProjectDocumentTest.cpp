#include "document/ProjectDocument.h"

#include "FileSizeCap.h"
#include "TestFiles.h"
#include "sdk/FileNames.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Stands in for a page: remembers what it was given, writes one marker element.
class FakeGroup : public CXmlRecordGroup {
public:
    explicit FakeGroup(QString name) : m_name(std::move(name)) {}

    QString WriteXml(pugi::xml_document& doc, pugi::xml_node node) override {
        AddXMLLeafNode(doc, node, QStringLiteral("written"), m_name);
        if (onWrite)
            onWrite();
        return QString();
    }
    QString ReadXml(pugi::xml_document&, pugi::xml_node node) override {
        readText = GetNodeText(node);
        return QString();
    }
    QString readText;
    std::function<void()> onWrite;

private:
    QString m_name;
};

class ProjectDocumentTest : public ::testing::Test {
protected:
    ProjectDocumentTest() {
        ProjectParts parts;
        parts.profile = &profile;
        parts.memberGroup = &members;
        parts.setLoadedReference = [this](const QString& text) { loadedReference = text; };
        parts.composedReference = [this] { return composed; };
        document.SetParts(std::move(parts));
    }
    void SetUp() override { ASSERT_TRUE(m_box.isValid()); }

    QString pathIn(const QString& name) const { return m_box.filePath(name); }

    // A private copy of a file of tests/data/documents, so the originals are never touched.
    QString copyOfSample(const char* name) {
        const QString to = pathIn(QString::fromLatin1(name));
        EXPECT_TRUE(QFile::copy(
            QStringLiteral(KESTREL_TEST_DATA_DIR "/documents/") + QString::fromLatin1(name), to))
            << name;
        QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
        return to;
    }
    // Rebuilds the project from the pages and writes it.
    int save(int release = 1) {
        EXPECT_TRUE(document.RebuildProjectNode());
        return document.SaveToFile(release);
    }

    QTemporaryDir m_box;
    FakeGroup profile{QStringLiteral("profile data")};
    FakeGroup members{QStringLiteral("member data")};
    QString loadedReference = QStringLiteral("<never set>");
    QString composed = QStringLiteral("A123-00042-2002");
    CProjectDocument document;
};

TEST_F(ProjectDocumentTest, NewDocumentIsWrittenWithItsInstructionsAndSkeletonInOrder) {
    const QString path = pathIn(QStringLiteral("new.xml"));
    document.LoadDocument(path);
    EXPECT_EQ(document.DocumentOrigin(), CProjectDocument::Origin::NewMissingFile);
    EXPECT_EQ(loadedReference, QString());
    // The reference is asked for once the pages have written: the file carries the one the
    // project page composed while it wrote.
    composed = QStringLiteral("stale");
    profile.onWrite = [this] { composed = QStringLiteral("A123-00042-2002"); };
    ASSERT_EQ(save(0), 0);
    EXPECT_TRUE(document.HasDocument());
    EXPECT_EQ(readFile(path),
              QByteArray("<?xml version=\"1.0\"?>\n<?xml-stylesheet type=\"text/xsl\" "
                         "href=\"KR_Project.xsl\"?>\n<?filetype type=\"MasterProfile\"?>\n"
                         "<krroot>\n  <authority>\n    <id>ZQAV</id>\n  </authority>\n"
                         "  <project>\n    <profile>\n      <written>profile data</written>\n"
                         "    </profile>\n    <member_group>\n"
                         "      <written>member data</written>\n    </member_group>\n"
                         "    <reference_no>A123-00042-2002</reference_no>\n"
                         "    <project_type_code>0</project_type_code>\n  </project>\n"
                         "</krroot>\n"));
}

// A path given as bytes that are not UTF-8 opens and saves exactly that file; the file a careless
// reading of the name would reach instead (U+FFFD for the bytes) stays untouched.
TEST_F(ProjectDocumentTest, PathsOfAnyBytesOpenAndSaveExactlyTheirFile) {
    const QByteArray folder = QFile::encodeName(m_box.path()) + '/';
    const auto bytesAt = [](const QByteArray& name) {
        std::ifstream in(name.constData(), std::ios::binary);
        return QByteArray::fromStdString({std::istreambuf_iterator<char>(in), {}});
    };
    const auto putBytes = [](const QByteArray& name, const QByteArray& content) {
        std::ofstream out(name.constData(), std::ios::binary);
        return bool(out.write(content.constData(), content.size()).flush());
    };
    const QByteArray record =
        readFile(QStringLiteral(KESTREL_TEST_DATA_DIR "/documents/legacy-project.xml"));
    ASSERT_FALSE(record.isEmpty());
    const QByteArray decoy = "<krroot><project><reference_no>DECOY</reference_no></project>"
                             "</krroot>";
    const QByteArray name = folder + "caf\xe9 \xff.xml";
    const QByteArray misread = folder + "caf\xef\xbf\xbd \xef\xbf\xbd.xml";
    ASSERT_TRUE(putBytes(name, record));
    ASSERT_TRUE(putBytes(misread, decoy));

    document.LoadDocument(DecodeFileName(name));
    ASSERT_EQ(document.DocumentOrigin(), CProjectDocument::Origin::Loaded);
    EXPECT_EQ(loadedReference, QStringLiteral("OLD-00001-1999"));
    ASSERT_EQ(save(), 0);
    EXPECT_TRUE(bytesAt(name).contains("<reference_no>A123-00042-2002<"));
    EXPECT_EQ(bytesAt(misread), decoy);
    // Nothing else was made; and the name Qt cannot spell is removed here, by its bytes.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.constData()), {}), 2);
    ::unlink(name.constData());
}

TEST_F(ProjectDocumentTest, LoadedFileKeepsItsPreambleAndOtherRootChildrenButNotOldProjectContent) {
    const QString path = copyOfSample("legacy-project.xml");
    document.LoadDocument(path);
    ASSERT_EQ(document.DocumentOrigin(), CProjectDocument::Origin::Loaded);
    EXPECT_EQ(loadedReference, QStringLiteral("OLD-00001-1999"));
    EXPECT_EQ(profile.readText, QStringLiteral("Community hall extension"));
    ASSERT_EQ(save(), 0);
    EXPECT_FALSE(document.HasDocument());

    const QByteArray text = readFile(path);
    EXPECT_TRUE(text.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                "<!-- exported by the office's own tool -->\n"
                                "<?xml-stylesheet type=\"text/xsl\" href=\"Office_Project.xsl\"?>\n"
                                "<?filetype type=\"MasterProfile\"?>\n<krroot>\n"));
    EXPECT_EQ(text.count("<?xml "), 1);
    EXPECT_TRUE(text.contains("<entry>created 1999</entry>"));
    EXPECT_TRUE(text.contains("<notes>kept as the file had it</notes>"));
    EXPECT_TRUE(text.contains("<id>ABCD</id>"));
    for (const char* dropped : {"KR_Project.xsl", "ZQAV", "obsolete", "ANN TAN", "OLD-00001-1999"})
        EXPECT_FALSE(text.contains(dropped)) << dropped;
    // The rebuilt project is the last child of krroot.
    EXPECT_TRUE(text.endsWith("    <project_type_code>0</project_type_code>\n  </project>\n"
                              "</krroot>\n"));
}

TEST_F(ProjectDocumentTest, MissingAuthorityIsAddedAndEverySaveLeavesExactlyOneProject) {
    const QString bare = copyOfSample("no-authority.xml");
    document.LoadDocument(bare);
    EXPECT_EQ(loadedReference, QStringLiteral("A1-00002-2001"));
    ASSERT_EQ(save(), 0);
    QByteArray text = readFile(bare);
    EXPECT_TRUE(text.contains("<authority>\n    <id>ZQAV</id>\n  </authority>"));
    EXPECT_FALSE(text.contains("xml-stylesheet")); // a loaded file keeps its own instructions

    // A hand-edited file with three project elements: after a failed attempt (the path names a
    // folder) and two saves with another reference, exactly one is left.
    const QString three = pathIn(QStringLiteral("three.xml"));
    ASSERT_TRUE(writeFile(three, "<krroot lang=\"en\"><project><reference_no>P1</reference_no>"
                                 "</project><project/><project><reference_no>P3</reference_no>"
                                 "</project></krroot>"));
    document.LoadDocument(three);
    EXPECT_EQ(loadedReference, QStringLiteral("P1"));
    document.SetFilePath(m_box.path());
    EXPECT_NE(save(), 0);
    ASSERT_TRUE(document.HasDocument());
    document.SetFilePath(three);
    composed = QStringLiteral("B7-00003-2003");
    ASSERT_EQ(save(0), 0);
    ASSERT_EQ(save(1), 0);
    text = readFile(three);
    EXPECT_EQ(text.count("<project>"), 1);
    EXPECT_EQ(text.count("<profile>"), 1);
    EXPECT_EQ(text.count("<reference_no>"), 1);
    EXPECT_TRUE(text.contains("<krroot lang=\"en\">"));
    EXPECT_TRUE(text.contains("<reference_no>B7-00003-2003</reference_no>"));
}

TEST_F(ProjectDocumentTest, FailedSaveLeavesThePreviousFileByteIdenticalAndTheDocumentUsable) {
    const QString path = copyOfSample("legacy-project.xml");
    const QByteArray before = readFile(path);
    document.LoadDocument(path);
    {
        FileSizeCap cap(64); // the disk fills up half-way through the write
        EXPECT_NE(save(), 0);
    }
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(QDir(m_box.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("legacy-project.xml")});
    ASSERT_TRUE(document.HasDocument());
    EXPECT_EQ(save(), 0);
    EXPECT_NE(readFile(path), before);
}

TEST_F(ProjectDocumentTest, UnusableFileIsLeftAloneOnOpenAndCopiedAsideOnceBySaving) {
    for (auto [sample, origin] :
         {std::pair{"truncated.xml", CProjectDocument::Origin::ReplacedUnparsable},
          std::pair{"foreign-root.xml", CProjectDocument::Origin::ReplacedForeign},
          std::pair{"two-roots.xml", CProjectDocument::Origin::ReplacedForeign}}) {
        const QString path = copyOfSample(sample);
        const QByteArray original = readFile(path);
        const auto untouched = folderContent(m_box.path());
        // Opened and dropped: the folder stays exactly as it was.
        document.LoadDocument(path);
        EXPECT_EQ(document.DocumentOrigin(), origin) << sample;
        EXPECT_EQ(document.FilePath(), path);
        EXPECT_TRUE(document.BackupPath().isEmpty());
        document.DropDocument();
        EXPECT_EQ(folderContent(m_box.path()), untouched) << sample;

        // A save over it copies it aside first; a second save in the same run copies nothing.
        document.LoadDocument(path);
        ASSERT_EQ(save(0), 0);
        EXPECT_EQ(document.BackupPath(), path + QStringLiteral(".bak"));
        ASSERT_EQ(save(0), 0);
        EXPECT_TRUE(readFile(path).startsWith("<?xml version=\"1.0\"?>\n<?xml-stylesheet"));
        EXPECT_EQ(readFile(path + QStringLiteral(".bak")), original);
        EXPECT_EQ(folderContent(m_box.path()).size(), untouched.size() + 1) << sample;

        // The same unusable content saved over again (another run): its copy is reused.
        ASSERT_TRUE(writeFile(path, original));
        document.LoadDocument(path);
        ASSERT_EQ(save(), 0);
        EXPECT_EQ(document.BackupPath(), path + QStringLiteral(".bak"));
        EXPECT_EQ(folderContent(m_box.path()).size(), untouched.size() + 1) << sample;
    }
}

TEST_F(ProjectDocumentTest, DanglingLinkNamedLikeTheCopyIsLeftAlone) {
    const QString path = copyOfSample("truncated.xml");
    const QString nowhere = pathIn(QStringLiteral("nowhere"));
    ASSERT_TRUE(QFile::link(nowhere, path + QStringLiteral(".bak")));
    document.LoadDocument(path);
    ASSERT_EQ(save(0), 0);
    EXPECT_EQ(document.BackupPath(), path + QStringLiteral(".bak.1"));
    EXPECT_EQ(QFileInfo(path + QStringLiteral(".bak")).symLinkTarget(), nowhere);
    EXPECT_FALSE(QFileInfo::exists(nowhere));
}

TEST_F(ProjectDocumentTest, SaveWithoutAPathIsRefusedAndAReleasedDocumentHasNoOrigin) {
    using Origin = CProjectDocument::Origin;
    EXPECT_FALSE(document.RebuildProjectNode());
    EXPECT_EQ(document.SaveToFile(1), kXmlSaveNoDocument);

    document.LoadDocument(QString());
    EXPECT_EQ(save(1), kXmlSaveNoPath);
    EXPECT_TRUE(document.HasDocument());
    EXPECT_EQ(document.DocumentOrigin(), Origin::NewNoPath);
    const auto released = [this] {
        return !document.HasDocument() && !document.ProjectNode() &&
               document.DocumentOrigin() == Origin::None;
    };
    document.SetFilePath(pathIn(QStringLiteral("named.xml")));
    ASSERT_EQ(save(1), 0);
    EXPECT_TRUE(released());
    document.LoadDocument(pathIn(QStringLiteral("named.xml")));
    EXPECT_EQ(document.DocumentOrigin(), Origin::Loaded);
    document.DropDocument();
    EXPECT_TRUE(released());
}

TEST_F(ProjectDocumentTest, HostileFilesNeitherExpandNorCrash) {
    const QString bomb = copyOfSample("entity-bomb.xml");
    document.LoadDocument(bomb);
    ASSERT_EQ(document.DocumentOrigin(), CProjectDocument::Origin::Loaded);
    EXPECT_EQ(loadedReference, QStringLiteral("&e;&secret;"));
    ASSERT_EQ(save(), 0);
    EXPECT_LT(readFile(bomb).size(), 4096);
    EXPECT_FALSE(readFile(bomb).contains("root:"));

    const QString deep = pathIn(QStringLiteral("deep.xml"));
    ASSERT_TRUE(writeFile(deep, "<krroot>" + QByteArray("<project>").repeated(100000) +
                                    QByteArray("</project>").repeated(100000) + "</krroot>"));
    document.LoadDocument(deep);
    EXPECT_EQ(document.DocumentOrigin(), CProjectDocument::Origin::ReplacedUnparsable);
    EXPECT_TRUE(document.BackupPath().isEmpty());
    EXPECT_TRUE(document.HasDocument());

    // What the parser takes beyond XML makes a file unusable where a save would keep it, and not
    // in the project, which a save rebuilds.
    const QByteArray beyond = "<t\xC2\x95x/>";
    ASSERT_TRUE(writeFile(deep, "<krroot><project>" + beyond + "</project></krroot>"));
    document.LoadDocument(deep);
    EXPECT_EQ(document.DocumentOrigin(), CProjectDocument::Origin::Loaded);
    ASSERT_TRUE(writeFile(deep, "<krroot><notes>" + beyond + "</notes><project/></krroot>"));
    document.LoadDocument(deep);
    EXPECT_EQ(document.DocumentOrigin(), CProjectDocument::Origin::ReplacedUnparsable);
}

TEST_F(ProjectDocumentTest, UnusableFileStartsANewDocumentWithItsPathAndIsNeverWrittenOver) {
    const QString locked = copyOfSample("legacy-project.xml");
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::Permissions()));
    using Origin = CProjectDocument::Origin;
    const struct {
        QByteArray kind;
        Origin origin;
    } cases[] = {{"folder", Origin::ReplacedNotAFile},
                 {"pipe", Origin::ReplacedNotAFile},
                 {"locked", Origin::ReplacedUnreadable}};
    for (const auto& c : cases) {
        if (c.kind == "locked" && ::geteuid() == 0)
            continue; // permissions do not bind root
        const QString path = c.kind == "locked" ? locked : pathIn(c.kind + ".xml");
        if (c.kind != "locked") {
            ASSERT_TRUE(makeSpecialFile(c.kind, path)) << c.kind.constData();
        }
        // Bytes waiting in the pipe stay unread: nobody opened it (an open for reading alone
        // would have waited for a writer).
        const int pipe = c.kind == "pipe" ? ::open(QFile::encodeName(path), O_RDWR) : -1;
        if (pipe >= 0) {
            ASSERT_EQ(::write(pipe, "unread", 6), 6);
        }

        document.LoadDocument(path);
        EXPECT_EQ(document.DocumentOrigin(), c.origin) << c.kind.constData();
        EXPECT_EQ(document.FilePath(), path);
        EXPECT_TRUE(document.HasDocument());
        // Nothing can be copied aside, so nothing is written over it.
        EXPECT_EQ(save(0), kXmlSaveBackupFailed) << c.kind.constData();
        EXPECT_TRUE(document.BackupPath().isEmpty());
        EXPECT_EQ(QFileInfo(path).isFile(), c.kind == "locked");

        if (pipe >= 0) {
            char waiting[16] = {};
            ::fcntl(pipe, F_SETFL, O_NONBLOCK);
            EXPECT_EQ(::read(pipe, waiting, sizeof waiting), 6);
            EXPECT_STREQ(waiting, "unread");
            ::close(pipe);
        }
    }
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner);
}

} // namespace
