#pragma once
// The user's address book as the contact picker lists it: every card of one .vcf file, or of every
// .vcf file in a folder (the layout CardDAV sync tools keep, one card per file, one folder per
// address book, possibly a folder of such folders). Where the book is: KESTREL_CONTACTS, else
// $XDG_DATA_HOME/kestrel/contacts.vcf.
//
// Reading never fails as a whole: a missing, empty, unreadable or unparseable book gives an empty
// list and one line saying so; broken cards and unreadable files within a book are counted in
// that line and the rest is listed.

#include "contacts/VCard.h"

#include <QList>
#include <QString>

namespace kestrel {

struct Contact {
    QString name;
    QString firm;
    QString email;
    VCard card;
    // Name, firm and e-mail case-folded, for the picker's search.
    QString searchText;
};

struct AddressBook {
    QString path;
    bool isFolder = false;
    QList<Contact> contacts; // sorted by name, ignoring case
    int fileCount = 0;       // .vcf files read
    // "" when every card was read; otherwise one line on what was not, for the user.
    QString problem;
};

// Files larger than this are not read: no address book of real people comes near it once photos
// are set aside, and a stray disk image named .vcf must not fill the memory.
inline constexpr qint64 kMaxAddressBookFileBytes = 512LL * 1024 * 1024;

// KESTREL_CONTACTS when set, else $XDG_DATA_HOME/kestrel/contacts.vcf (~/.local/share when
// XDG_DATA_HOME is unset).
QString DefaultAddressBookPath();

AddressBook LoadAddressBook(const QString& path);

// The cards of vCard text already in memory, sorted as LoadAddressBook sorts them.
QList<Contact> ContactsFromCards(QList<VCard> cards);

} // namespace kestrel
