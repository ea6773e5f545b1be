#pragma once
// CKRProContacts: the contacts control of the member page. A small button that opens the contact
// picker on the user's address book; when the user chooses a contact, the control makes its
// contact document and says so with contactReady(). The page then takes the document and brackets
// its import with BeginTransfer and CompleteTransfer.
//
// The operations are those any contacts control offers the page:
// - SetFlag(bool): whether the picker stays open after a contact is handed over (true), so
//   several contacts can be copied one after another, or closes (false; what the member page
//   asks, since its form holds one member);
// - GetContactDocument(): hands over the document of the contact chosen last (null when there is
//   none, or it was already taken);
// - BeginTransfer() / CompleteTransfer(): the page is importing / is done. In between the
//   control opens no picker and offers no other contact, so one import never runs into another;
//   CompleteTransfer also drops a document nobody took.

#include "contacts/AddressBook.h"
#include "contacts/ContactPickerDlg.h"
#include "sdk/XmlHelpers.h"

#include <QPointer>
#include <QPushButton>

class CKRProContacts : public QPushButton {
    Q_OBJECT
public:
    explicit CKRProContacts(QWidget* parent = nullptr);
    ~CKRProContacts() override;

    void SetFlag(bool keepPickerOpen);
    XmlDocPtr GetContactDocument();
    void CompleteTransfer();
    void BeginTransfer();

    bool GetFlag() const { return m_bKeepPickerOpen; }
    bool IsTransferring() const { return m_bTransferring; }

    // The address book the picker reads: DefaultAddressBookPath() until the user chooses another
    // file in the picker, which is then kept for the rest of the run.
    QString AddressBookPath() const;
    void SetAddressBookPath(const QString& path) { m_strAddressBook = path; }

    // Opens the picker (what a click does); it stays open until a contact is chosen or the user
    // cancels. Nothing happens during a transfer.
    void ShowPicker();
    // The picker while it is open, else null.
    kestrel::CContactPickerDlg* Picker() const { return m_picker; }

    // Makes the contact's document and offers it (contactReady). Ignored during a transfer.
    void OfferContact(const kestrel::Contact& contact);
    // Offers a document made elsewhere, as OfferContact does with its own.
    void OfferContactDocument(XmlDocPtr document);

signals:
    // A contact document is ready to be taken with GetContactDocument.
    void contactReady();
    // CompleteTransfer was called: whoever offered the contact may go on.
    void transferCompleted();

private:
    void onContactChosen(const kestrel::Contact& contact);

    bool m_bKeepPickerOpen = false;
    bool m_bTransferring = false;
    XmlDocPtr m_document;
    QString m_strAddressBook;
    QPointer<kestrel::CContactPickerDlg> m_picker;
};
