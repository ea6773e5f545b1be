#include "sdk/XmlHelpers.h"

#include "TestFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

class XmlFidelityTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_box.isValid()); }

    QString fileWith(const QByteArray& bytes) {
        const QString path = m_box.filePath(QStringLiteral("f%1.xml").arg(++m_count));
        EXPECT_TRUE(writeFile(path, bytes));
        return path;
    }
    // Loads the file and saves it where it is; the saved bytes, or "" on any failure.
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
    // libxml2's verdict, "" when it accepts the file.
    static QString strictParserVerdict(const QString& path) {
        const QString xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
        if (xmllint.isEmpty())
            return QStringLiteral("xmllint is not installed (Debian: libxml2-utils)");
        QProcess run;
        run.start(xmllint, {QStringLiteral("--noout"), path});
        if (!run.waitForFinished(60000))
            return QStringLiteral("xmllint did not finish");
        return run.exitCode() == 0 ? QString() : QString::fromLocal8Bit(run.readAllStandardError());
    }

    QTemporaryDir m_box;
    int m_count = 0;
};

// A UTF-8 file under a Latin-1 declaration keeps its letters and stops changing after one save;
// a real Latin-1 file is still read as Latin-1. Either is written as UTF-8, declared so.
TEST_F(XmlFidelityTest, TheBytesDecideTheEncodingAndTheDeclarationTellsWhatIsWritten) {
    const QString ming = QStringLiteral("M\u00CDNG \u00E9\u00E8 \u20AC");
    const struct {
        const char* name;
        QByteArray bytes;
        QString text;
    } cases[] = {
        {"UTF-8 declared ISO-8859-1",
         "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<krroot><t>" + ming.toUtf8() +
             "</t></krroot>\n",
         ming},
        {"UTF-8 declared windows-1252",
         "<?xml version=\"1.0\" encoding=\"windows-1252\"?><krroot><t>" + ming.toUtf8() +
             "</t></krroot>",
         ming},
        {"UTF-8 with a byte-order mark",
         "\xEF\xBB\xBF<?xml version=\"1.0\"?><krroot><t>" + ming.toUtf8() + "</t></krroot>", ming},
        {"Latin-1",
         "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<krroot><t>M\xCDNG</t></krroot>\n",
         QStringLiteral("M\u00CDNG")},
    };
    for (const auto& c : cases) {
        const QString path = fileWith(c.bytes);
        EXPECT_EQ(textOf(path, "/krroot/t"), c.text) << c.name;
        const QByteArray first = loadAndSave(path);
        ASSERT_FALSE(first.isEmpty()) << c.name;
        EXPECT_FALSE(first.contains("ISO-8859-1") || first.contains("windows-1252")) << c.name;
        EXPECT_TRUE(first.contains(c.text.toUtf8())) << c.name;
        EXPECT_EQ(textOf(path, "/krroot/t"), c.text) << c.name;
        EXPECT_EQ(loadAndSave(path), first) << c.name;
        EXPECT_EQ(strictParserVerdict(path), QString()) << c.name;
    }
}

