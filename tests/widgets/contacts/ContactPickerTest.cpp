// The contact picker and the contacts control as a keyboard user drives them: typing narrows the
// list across name, firm and e-mail, the arrows move through it from the search field, Enter
// copies, Escape cancels; another file is chosen through the scripted file dialog; every way an
// address book can fail shows a line, never an empty window without a word. (The whole import
// from the user's own address book into a member is the member pages' test.)

#include "contacts/AddressBook.h"
#include "contacts/ContactPickerDlg.h"
#include "contacts/KRProContacts.h"
#include "framework/MessageBox.h"
#include "sdk/XmlHelpers.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

using namespace kestrel;

namespace {

// The seven people of the sample book, by name.
const QStringList kAll = {"Goh Kok Wei", "Lim Boon Huat",    "Nur Aisyah binte Rahman",
                          "Priya Nair",  "Rahman bin Osman", "Tan Mei Ling",
                          "Wong Jia Hui"};

QString dataPath(const char* name) {
    return QStringLiteral(KESTREL_TEST_DATA_DIR "/contacts/") + QLatin1String(name);
}

// The line a screen reader knows by this name.
const QLabel* label(const QWidget* dialog, const char* accessibleName) {
    for (const QLabel* label : dialog->findChildren<QLabel*>())
        if (label->accessibleName() == QLatin1String(accessibleName))
            return label;
    qFatal("no line named %s", accessibleName);
}

} // namespace

class ContactPickerTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScriptedAnswerer> m_answers;
    std::unique_ptr<CContactPickerDlg> m_picker;

    void openPicker(const QString& path) {
        m_picker = std::make_unique<CContactPickerDlg>(LoadAddressBook(path));
        m_picker->show();
        QVERIFY(QTest::qWaitForWindowActive(m_picker.get()));
    }
    QLineEdit* search() { return m_picker->SearchField(); }
    QStringList shown(int column = ContactListModel::Name) const {
        QStringList texts;
        for (int row = 0; row < m_picker->Model()->rowCount(); ++row)
            texts << m_picker->Model()->index(row, column).data().toString();
        return texts;
    }
    QString current() const {
        const Contact* contact = m_picker->CurrentContact();
        return contact ? contact->name : QString();
    }

