#pragma once
// CContactPickerDlg: the address book's contacts (name, firm, e-mail) with a search field that
// narrows them as the user types, for choosing the one to copy into a member. Built for the
// keyboard: the search field has the focus, the arrow and page keys move through the list from
// there, Enter imports the current contact and Escape closes the picker. A line says where the
// contacts come from, another what could not be read; "Other file..." reads another vCard file.

#include "contacts/AddressBook.h"

#include <QAbstractTableModel>
#include <QDialog>

#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

namespace kestrel {

// The contacts a search leaves, as rows of name, firm and e-mail.
class ContactListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Name = 0, Firm, Email, kColumnCount };

    explicit ContactListModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    void SetContacts(QList<Contact> contacts);
    // Keeps the contacts whose name, firm or e-mail hold every word of `text`, ignoring case.
    void SetFilter(const QString& text);

    int VisibleCount() const { return static_cast<int>(m_visible.size()); }
    int TotalCount() const { return static_cast<int>(m_contacts.size()); }
    // The contact shown in `row`; null outside the rows.
    const Contact* ContactAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QList<Contact> m_contacts;
    std::vector<int> m_visible;
    QStringList m_words; // the words of the filter now applied
};

class CContactPickerDlg : public QDialog {
    Q_OBJECT
public:
    explicit CContactPickerDlg(AddressBook book, QWidget* parent = nullptr);
    ~CContactPickerDlg() override;

    const AddressBook& Book() const { return m_book; }
    // Replaces the listed contacts with another book's (the search is kept).
    void SetBook(AddressBook book);

    QLineEdit* SearchField() const { return m_search; }
    QTreeView* ContactList() const { return m_list; }
    ContactListModel* Model() const { return m_model; }
    QString SourceText() const;
    QString ProblemText() const;
    QString StatusText() const;
    // The contact the list has current, or null.
    const Contact* CurrentContact() const;

    // Hands the current contact over (contactChosen); nothing when there is none.
    void ImportCurrent();
    // Asks for another vCard file through the file dialog and reads it.
    void OnOtherFile();

signals:
    // The user chose a contact. The picker stays open; whoever listens decides whether it closes.
    void contactChosen(const kestrel::Contact& contact);
    // Another address book was read ("Other file...").
    void addressBookChanged(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void applyFilter();
    void showBook();

    AddressBook m_book;
    ContactListModel* m_model = nullptr;
    QLabel* m_source = nullptr;
    QLabel* m_problem = nullptr;
    QLabel* m_status = nullptr;
    QLineEdit* m_search = nullptr;
    QTreeView* m_list = nullptr;
    QPushButton* m_import = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_otherFile = nullptr;
};

} // namespace kestrel
