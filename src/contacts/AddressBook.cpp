#include "contacts/AddressBook.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdlib>

namespace kestrel {
namespace {

// Problems named one by one in the line; the rest are counted.
constexpr int kProblemsNamed = 3;

struct FileResult {
    VCardFileContents contents;
    QString error; // "" when the file could be read
    bool empty = false;
};

FileResult readFile(const QString& path) {
    FileResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = file.errorString();
        return result;
    }
    const qint64 size = file.size();
    if (size > kMaxAddressBookFileBytes) {
        result.error = QStringLiteral("it is too large (%1 MB)").arg(size / (1024 * 1024));
        return result;
    }
    if (size == 0) {
        result.empty = true;
        return result;
    }
    // Mapped rather than copied: a large book with photos is read where it lies.
    if (uchar* mapped = file.map(0, size)) {
        result.contents = ParseVCards(QByteArrayView(reinterpret_cast<const char*>(mapped), size));
        file.unmap(mapped);
    } else {
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            result.error = file.errorString();
            return result;
        }
        result.contents = ParseVCards(bytes);
    }
    return result;
}

QString joinNamed(const QStringList& items) {
    QStringList shown = items.mid(0, kProblemsNamed);
    if (items.size() > kProblemsNamed)
        shown.append(QStringLiteral("%1 more").arg(items.size() - kProblemsNamed));
    return shown.join(QStringLiteral("; "));
}

QString countOf(qsizetype count, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

QString sortKey(const Contact& contact) {
    if (!contact.name.isEmpty())
        return contact.name.toCaseFolded();
    return (contact.firm.isEmpty() ? contact.email : contact.firm).toCaseFolded();
}

} // namespace

QString DefaultAddressBookPath() {
    const QByteArray configured = qgetenv("KESTREL_CONTACTS");
    if (!configured.isEmpty())
        return QString::fromLocal8Bit(configured);
    QString data = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME"));
    // The XDG rule: a relative XDG_DATA_HOME is to be ignored.
    if (data.isEmpty() || QDir::isRelativePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return data + QStringLiteral("/kestrel/contacts.vcf");
}

QList<Contact> ContactsFromCards(QList<VCard> cards) {
    QList<Contact> contacts;
    contacts.reserve(cards.size());
    for (VCard& card : cards) {
        Contact contact;
        contact.name = card.DisplayName();
        if (const VCardProperty* org = card.Find("ORG"))
            contact.firm = org->Components().value(0).simplified();
        for (const VCardProperty* email : card.FindAll("EMAIL")) {
            contact.email = email->Text().trimmed();
            if (!contact.email.isEmpty())
                break;
        }
        contact.searchText =
            (contact.name + QLatin1Char('\n') + contact.firm + QLatin1Char('\n') + contact.email)
                .toCaseFolded();
        contact.card = std::move(card);
        contacts.append(std::move(contact));
    }
    QList<QString> keys;
    keys.reserve(contacts.size());
    std::vector<int> order(contacts.size());
    for (int i = 0; i < contacts.size(); ++i) {
        keys.append(sortKey(contacts.at(i)));
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(),
                     [&keys](int a, int b) { return keys.at(a) < keys.at(b); });
    QList<Contact> sorted;
    sorted.reserve(contacts.size());
    for (int index : order)
        sorted.append(std::move(contacts[index]));
    return sorted;
}

AddressBook LoadAddressBook(const QString& path) {
    AddressBook book;
    book.path = path;
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) {
        book.problem = QStringLiteral("There is no address book at %1.").arg(path);
        return book;
    }

    QStringList files;
    if (info.isDir()) {
        book.isFolder = true;
        // Unreadable files are listed too: they are reported, not passed over in silence.
        QDirIterator it(path, {QStringLiteral("*.vcf"), QStringLiteral("*.vcard")},
                        QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            files.append(it.next());
        files.sort();
        if (files.isEmpty()) {
            book.problem = QStringLiteral("The folder %1 holds no .vcf files.").arg(path);
            return book;
        }
    } else {
        files.append(path);
    }

    QList<VCard> cards;
    QStringList unreadable;
    QStringList brokenCards;
    int emptyFiles = 0;
    int filesWithoutCards = 0;
    for (const QString& file : files) {
        FileResult result = readFile(file);
        const QString shownName = book.isFolder ? QFileInfo(file).fileName() : QString();
        if (!result.error.isEmpty()) {
            unreadable.append(book.isFolder ? shownName + QStringLiteral(" (") + result.error +
                                                  QLatin1Char(')')
                                            : result.error);
            continue;
        }
        ++book.fileCount;
        if (result.empty) {
            ++emptyFiles;
            continue;
        }
        if (result.contents.beginCount == 0)
            ++filesWithoutCards;
        for (const VCardProblem& problem : result.contents.problems)
            brokenCards.append((shownName.isEmpty() ? QString() : shownName + QLatin1Char(' ')) +
                               QStringLiteral("line %1: %2").arg(problem.line).arg(problem.what));
        cards.append(std::move(result.contents.cards));
    }
    book.contacts = ContactsFromCards(std::move(cards));

    QStringList lines;
    if (!book.isFolder) {
        if (!unreadable.isEmpty())
            lines.append(QStringLiteral("The address book %1 cannot be read: %2.")
                             .arg(path, unreadable.constFirst()));
        else if (emptyFiles > 0)
            lines.append(QStringLiteral("The address book %1 is empty.").arg(path));
        else if (filesWithoutCards > 0)
            lines.append(
                QStringLiteral("%1 is not a vCard file: it holds no BEGIN:VCARD.").arg(path));
    } else {
        if (!unreadable.isEmpty())
            lines.append(
                QStringLiteral("%1 could not be read: %2.")
                    .arg(countOf(unreadable.size(), "file", "files"), joinNamed(unreadable)));
        if (book.contacts.isEmpty() && unreadable.isEmpty() && brokenCards.isEmpty())
            lines.append(QStringLiteral("The folder %1 holds no vCards.").arg(path));
    }
    if (!brokenCards.isEmpty())
        lines.append(
            QStringLiteral("%1 could not be read (%2).")
                .arg(countOf(brokenCards.size(), "card", "cards"), joinNamed(brokenCards)));
    book.problem = lines.join(QLatin1Char(' '));
    return book;
}

} // namespace kestrel
