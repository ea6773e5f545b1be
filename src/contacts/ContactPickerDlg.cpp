#include "contacts/ContactPickerDlg.h"

#include "framework/MessageBox.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTreeView>
#include <QVBoxLayout>

namespace kestrel {
namespace {

// The lines of the picker carry a fixed name on the bus ("Search result"); what they say is their
// description, so a screen reader reads it too.
void showLine(QLabel* line, const QString& text) {
    line->setText(text);
    line->setAccessibleDescription(text);
}

QStringList wordsOf(const QString& text) {
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return text.toCaseFolded().split(blanks, Qt::SkipEmptyParts);
}

bool matchesAll(const QString& haystack, const QStringList& words) {
    for (const QString& word : words)
        if (!haystack.contains(word))
            return false;
    return true;
}

// Whether every contact `narrower` keeps is also kept by `wider`: then only the rows shown now
// need looking at again, which is what typing one more letter does.
bool narrows(const QStringList& narrower, const QStringList& wider) {
    if (wider.isEmpty())
        return true;
    for (const QString& word : wider) {
        bool covered = false;
        for (const QString& candidate : narrower)
            covered = covered || candidate.contains(word);
        if (!covered)
            return false;
    }
    return true;
}

QString count(qsizetype n, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

} // namespace

// --- the model ---

void ContactListModel::SetContacts(QList<Contact> contacts) {
    beginResetModel();
    m_contacts = std::move(contacts);
    m_visible.resize(m_contacts.size());
    for (std::size_t i = 0; i < m_visible.size(); ++i)
        m_visible[i] = static_cast<int>(i);
    const QStringList words = m_words;
    m_words.clear();
    endResetModel();
    if (!words.isEmpty())
        SetFilter(words.join(QLatin1Char(' ')));
}

void ContactListModel::SetFilter(const QString& text) {
    const QStringList words = wordsOf(text);
    if (words == m_words)
        return;
    std::vector<int> visible;
    if (narrows(words, m_words)) {
        visible.reserve(m_visible.size());
        for (int index : m_visible)
            if (matchesAll(m_contacts.at(index).searchText, words))
                visible.push_back(index);
    } else {
        visible.reserve(m_contacts.size());
        for (int index = 0; index < m_contacts.size(); ++index)
            if (matchesAll(m_contacts.at(index).searchText, words))
                visible.push_back(index);
    }
    beginResetModel();
    m_visible = std::move(visible);
    m_words = words;
    endResetModel();
}

const Contact* ContactListModel::ContactAt(int row) const {
    if (row < 0 || row >= VisibleCount())
        return nullptr;
    return &m_contacts.at(m_visible[static_cast<std::size_t>(row)]);
}

int ContactListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : VisibleCount();
}

int ContactListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant ContactListModel::data(const QModelIndex& index, int role) const {
    const Contact* contact = ContactAt(index.row());
    if (!contact || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    switch (index.column()) {
    case Name:
        return contact->name;
    case Firm:
        return contact->firm;
    case Email:
        return contact->email;
    default:
        return {};
    }
}

QVariant ContactListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case Name:
        return QStringLiteral("Name");
    case Firm:
        return QStringLiteral("Firm");
    case Email:
        return QStringLiteral("E-mail");
    default:
        return {};
    }
}

// --- the dialog ---

CContactPickerDlg::CContactPickerDlg(AddressBook book, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Copy a Contact"));
    setObjectName(QStringLiteral("ContactPicker"));

    m_source = new QLabel(this);
    m_source->setWordWrap(true);
    m_source->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_source->setAccessibleName(QStringLiteral("Address book"));
    m_problem = new QLabel(this);
    m_problem->setWordWrap(true);
    m_problem->setAccessibleName(QStringLiteral("Address book problems"));
    m_problem->setStyleSheet(QStringLiteral("color: #a40000;"));

    m_search = new QLineEdit(this);
    m_search->setPlaceholderText(QStringLiteral("Name, firm or e-mail"));
    m_search->setClearButtonEnabled(true);
    auto* searchLabel = new QLabel(QStringLiteral("&Search:"), this);
    searchLabel->setBuddy(m_search);
    m_search->setAccessibleName(QStringLiteral("Search"));
    m_search->setAccessibleDescription(
        QStringLiteral("Type part of a name, firm or e-mail; arrows choose, Enter copies"));

    m_model = new ContactListModel(this);
    m_list = new QTreeView(this);
    m_list->setModel(m_model);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setAccessibleName(QStringLiteral("Contacts"));
    m_list->header()->setStretchLastSection(true);
    m_list->header()->resizeSection(ContactListModel::Name, 200);
    m_list->header()->resizeSection(ContactListModel::Firm, 180);

    m_status = new QLabel(this);
    m_status->setAccessibleName(QStringLiteral("Search result"));

    m_otherFile = new QPushButton(QStringLiteral("&Other file..."), this);
    m_otherFile->setToolTip(QStringLiteral("Read the contacts of another vCard file"));
    m_import = new QPushButton(QStringLiteral("&Copy to member"), this);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    // Enter is the picker's own (it copies the contact in the list); no button takes it.
    for (QPushButton* button : {m_otherFile, m_import, m_cancel}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(searchLabel);
    searchRow->addWidget(m_search, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_otherFile);
    buttons->addStretch(1);
    buttons->addWidget(m_import);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_source);
    layout->addWidget(m_problem);
    layout->addLayout(searchRow);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_status);
    layout->addLayout(buttons);
    setTabOrder(m_search, m_list);
    setTabOrder(m_list, m_import);
    setTabOrder(m_import, m_cancel);
    setTabOrder(m_cancel, m_otherFile);

    connect(m_search, &QLineEdit::textChanged, this, [this] { applyFilter(); });
    connect(m_list, &QAbstractItemView::doubleClicked, this, [this] { ImportCurrent(); });
    connect(m_import, &QPushButton::clicked, this, [this] { ImportCurrent(); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_otherFile, &QPushButton::clicked, this, [this] { OnOtherFile(); });
    m_search->installEventFilter(this);
    m_list->installEventFilter(this);

    resize(640, 420);
    SetBook(std::move(book));
    m_search->setFocus(Qt::OtherFocusReason);
}

