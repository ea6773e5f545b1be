#include "document/ProjectDocument.h"

#include "FileSizeCap.h"
#include "TestFiles.h"
#include "sdk/FileNames.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include <fcntl.h>
#include <unistd.h>

namespace {

using Origin = CProjectDocument::Origin;

// Stands in for a page: keeps the text it was given, writes one marker element.
struct FakeGroup : CXmlRecordGroup {
    explicit FakeGroup(const char* name) : name(QString::fromLatin1(name)) {}
    QString WriteXml(pugi::xml_document& doc, pugi::xml_node node) override {
        AddXMLLeafNode(doc, node, QStringLiteral("written"), name);
        if (onWrite)
            onWrite();
        return {};
    }
    QString ReadXml(pugi::xml_document&, pugi::xml_node node) override {
        readText = GetNodeText(node);
        return {};
    }
    QString name, readText;
    std::function<void()> onWrite;
};

class ProjectDocumentTest : public ::testing::Test {
protected:
    // A private copy of a file of tests/data/documents, so the originals are never touched.
    QString copyOfSample(const char* name) {
        const QString to = m_box.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(QFile::copy(QStringLiteral(KESTREL_TEST_DATA_DIR "/documents/") + name, to));
        QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
        return to;
    }
    Origin load(const QString& path) {
        document.LoadDocument(path);
        return document.DocumentOrigin();
    }
    // Rebuilds the project from the pages and writes it.
    int save(int release = 1) {
        EXPECT_TRUE(document.RebuildProjectNode());
        return document.SaveToFile(release);
    }

    QTemporaryDir m_box;
    FakeGroup profile{"profile data"}, members{"member data"};
    QString loadedReference = QStringLiteral("<never set>");
    QString composed = QStringLiteral("A123-00042-2002");
    CProjectDocument document{ProjectParts{&profile, &members,
                                           [this](const QString& text) { loadedReference = text; },
                                           [this] { return composed; }}};
};

// A new document: with nothing loaded there is nothing to save, and without a path a save is
// refused and the document kept. Once saved with release, the document and its origin are gone.
TEST_F(ProjectDocumentTest, NewDocumentIsWrittenWithItsInstructionsAndSkeletonInOrder) {
    EXPECT_FALSE(document.RebuildProjectNode());
    EXPECT_EQ(document.SaveToFile(1), kXmlSaveNoDocument);
    const QString path = m_box.filePath(QStringLiteral("new.xml"));
    EXPECT_EQ(load(path), Origin::NewMissingFile);
    EXPECT_EQ(loadedReference, QString());
    EXPECT_EQ(load(QString()), Origin::NewNoPath);
    EXPECT_EQ(save(1), kXmlSaveNoPath);
    EXPECT_TRUE(document.HasDocument());
    document.SetFilePath(path);
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
    const auto released = [this] {
        return !document.HasDocument() && !document.ProjectNode() &&
               document.DocumentOrigin() == Origin::None;
    };
    ASSERT_EQ(save(1), 0);
    EXPECT_TRUE(released());
    EXPECT_EQ(load(path), Origin::Loaded);
    document.DropDocument();
    EXPECT_TRUE(released());
}

// A loaded file keeps its preamble and its root's other children, never the old project's
// content. Its path, given as bytes that are not UTF-8, opens and saves exactly that file: the
// file a careless reading of the name would reach instead (U+FFFD for the bytes) stays untouched.
TEST_F(ProjectDocumentTest, LoadedFileOfAnyNameKeepsAllButTheOldProject) {
    const QByteArray folder = QFile::encodeName(m_box.path()) + '/';
    const QByteArray name = folder + "caf\xe9 \xff.xml";
    const QString misread = m_box.filePath(QStringLiteral("caf\uFFFD \uFFFD.xml"));
    const QByteArray decoy = "<krroot><project><reference_no>DECOY</reference_no></project>"
                             "</krroot>";
    const QByteArray record =
        readFile(QStringLiteral(KESTREL_TEST_DATA_DIR "/documents/legacy-project.xml"));
    ASSERT_TRUE(std::ofstream(name.constData()).write(record.constData(), record.size()).flush());
    ASSERT_TRUE(writeFile(misread, decoy));

    ASSERT_EQ(load(DecodeFileName(name)), Origin::Loaded);
    EXPECT_EQ(loadedReference, QStringLiteral("OLD-00001-1999"));
    EXPECT_EQ(profile.readText, QStringLiteral("Community hall extension"));
    ASSERT_EQ(save(), 0);
    EXPECT_FALSE(document.HasDocument());
    EXPECT_EQ(readFile(misread), decoy);
    // Nothing else was made; and the name Qt cannot spell is read and removed here, by its bytes.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.constData()), {}), 2);
    std::ifstream in(name.constData());
    const QByteArray text = QByteArray::fromStdString({std::istreambuf_iterator<char>(in), {}});
    ::unlink(name.constData());

    EXPECT_TRUE(text.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                "<!-- exported by the office's own tool -->\n"
                                "<?xml-stylesheet type=\"text/xsl\" href=\"Office_Project.xsl\"?>\n"
                                "<?filetype type=\"MasterProfile\"?>\n<krroot>\n"));
    EXPECT_EQ(text.count("<?xml "), 1);
    for (const char* kept :
         {"<entry>created 1999</entry>", "<notes>kept as the file had it</notes>", "<id>ABCD</id>",
          "<reference_no>A123-00042-2002<"})
        EXPECT_TRUE(text.contains(kept)) << kept;
    for (const char* dropped : {"KR_Project.xsl", "ZQAV", "obsolete", "ANN TAN", "OLD-00001-1999"})
        EXPECT_FALSE(text.contains(dropped)) << dropped;
    // The rebuilt project is the last child of krroot.
    EXPECT_TRUE(text.endsWith("    <project_type_code>0</project_type_code>\n  </project>\n"
                              "</krroot>\n"));
}

