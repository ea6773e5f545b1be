#include "contacts/KRProContacts.h"

#include "contacts/ContactDocument.h"
#include "contacts/ContactPickerDlg.h"

using namespace kestrel;

CKRProContacts::CKRProContacts(QWidget* parent)
    : QPushButton(QStringLiteral("Contacts..."), parent) {
    setAccessibleName(QStringLiteral("Contacts"));
    connect(this, &QPushButton::clicked, this, [this] { ShowPicker(); });
}

CKRProContacts::~CKRProContacts() {
    delete m_picker;
}

void CKRProContacts::SetFlag(bool keepPickerOpen) {
    m_bKeepPickerOpen = keepPickerOpen;
}

XmlDocPtr CKRProContacts::GetContactDocument() {
    return std::move(m_document);
}

void CKRProContacts::BeginTransfer() {
    m_bTransferring = true;
}

void CKRProContacts::CompleteTransfer() {
    m_bTransferring = false;
    m_document.reset();
    emit transferCompleted();
}

QString CKRProContacts::AddressBookPath() const {
    return m_strAddressBook.isEmpty() ? DefaultAddressBookPath() : m_strAddressBook;
}

void CKRProContacts::ShowPicker() {
    if (m_bTransferring)
        return;
    if (m_picker) {
        m_picker->raise();
        m_picker->activateWindow();
        return;
    }
    // The book is read each time the picker opens, so contacts added meanwhile are there.
    m_picker = new CContactPickerDlg(LoadAddressBook(AddressBookPath()), window());
    m_picker->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_picker, &CContactPickerDlg::contactChosen, this,
            [this](const Contact& contact) { onContactChosen(contact); });
    connect(m_picker, &CContactPickerDlg::addressBookChanged, this,
            [this](const QString& path) { m_strAddressBook = path; });
    m_picker->open();
}

void CKRProContacts::onContactChosen(const Contact& contact) {
    // The picker goes before the contact is offered, so a question the import asks comes up
    // over the form and the focus lands there afterwards.
    if (!m_bKeepPickerOpen && m_picker)
        m_picker->accept();
    OfferContact(contact);
}

void CKRProContacts::OfferContact(const Contact& contact) {
    if (m_bTransferring)
        return;
    OfferContactDocument(BuildContactDocument(contact.card, ContactLookups::Program()));
}

void CKRProContacts::OfferContactDocument(XmlDocPtr document) {
    if (m_bTransferring || !document)
        return;
    m_document = std::move(document);
    emit contactReady();
}