private slots:
    void init() { m_answers = std::make_unique<ScriptedAnswerer>(); }
    void cleanup() {
        m_picker.reset();
        m_answers.reset();
    }

    // Typing narrows the list across name, firm and e-mail; the arrows move through it from the
    // search field, Enter (also the keypad's, also in the list) copies, Enter with nothing shown
    // copies nothing; another file comes through the file dialog (cancelled, the book stays;
    // chosen, the search applies to the new book); Escape cancels.
    void aKeyboardUserFindsCopiesAndCancels() {
        const QString path = dataPath("sample-book.vcf");
        openPicker(path);
        QSignalSpy chosen(m_picker.get(), &CContactPickerDlg::contactChosen);
        QSignalSpy changed(m_picker.get(), &CContactPickerDlg::addressBookChanged);
        QCOMPARE(shown(), kAll);
        QCOMPARE(shown(ContactListModel::Firm).at(5), "Tan & Lim Architects, LLP");
        QCOMPARE(shown(ContactListModel::Email).at(5), "meiling.tan@example-arch.sg");
        QCOMPARE(m_picker->SourceText(), "Contacts from " + path + ": 7 contacts.");
        QVERIFY(m_picker->ProblemText().isEmpty());
        QCOMPARE(current(), "Goh Kok Wei"); // Enter would copy the first one

        const std::pair<QString, QStringList> filters[] = {
            {"LIM", {"Lim Boon Huat", "Tan Mei Ling"}}, // name or firm, any case
            {"example-survey", {"Goh Kok Wei"}},
            {"lim build", {"Lim Boon Huat"}}, // every word
            {"   ", kAll},
            {"limx", {}},
        };
        for (const auto& [typed, names] : filters) {
            search()->clear();
            QTest::keyClicks(search(), typed);
            QCOMPARE(shown(), names);
            QCOMPARE(current(), names.value(0));
        }
        // The line says how many match, also to a screen reader (from its description: its name
        // stays fixed).
        QCOMPARE(m_picker->StatusText(), QStringLiteral("No contact matches \u201climx\u201d."));
        QTest::keyClick(search(), Qt::Key_Return); // nothing shown: nothing copied
        QTest::keyClick(search(), Qt::Key_Backspace);
        QCOMPARE(m_picker->StatusText(), "2 contacts of 7 match.");
        QCOMPARE(label(m_picker.get(), "Search result")->accessibleDescription(),
                 m_picker->StatusText());
        // The arrows and Enter from the search field; then Up and the keypad's Enter in the list.
        for (Qt::Key key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_Return, Qt::Key_Down, Qt::Key_Return})
            QTest::keyClick(search(), key);
        m_picker->ContactList()->setFocus();
        QTest::keyClick(m_picker->ContactList(), Qt::Key_Up);
        QTest::keyClick(m_picker->ContactList(), Qt::Key_Enter, Qt::KeypadModifier);
        QStringList copied;
        for (const QList<QVariant>& signal : chosen)
            copied << signal.at(0).value<Contact>().name;
        QCOMPARE(copied, QStringList({"Lim Boon Huat", "Tan Mei Ling", "Lim Boon Huat"}));
        QVERIFY(m_picker->isVisible());
        search()->clear();
        QVERIFY(m_picker->StatusText().isEmpty());

        QTest::keyClicks(search(), "tan");
        m_picker->OnOtherFile(); // cancelled
        QCOMPARE(m_answers->openRequests().size(), std::size_t(1));
        QCOMPARE(m_answers->openRequests().front().initialPath, dataPath("").chopped(1));
        QCOMPARE(changed.count(), 0);
        const QString other = dataPath("google-3.0.vcf");
        m_answers->queueOpenFileName(other);
        for (QPushButton* button : m_picker->findChildren<QPushButton*>())
            if (button->text().contains(QLatin1String("Other file")))
                QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toString(), other);
        QCOMPARE(m_picker->SourceText(), "Contacts from " + other + ": 2 contacts.");
        QCOMPARE(shown(), QStringList({"Tan Mei Ling"}));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(search()));
        QTest::keyClick(search(), Qt::Key_Escape);
        QVERIFY(!m_picker->isVisible());
        QCOMPARE(m_picker->result(), int(QDialog::Rejected));
    }

    // The line is the address book's own account of what went wrong (its texts are tested with
    // the address book).
    void everyUnusableBookShowsALine() {
        const std::pair<const char*, int> books[] = {{"nobody.vcf", 0}, {"broken.vcf", 3}};
        for (const auto& [name, contacts] : books) {
            openPicker(dataPath(name));
            QVERIFY2(!m_picker->ProblemText().isEmpty(), name);
            QCOMPARE(m_picker->ProblemText(), LoadAddressBook(dataPath(name)).problem);
            QVERIFY2(label(m_picker.get(), "Address book problems")->isVisible(), name);
            QCOMPARE(m_picker->Model()->rowCount(), contacts);
            if (contacts == 0)
                QCOMPARE(m_picker->StatusText(), QStringLiteral("No contacts to show."));
            QTest::keyClick(search(), Qt::Key_Return); // nothing to copy, nothing breaks
        }
    }

    // With the flag set the picker stays open for more; another file chosen in it is kept for
    // the next opening. During a transfer no picker opens and nothing else is offered.
    void theControlKeepsThePickerAndItsFile() {
        QWidget window;
        auto* control = new CKRProContacts(&window);
        control->SetAddressBookPath(dataPath("sample-book.vcf"));
        control->SetFlag(true);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QSignalSpy ready(control, &CKRProContacts::contactReady);
        QTest::mouseClick(control, Qt::LeftButton);
        QVERIFY(control->Picker());
        QLineEdit* field = control->Picker()->SearchField();
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Down, Qt::Key_Return})
            QTest::keyClick(field, key);
        QCOMPARE(ready.count(), 2);
        QVERIFY(control->Picker() && control->Picker()->isVisible());
        m_answers->queueOpenFileName(dataPath("office-2.1.vcf"));
        control->Picker()->OnOtherFile();
        QTest::keyClick(field, Qt::Key_Escape);
        QTRY_VERIFY(!control->Picker());
        control->ShowPicker();
        QCOMPARE(control->Picker()->Book().path, dataPath("office-2.1.vcf"));
        QTest::keyClick(control->Picker()->SearchField(), Qt::Key_Escape);
        QTRY_VERIFY(!control->Picker());

        QSignalSpy completed(control, &CKRProContacts::transferCompleted);
        control->BeginTransfer();
        control->ShowPicker();
        QVERIFY(!control->Picker());
        control->OfferContactDocument(CreateXMLDoc());
        QCOMPARE(ready.count(), 2);
        control->CompleteTransfer();
        QCOMPARE(completed.count(), 1);
        control->OfferContactDocument(CreateXMLDoc());
        QCOMPARE(ready.count(), 3);
        QVERIFY(control->GetContactDocument());
        QVERIFY(!control->GetContactDocument()); // handed over once
    }
};

QTEST_MAIN(ContactPickerTest)
#include "ContactPickerTest.moc"