// A hand-edited file without an authority and with three project elements: after a save the disk
// could not take (the file and its folder are left exactly as they were) and two saves with
// another reference, exactly one project is left and one authority was added.
TEST_F(ProjectDocumentTest, MissingAuthorityIsAddedAndEverySaveLeavesExactlyOneProject) {
    const QString three = m_box.filePath(QStringLiteral("three.xml"));
    ASSERT_TRUE(writeFile(three, "<krroot lang=\"en\"><project><reference_no>P1</reference_no>"
                                 "</project><project/><project><reference_no>P3</reference_no>"
                                 "</project></krroot>"));
    const auto before = folderContent(m_box.path());
    document.LoadDocument(three);
    EXPECT_EQ(loadedReference, QStringLiteral("P1"));
    {
        FileSizeCap cap(64); // the disk fills up half-way through the write
        EXPECT_NE(save(), 0);
    }
    EXPECT_EQ(folderContent(m_box.path()), before);
    ASSERT_TRUE(document.HasDocument());
    composed = QStringLiteral("B7-00003-2003");
    ASSERT_EQ(save(0), 0);
    ASSERT_EQ(save(1), 0);
    const QByteArray text = readFile(three);
    for (const char* once :
         {"<krroot lang=\"en\">\n  <authority>\n    <id>ZQAV</id>\n  </authority>\n  <project>",
          "<authority>", "<project>", "<profile>", "<reference_no>",
          "<reference_no>B7-00003-2003</reference_no>"})
        EXPECT_EQ(text.count(once), 1) << once;
}