CContactPickerDlg::~CContactPickerDlg() = default;

void CContactPickerDlg::SetBook(AddressBook book) {
    m_book = std::move(book);
    m_model->SetContacts(m_book.contacts);
    showBook();
    applyFilter();
}

void CContactPickerDlg::showBook() {
    const QString where = m_book.isFolder
                              ? QStringLiteral("the folder %1 (%2)")
                                    .arg(m_book.path, count(m_book.fileCount, "file", "files"))
                              : m_book.path;
    showLine(m_source, QStringLiteral("Contacts from %1: %2.")
                           .arg(where, count(m_book.contacts.size(), "contact", "contacts")));
    showLine(m_problem, m_book.problem);
    m_problem->setVisible(!m_book.problem.isEmpty());
}

void CContactPickerDlg::applyFilter() {
    m_model->SetFilter(m_search->text());
    const int shown = m_model->VisibleCount();
    if (shown > 0) {
        // The first match is current at once, so Enter copies what the user sees on top.
        m_list->setCurrentIndex(m_model->index(0, 0));
    }
    m_import->setEnabled(shown > 0);
    if (m_search->text().trimmed().isEmpty())
        showLine(m_status,
                 m_model->TotalCount() == 0 ? QStringLiteral("No contacts to show.") : QString());
    else if (shown == 0)
        showLine(
            m_status,
            QStringLiteral("No contact matches \u201c%1\u201d.").arg(m_search->text().trimmed()));
    else
        showLine(m_status, QStringLiteral("%1 of %2 match.")
                               .arg(count(shown, "contact", "contacts"))
                               .arg(m_model->TotalCount()));
}

QString CContactPickerDlg::SourceText() const {
    return m_source->text();
}

QString CContactPickerDlg::ProblemText() const {
    return m_problem->text();
}

QString CContactPickerDlg::StatusText() const {
    return m_status->text();
}

const Contact* CContactPickerDlg::CurrentContact() const {
    const QModelIndex current = m_list->currentIndex();
    return current.isValid() ? m_model->ContactAt(current.row()) : nullptr;
}

void CContactPickerDlg::ImportCurrent() {
    if (const Contact* contact = CurrentContact()) {
        // A copy: whoever listens may close (and so destroy) the picker and its rows.
        const Contact chosen = *contact;
        emit contactChosen(chosen);
    }
}

void CContactPickerDlg::OnOtherFile() {
    OpenFileRequest request;
    request.caption = QStringLiteral("Choose an Address Book");
    const QFileInfo current(m_book.path);
    request.initialPath = m_book.isFolder ? m_book.path : current.absolutePath();
    request.filter = QStringLiteral("vCard files (*.vcf *.vcard);;All files (*)");
    const QString chosen = GetOpenFileName(this, request);
    if (chosen.isEmpty())
        return;
    SetBook(LoadAddressBook(chosen));
    emit addressBookChanged(chosen);
    m_search->setFocus(Qt::OtherFocusReason);
}

void CContactPickerDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Whatever had the focus before (the control's button, pressed with Space), the user types
    // into the search field first.
    m_search->setFocus(Qt::OtherFocusReason);
}

bool CContactPickerDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (key->modifiers() & ~Qt::KeypadModifier)
            break;
        ImportCurrent();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        // From the search field the list is moved without leaving the field, so the user can
        // type again at once.
        if (watched == m_search) {
            QCoreApplication::sendEvent(m_list, event);
            return true;
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace kestrel