// Characters XML 1.0 does not admit never reach a written file, and a reference to one does not
// cut the field short.
TEST_F(XmlFidelityTest, ForbiddenCharactersAreNeverWrittenAndCutNothing) {
    struct Case {
        const char* name;
        QByteArray field;
        QString expected;
    };
    const QString r = QStringLiteral("\uFFFD");
    const Case cases[] = {
        {"NUL reference", "AB&#x0;CD", "AB" + r + "CD"},
        {"decimal NUL reference", "AB&#0;CD", "AB" + r + "CD"},
        {"control reference", "A&#x1;B&#31;C", "A" + r + "B" + r + "C"},
        {"non-character references", "A&#xFFFF;B&#xFFFE;C", "A" + r + "B" + r + "C"},
        {"surrogate reference", "A&#xD800;B", "A" + r + "B"},
        {"raw control bytes",
         "A\x01"
         "B\x1F"
         "C",
         "A" + r + "B" + r + "C"},
        {"raw non-characters",
         "A\xEF\xBF\xBF"
         "B\xEF\xBF\xBE"
         "C",
         "A" + r + "B" + r + "C"},
        {"raw control byte beside a character of the last plane",
         "A\x01"
         "B\xF4\x8F\xBF\xBD",
         "A" + r + QStringLiteral("B\U0010FFFD")},
        {"raw control byte deep in a long run", "ABCDEFGHIJKLMNOPQRSTUVW\x02XYZ",
         "ABCDEFGHIJKLMNOPQRSTUVW" + r + "XYZ"},
        {"allowed references stay", "A&#x9;B&#233;C", QStringLiteral("A\tB\u00E9C")},
        {"carriage returns stay", "A&#13;B&#xD;&#xA;C", QStringLiteral("A\rB\r\nC")},
        {"in CDATA a reference is text", "<![CDATA[A&#x0;B]]>", QStringLiteral("A&#x0;B")},
    };
    for (const Case& c : cases) {
        const QString path =
            fileWith("<?xml version=\"1.0\"?>\n<krroot><t>" + c.field + "</t><u>end</u></krroot>");
        EXPECT_EQ(textOf(path, "/krroot/t"), c.expected) << c.name;
        const QByteArray first = loadAndSave(path);
        ASSERT_FALSE(first.isEmpty()) << c.name;
        EXPECT_EQ(textOf(path, "/krroot/t"), c.expected) << c.name;
        EXPECT_EQ(textOf(path, "/krroot/u"), QStringLiteral("end")) << c.name;
        EXPECT_EQ(loadAndSave(path), first) << c.name;
        EXPECT_EQ(strictParserVerdict(path), QString()) << c.name;
    }

    // What a page stores (a pasted control character) is cleaned on the way out.
    XmlDocPtr doc = CreateXMLDoc();
    AddProcessingInstruction(*doc, QStringLiteral("xml"), QStringLiteral("version=\"1.0\" "));
    pugi::xml_node root = GetNode(*doc, *doc, QStringLiteral("krroot"), 1, QString());
    SetNodeText(GetNode(*doc, root, QStringLiteral("t"), 1, QString()),
                QStringLiteral("A\u0001B\uFFFFC\U0001F600"));
    const QString path = m_box.filePath(QStringLiteral("stored.xml"));
    ASSERT_EQ(SaveXMLAndReleaseDoc(doc, path, 1), kXmlSaveOk);
    EXPECT_EQ(textOf(path, "/krroot/t"), "A" + r + "B" + r + QStringLiteral("C\U0001F600"));
    EXPECT_EQ(strictParserVerdict(path), QString());
}

// A save killed before its rename leaves its temporary file; the next save in that folder removes
// such files once they are old, but never a fresh one or one a live save still holds.
TEST_F(XmlFidelityTest, ALaterSaveRemovesWhatKilledSavesLeft) {
    const QDateTime hourAgo = QDateTime::currentDateTime().addSecs(-3600);
    auto leftover = [this, &hourAgo](const char* name, bool old) {
        const QString path = m_box.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(writeFile(path, QByteArray(1000, 'x')));
        if (old) {
            QFile file(path);
            EXPECT_TRUE(file.open(QIODevice::ReadWrite));
            EXPECT_TRUE(file.setFileTime(hourAgo, QFileDevice::FileModificationTime));
        }
        return path;
    };
    const QString stale = leftover(".kestrel-save-AAAAAA", true);
    const QString fresh = leftover(".kestrel-save-BBBBBB", false);
    const QString held = leftover(".kestrel-save-CCCCCC", true);
    const QString other = leftover(".other-save-DDDDDD", true);
    const int lock = ::open(QFile::encodeName(held).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);

    const QString path = fileWith("<krroot/>");
    EXPECT_FALSE(loadAndSave(path).isEmpty());
    ::close(lock);
    EXPECT_FALSE(QFile::exists(stale));
    EXPECT_TRUE(QFile::exists(fresh));
    EXPECT_TRUE(QFile::exists(held));
    EXPECT_TRUE(QFile::exists(other));
    // The save itself leaves nothing of its own.
    EXPECT_EQ(QDir(m_box.path())
                  .entryList({QStringLiteral(".kestrel-save-*")}, QDir::Files | QDir::Hidden)
                  .size(),
              2);
}

} // namespace
