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

#include <unistd.h>

using namespace kestrel;

namespace {

QString dataPath(const char* name) {
    return QStringLiteral(KESTREL_TEST_DATA_DIR "/contacts/") + QLatin1String(name);
}

QStringList namesOf(const AddressBook& book) {
    QStringList names;
    for (const Contact& contact : book.contacts)
        names.append(contact.name);
    return names;
}

} // namespace

TEST(AddressBookPlace, KestrelContactsWinsThenTheXdgDataFolder) {
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

TEST(AddressBookFile, EveryExporterStyleIsReadAndSortedByName) {
    for (const char* file : {"google-3.0.vcf", "apple-3.0.vcf", "phone-2.1.vcf",
                             "nextcloud-4.0.vcf", "office-2.1.vcf"}) {
        const AddressBook book = LoadAddressBook(dataPath(file));
        EXPECT_FALSE(book.contacts.isEmpty()) << file;
        EXPECT_TRUE(book.problem.isEmpty()) << file << ": " << book.problem.toStdString();
        EXPECT_EQ(book.fileCount, 1);
        EXPECT_FALSE(book.isFolder);
    }
    const AddressBook google = LoadAddressBook(dataPath("google-3.0.vcf"));
    EXPECT_EQ(namesOf(google), QStringList({"Rahman bin Osman", "Tan Mei Ling"}));
    const Contact& tan = google.contacts.at(1);
    EXPECT_EQ(tan.firm, QStringLiteral("Tan & Lim Architects, LLP"));
    EXPECT_EQ(tan.email, QStringLiteral("meiling.tan@example-arch.sg"));
    EXPECT_TRUE(tan.searchText.contains(QLatin1String("tan & lim")));
    EXPECT_EQ(namesOf(LoadAddressBook(dataPath("phone-2.1.vcf"))),
              QStringList({"Chlo\u00e9 L\u00e9ong \u674e\u660e", "J\u00fcrgen M\u00fcller"}));
}

TEST(AddressBookFile, BrokenCardsAreCountedAndTheGoodOnesListed) {
    const AddressBook book = LoadAddressBook(dataPath("broken.vcf"));
    EXPECT_EQ(namesOf(book), QStringList({"First Good", "Second Good", "Third Good"}));
    EXPECT_TRUE(book.problem.startsWith(QLatin1String("3 cards could not be read (line 6: ")))
        << book.problem.toStdString();
    EXPECT_TRUE(book.problem.contains(QLatin1String("line 25")));
}

TEST(AddressBookFile, MissingEmptyAndNotVCardEachSaySo) {
    const AddressBook missing = LoadAddressBook(dataPath("nobody-here.vcf"));
    EXPECT_TRUE(missing.contacts.isEmpty());
    EXPECT_EQ(missing.problem, "There is no address book at " + dataPath("nobody-here.vcf") + ".");

    const AddressBook empty = LoadAddressBook(dataPath("empty.vcf"));
    EXPECT_TRUE(empty.contacts.isEmpty());
    EXPECT_EQ(empty.problem, "The address book " + dataPath("empty.vcf") + " is empty.");

    const AddressBook garbage = LoadAddressBook(dataPath("garbage.vcf"));
    EXPECT_TRUE(garbage.contacts.isEmpty());
    EXPECT_EQ(garbage.problem,
              dataPath("garbage.vcf") + " is not a vCard file: it holds no BEGIN:VCARD.");

    EXPECT_FALSE(LoadAddressBook(QString()).problem.isEmpty());
}

TEST(AddressBookFile, AFileTooLargeToBeAnAddressBookIsNotRead) {
    QTemporaryDir dir;
    QFile huge(dir.filePath("huge.vcf"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(kMaxAddressBookFileBytes + 1)); // sparse: no disk is used
    huge.close();
    const AddressBook book = LoadAddressBook(huge.fileName());
    EXPECT_TRUE(book.contacts.isEmpty());
    EXPECT_TRUE(book.problem.startsWith("The address book " + huge.fileName() +
                                        " cannot be read: it is too large"))
        << book.problem.toStdString();
}

TEST(AddressBookFile, AnUnreadableFileSaysWhy) {
    QTemporaryDir dir;
    const QString path = dir.filePath("locked.vcf");
    ASSERT_TRUE(writeFile(path, "BEGIN:VCARD\nFN:A\nEND:VCARD\n"));
    QFile::setPermissions(path, QFileDevice::Permissions());
    if (::access(path.toLocal8Bit().constData(), R_OK) == 0)
        GTEST_SKIP() << "running with rights that read any file";
    const AddressBook book = LoadAddressBook(path);
    EXPECT_TRUE(book.contacts.isEmpty());
    EXPECT_TRUE(book.problem.startsWith("The address book " + path + " cannot be read: "))
        << book.problem.toStdString();
}

TEST(AddressBookFolder, EveryVcfFileBelowTheFolderIsReadAndOthersIgnored) {
    const AddressBook book = LoadAddressBook(dataPath("carddav"));
    EXPECT_TRUE(book.isFolder);
    EXPECT_EQ(namesOf(book), QStringList({"Folder One", "Folder Three", "Folder Two"}));
    EXPECT_EQ(book.fileCount, 4);
    EXPECT_EQ(book.problem,
              QStringLiteral("1 card could not be read (0a1d-broken.vcf line 1: the card has no "
                             "END:VCARD and was left out)."));
}

TEST(AddressBookFolder, AFolderWithoutCardFilesSaysSo) {
    QTemporaryDir dir;
    ASSERT_TRUE(writeFile(dir.filePath("notes.txt"), "hello"));
    const AddressBook book = LoadAddressBook(dir.path());
    EXPECT_TRUE(book.contacts.isEmpty());
    EXPECT_EQ(book.problem, "The folder " + dir.path() + " holds no .vcf files.");
}

TEST(AddressBookFolder, EmptyAndUnusableFilesInAFolderLeaveTheRest) {
    QTemporaryDir dir;
    ASSERT_TRUE(writeFile(dir.filePath("a.vcf"), "BEGIN:VCARD\nFN:Kept\nEND:VCARD\n"));
    ASSERT_TRUE(writeFile(dir.filePath("b.vcf"), ""));
    ASSERT_TRUE(writeFile(dir.filePath("c.vcf"), "garbage"));
    QFile huge(dir.filePath("d.vcf"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(kMaxAddressBookFileBytes + 1));
    huge.close();
    const AddressBook book = LoadAddressBook(dir.path());
    EXPECT_EQ(namesOf(book), QStringList({"Kept"}));
    EXPECT_TRUE(book.problem.startsWith(QLatin1String("1 file could not be read: d.vcf (it is "
                                                      "too large")))
        << book.problem.toStdString();
}
