// The address book: where it is, a file of many cards or a folder of card files, and a clear
// line for every way it can fail.
#include "contacts/AddressBook.h"

#include "QStringPrinter.h"
#include "ScopedEnv.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kestrel;

namespace {

QString dataPath(const char* name) {
    return QStringLiteral(KESTREL_TEST_DATA_DIR "/contacts/") + QLatin1String(name);
}

// A file one byte larger than an address book may be; sparse, so no disk is used.
bool makeHugeFile(const QString& path) {
    QFile huge(path);
    return huge.open(QIODevice::WriteOnly) && huge.resize(kMaxAddressBookFileBytes + 1);
}

} // namespace

TEST(AddressBook, KestrelContactsWinsThenTheXdgDataFolder) {
    {
        ScopedEnv contacts("KESTREL_CONTACTS", QByteArray("/somewhere/book.vcf"));
        EXPECT_EQ(DefaultAddressBookPath(), QStringLiteral("/somewhere/book.vcf"));
    }
    ScopedEnv contacts("KESTREL_CONTACTS", std::nullopt);
    {
        ScopedEnv data("XDG_DATA_HOME", QByteArray("/data/home"));
        EXPECT_EQ(DefaultAddressBookPath(), QStringLiteral("/data/home/kestrel/contacts.vcf"));
    }
    ScopedEnv data("XDG_DATA_HOME", QByteArray("relative/ignored"));
    EXPECT_EQ(DefaultAddressBookPath(), QDir::homePath() + "/.local/share/kestrel/contacts.vcf");
}

// The cards of a file, or of every .vcf file below a folder, sorted by name; whatever cannot be
// read is said in one line, and what can be read is still listed. (What each card holds is read
// through the contact document.)
TEST(AddressBook, CardsAreListedByNameAndEveryWayToFailSaysSo) {
    QTemporaryDir dir;
    const QString huge = dir.filePath("huge.vcf");
    ASSERT_TRUE(makeHugeFile(huge));
    const QString mixed = dir.filePath("mixed");
    ASSERT_TRUE(QDir(mixed).mkpath("."));
    ASSERT_TRUE(writeFile(mixed + "/a.vcf", "BEGIN:VCARD\nFN:Kept\nEND:VCARD\n"));
    ASSERT_TRUE(writeFile(mixed + "/b.vcf", "") && writeFile(mixed + "/c.vcf", "garbage"));
    ASSERT_TRUE(makeHugeFile(mixed + "/d.vcf"));
    const QString noCards = dir.filePath("no-cards");
    ASSERT_TRUE(QDir(noCards).mkpath("."));
    ASSERT_TRUE(writeFile(noCards + "/notes.txt", "hello"));

    const struct {
        QString path;
        QStringList names;
        QString problem; // the whole line, or its start when it ends in "…"
        int files;       // how many .vcf files were read, when not 0
    } cases[] = {
        {dataPath("google-3.0.vcf"), {"Rahman bin Osman", "Tan Mei Ling"}, "", 1},
        {dataPath("broken.vcf"),
         {"First Good", "Second Good", "Third Good"},
         "3 cards could not be read (line 6: the card has no END:VCARD and was left out; line 16: "
         "the card has no name, firm, e-mail or telephone; line 25: the card has no END:VCARD and "
         "was left out)."},
        {dataPath("nobody-here.vcf"),
         {},
         "There is no address book at " + dataPath("nobody-here.vcf") + "."},
        {dataPath("empty.vcf"), {}, "The address book " + dataPath("empty.vcf") + " is empty."},
        {dataPath("garbage.vcf"),
         {},
         dataPath("garbage.vcf") + " is not a vCard file: it holds no BEGIN:VCARD."},
        {huge, {}, "The address book " + huge + " cannot be read: it is too large…"},
        {dataPath("carddav"),
         {"Folder One", "Folder Three", "Folder Two"},
         "1 card could not be read (0a1d-broken.vcf line 1: the card has no END:VCARD and was "
         "left out).",
         4},
        {noCards, {}, "The folder " + noCards + " holds no .vcf files."},
        {mixed, {"Kept"}, "1 file could not be read: d.vcf (it is too large…"},
        {QString(), {}, "…"},
    };
    for (const auto& c : cases) {
        const AddressBook book = LoadAddressBook(c.path);
        QStringList names;
        for (const Contact& contact : book.contacts)
            names.append(contact.name);
        EXPECT_EQ(names, c.names) << c.path.toStdString();
        const bool onlyItsStart = c.problem.endsWith(QChar(0x2026));
        EXPECT_TRUE(onlyItsStart
                        ? book.problem.startsWith(c.problem.chopped(1)) && !book.problem.isEmpty()
                        : book.problem == c.problem)
            << book.problem.toStdString();
        EXPECT_TRUE(!c.files || book.fileCount == c.files) << c.path.toStdString();
    }
}