TEST_F(ProjectDocumentTest, UnusableFileIsLeftAloneOnOpenAndCopiedAsideOnceBySaving) {
    for (auto [sample, origin] : {std::pair{"truncated.xml", Origin::ReplacedUnparsable},
                                  std::pair{"foreign-root.xml", Origin::ReplacedForeign},
                                  std::pair{"two-roots.xml", Origin::ReplacedForeign}}) {
        const QString path = copyOfSample(sample);
        const QByteArray original = readFile(path);
        const auto untouched = folderContent(m_box.path());
        // Opened and dropped: the folder stays exactly as it was.
        EXPECT_EQ(load(path), origin) << sample;
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
    // A dangling link named like the copy is left alone: the copy takes the next name.
    const QString path = m_box.filePath(QStringLiteral("cut.xml")),
                  nowhere = m_box.filePath(QStringLiteral("nowhere"));
    ASSERT_TRUE(writeFile(path, "<krroot>") && QFile::link(nowhere, path + QStringLiteral(".bak")));
    document.LoadDocument(path);
    ASSERT_EQ(save(0), 0);
    EXPECT_EQ(document.BackupPath(), path + QStringLiteral(".bak.1"));
    EXPECT_EQ(QFileInfo(path + QStringLiteral(".bak")).symLinkTarget(), nowhere);
    EXPECT_FALSE(QFileInfo::exists(nowhere));
}

TEST_F(ProjectDocumentTest, HostileFilesNeitherExpandNorCrash) {
    const QString bomb = copyOfSample("entity-bomb.xml");
    ASSERT_EQ(load(bomb), Origin::Loaded);
    EXPECT_EQ(loadedReference, QStringLiteral("&e;&secret;"));
    ASSERT_EQ(save(), 0);
    EXPECT_LT(readFile(bomb).size(), 4096);
    EXPECT_FALSE(readFile(bomb).contains("root:"));

    // Depth costs no stack. What the parser takes beyond XML makes a file unusable where a save
    // would keep it, and not in the project, which a save rebuilds.
    const QString path = m_box.filePath(QStringLiteral("p.xml"));
    const QByteArray beyond = "<t\xC2\x95x/>", deep = QByteArray("<project>").repeated(100000) +
                                                      QByteArray("</project>").repeated(100000);
    for (const auto& [bytes, origin] :
         {std::pair{"<krroot>" + deep + "</krroot>", Origin::ReplacedUnparsable},
          {"<krroot><project>" + beyond + "</project></krroot>", Origin::Loaded},
          {"<krroot><notes>" + beyond + "</notes><project/></krroot>",
           Origin::ReplacedUnparsable}}) {
        ASSERT_TRUE(writeFile(path, bytes));
        EXPECT_EQ(load(path), origin) << bytes.left(40).toStdString();
    }
}

// Something that is no readable file starts a new document with its path; nothing can be copied
// aside, so nothing is written over it.
TEST_F(ProjectDocumentTest, UnusableFileStartsANewDocumentWithItsPathAndIsNeverWrittenOver) {
    const QString pipe = m_box.filePath(QStringLiteral("pipe.xml"));
    ASSERT_TRUE(makeSpecialFile("pipe", pipe));
    // Bytes waiting in the pipe stay unread: nobody opened it (an open for reading alone would
    // have waited for a writer).
    const int fd = ::open(QFile::encodeName(pipe), O_RDWR | O_NONBLOCK);
    ASSERT_EQ(::write(fd, "unread", 6), 6);
    const QString locked = copyOfSample("legacy-project.xml");
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::Permissions()));
    for (const auto& [path, origin] :
         {std::pair{pipe, Origin::ReplacedNotAFile}, {locked, Origin::ReplacedUnreadable}}) {
        if (origin == Origin::ReplacedUnreadable && ::geteuid() == 0)
            continue; // permissions do not bind root
        EXPECT_EQ(load(path), origin);
        EXPECT_EQ(document.FilePath(), path);
        EXPECT_TRUE(document.HasDocument());
        EXPECT_EQ(save(0), kXmlSaveBackupFailed);
        EXPECT_TRUE(document.BackupPath().isEmpty());
    }
    char waiting[16] = {};
    EXPECT_EQ(::read(fd, waiting, sizeof waiting), 6);
    EXPECT_STREQ(waiting, "unread");
    ::close(fd);
}

} // namespace
