// The contact picker and the contacts control as a keyboard user drives them: typing narrows the
// list across name, firm and e-mail, the arrows move through it from the search field, Enter
// copies, Escape cancels; another file is chosen through the scripted file dialog; every way an
// address book can fail shows a line, never an empty window without a word.

#include "contacts/AddressBook.h"
#include "contacts/ContactPickerDlg.h"
#include "contacts/KRProContacts.h"
#include "framework/MessageBox.h"
#include "sdk/XmlHelpers.h"

#include "TestFiles.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

#include <memory>

using namespace kestrel;

namespace {

const QByteArray kFourPeople =
    "BEGIN:VCARD\nVERSION:3.0\nFN:Tan Mei Ling\nORG:Tan & Lim Architects\n"
    "EMAIL:meiling@arch.example\nEND:VCARD\n"
    "BEGIN:VCARD\nVERSION:3.0\nFN:Rahman Osman\nORG:Osman Engineering\n"
    "EMAIL:rahman@eng.example\nEND:VCARD\n"
    "BEGIN:VCARD\nVERSION:3.0\nFN:Lim Boon Huat\nORG:Lim Builders\n"
    "EMAIL:boonhuat@build.example\nEND:VCARD\n"
    "BEGIN:VCARD\nVERSION:3.0\nFN:Goh Kok Wei\nORG:Goh Surveyors\n"
    "EMAIL:kw.goh@survey.example\nEND:VCARD\n";

QString dataPath(const char* name) {
    return QStringLiteral(KESTREL_TEST_DATA_DIR "/contacts/") + QLatin1String(name);
}

QStringList shownNames(const CContactPickerDlg& picker) {
    QStringList names;
    for (int row = 0; row < picker.Model()->rowCount(); ++row)
        names.append(picker.Model()->index(row, ContactListModel::Name).data().toString());
    return names;
}

QString currentName(const CContactPickerDlg& picker) {
    const Contact* contact = picker.CurrentContact();
    return contact ? contact->name : QString();
}

} // namespace

class ContactPickerTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ScriptedAnswerer> m_answers;
    std::unique_ptr<CContactPickerDlg> m_picker;

    QString writeBook(const QByteArray& text) {
        const QString path = m_dir.filePath(QStringLiteral("people.vcf"));
        if (!writeFile(path, text))
            qFatal("cannot write the test book");
        return path;
    }
    void openPicker(const QString& path) {
        m_picker = std::make_unique<CContactPickerDlg>(LoadAddressBook(path));
        m_picker->show();
        QVERIFY(QTest::qWaitForWindowActive(m_picker.get()));
    }
    QLineEdit* search() { return m_picker->SearchField(); }

private slots:
    void init() { m_answers = std::make_unique<ScriptedAnswerer>(); }
    void cleanup() {
        m_picker.reset();
        m_answers.reset();
    }

    void listsNameFirmAndEmailAndSaysWhereTheyComeFrom() {
        const QString path = writeBook(kFourPeople);
        openPicker(path);
        QCOMPARE(shownNames(*m_picker),
                 QStringList({"Goh Kok Wei", "Lim Boon Huat", "Rahman Osman", "Tan Mei Ling"}));
        const QAbstractItemModel* model = m_picker->Model();
        QCOMPARE(model->index(3, ContactListModel::Firm).data().toString(),
                 QStringLiteral("Tan & Lim Architects"));
        QCOMPARE(model->index(3, ContactListModel::Email).data().toString(),
                 QStringLiteral("meiling@arch.example"));
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Name"));
        QCOMPARE(m_picker->SourceText(), "Contacts from " + path + ": 4 contacts.");
        QVERIFY(m_picker->ProblemText().isEmpty());
        // The user can type at once, and Enter would copy the first contact.
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(search()));
        QCOMPARE(currentName(*m_picker), QStringLiteral("Goh Kok Wei"));
    }

    void typingFilters_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("name or firm") << "lim" << QStringList{"Lim Boon Huat", "Tan Mei Ling"};
        QTest::newRow("any case") << "LIM" << QStringList{"Lim Boon Huat", "Tan Mei Ling"};
        QTest::newRow("firm and e-mail") << "eng" << QStringList{"Rahman Osman"};
        QTest::newRow("e-mail") << "survey.example" << QStringList{"Goh Kok Wei"};
        QTest::newRow("every word") << "lim build" << QStringList{"Lim Boon Huat"};
        QTest::newRow("words in any field") << "architects meiling" << QStringList{"Tan Mei Ling"};
        QTest::newRow("nothing") << "zzz" << QStringList{};
        QTest::newRow("blanks only")
            << "   " << QStringList{"Goh Kok Wei", "Lim Boon Huat", "Rahman Osman", "Tan Mei Ling"};
    }
    void typingFilters() {
        QFETCH(QString, typed);
        QFETCH(QStringList, shown);
        openPicker(writeBook(kFourPeople));
        QTest::keyClicks(search(), typed);
        QCOMPARE(shownNames(*m_picker), shown);
        QCOMPARE(currentName(*m_picker), shown.value(0));
    }

    void narrowingAndWideningAgainFollowTheText() {
        openPicker(writeBook(kFourPeople));
        QTest::keyClicks(search(), QStringLiteral("limx"));
        QVERIFY(shownNames(*m_picker).isEmpty());
        QCOMPARE(m_picker->StatusText(), QStringLiteral("No contact matches \u201climx\u201d."));
        QTest::keyClick(search(), Qt::Key_Backspace);
        QCOMPARE(shownNames(*m_picker), QStringList({"Lim Boon Huat", "Tan Mei Ling"}));
        QCOMPARE(m_picker->StatusText(), QStringLiteral("2 contacts of 4 match."));
        // A screen reader reads the line's words from its description (its name stays fixed).
        for (const QLabel* label : m_picker->findChildren<QLabel*>())
            if (label->accessibleName() == QLatin1String("Search result"))
                QCOMPARE(label->accessibleDescription(), QStringLiteral("2 contacts of 4 match."));
        search()->clear();
        QCOMPARE(shownNames(*m_picker).size(), 4);
        QVERIFY(m_picker->StatusText().isEmpty());
    }

    void arrowsMoveFromTheSearchFieldAndEnterCopies() {
        openPicker(writeBook(kFourPeople));
        QSignalSpy chosen(m_picker.get(), &CContactPickerDlg::contactChosen);
        QTest::keyClicks(search(), QStringLiteral("lim"));
        QTest::keyClick(search(), Qt::Key_Down);
        QCOMPARE(currentName(*m_picker), QStringLiteral("Tan Mei Ling"));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(search()));
        QTest::keyClick(search(), Qt::Key_Down); // stays on the last
        QTest::keyClick(search(), Qt::Key_Up);
        QCOMPARE(currentName(*m_picker), QStringLiteral("Lim Boon Huat"));
        QTest::keyClick(search(), Qt::Key_Down);
        QTest::keyClick(search(), Qt::Key_Return);
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen.at(0).at(0).value<Contact>().name, QStringLiteral("Tan Mei Ling"));
        // Enter in the list itself copies too; so does the keypad's Enter.
        m_picker->ContactList()->setFocus();
        QTest::keyClick(m_picker->ContactList(), Qt::Key_Up);
        QTest::keyClick(m_picker->ContactList(), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(chosen.count(), 2);
        QCOMPARE(chosen.at(1).at(0).value<Contact>().name, QStringLiteral("Lim Boon Huat"));
    }

    void enterWithNothingShownCopiesNothing() {
        openPicker(writeBook(kFourPeople));
        QSignalSpy chosen(m_picker.get(), &CContactPickerDlg::contactChosen);
        QTest::keyClicks(search(), QStringLiteral("nobody"));
        QTest::keyClick(search(), Qt::Key_Return);
        QCOMPARE(chosen.count(), 0);
        QVERIFY(m_picker->isVisible());
    }

    void escapeCancels() {
        openPicker(writeBook(kFourPeople));
        QSignalSpy chosen(m_picker.get(), &CContactPickerDlg::contactChosen);
        QTest::keyClicks(search(), QStringLiteral("goh"));
        QTest::keyClick(search(), Qt::Key_Escape);
        QVERIFY(!m_picker->isVisible());
        QCOMPARE(m_picker->result(), int(QDialog::Rejected));
        QCOMPARE(chosen.count(), 0);
    }

    void otherFileIsChosenThroughTheFileDialog() {
        openPicker(writeBook(kFourPeople));
        QSignalSpy changed(m_picker.get(), &CContactPickerDlg::addressBookChanged);
        QTest::keyClicks(search(), QStringLiteral("tan"));
        // Cancelled: the book stays.
        m_picker->OnOtherFile();
        QCOMPARE(m_answers->openRequests().size(), std::size_t(1));
        QVERIFY(m_answers->openRequests().front().filter.contains(QLatin1String("*.vcf")));
        QCOMPARE(m_answers->openRequests().front().initialPath, m_dir.path());
        QCOMPARE(changed.count(), 0);
        QCOMPARE(shownNames(*m_picker), QStringList({"Tan Mei Ling"}));

        m_answers->queueOpenFileName(dataPath("google-3.0.vcf"));
        const QList<QPushButton*> buttons = m_picker->findChildren<QPushButton*>();
        for (QPushButton* button : buttons)
            if (button->text().contains(QLatin1String("Other file")))
                QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toString(), dataPath("google-3.0.vcf"));
        QCOMPARE(m_picker->SourceText(),
                 "Contacts from " + dataPath("google-3.0.vcf") + ": 2 contacts.");
        // The search stays and applies to the new book.
        QCOMPARE(shownNames(*m_picker), QStringList({"Tan Mei Ling"}));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(search()));
    }

    // The line is the address book's own account of what went wrong (its texts are tested with
    // the address book).
    void everyUnusableBookShowsALine_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("contacts");
        QTest::newRow("missing") << dataPath("nobody.vcf") << 0;
        QTest::newRow("empty") << dataPath("empty.vcf") << 0;
        QTest::newRow("not vCard") << dataPath("garbage.vcf") << 0;
        QTest::newRow("broken cards") << dataPath("broken.vcf") << 3;
        QTest::newRow("folder") << dataPath("carddav") << 3;
    }
    void everyUnusableBookShowsALine() {
        QFETCH(QString, path);
        QFETCH(int, contacts);
        openPicker(path);
        QVERIFY(!m_picker->ProblemText().isEmpty());
        QCOMPARE(m_picker->ProblemText(), LoadAddressBook(path).problem);
        bool lineShown = false;
        for (const QLabel* label : m_picker->findChildren<QLabel*>())
            if (label->accessibleName() == QLatin1String("Address book problems"))
                lineShown = label->isVisible();
        QVERIFY(lineShown);
        QCOMPARE(m_picker->Model()->rowCount(), contacts);
        if (contacts == 0)
            QCOMPARE(m_picker->StatusText(), QStringLiteral("No contacts to show."));
        QTest::keyClick(search(), Qt::Key_Return); // nothing to copy, nothing breaks
    }

    // --- the control ---

    void theControlOpensThePickerOnTheAddressBookAndOffersTheChosenContact() {
        QVERIFY(writeFile(DefaultAddressBookPath(), readFile(dataPath("google-3.0.vcf"))));
        QWidget window;
        auto* control = new CKRProContacts(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QSignalSpy ready(control, &CKRProContacts::contactReady);
        control->setFocus();
        QTest::keyClick(control, Qt::Key_Space);
        CContactPickerDlg* picker = control->Picker();
        QVERIFY(picker);
        QVERIFY(QTest::qWaitForWindowActive(picker));
        QCOMPARE(picker->Book().path, DefaultAddressBookPath());
        QTest::keyClicks(picker->SearchField(), QStringLiteral("osman"));
        QTest::keyClick(picker->SearchField(), Qt::Key_Return);
        QCOMPARE(ready.count(), 1);
        // Flag false (the default, and what the member page sets): the picker has closed.
        QTRY_VERIFY(!control->Picker());
        XmlDocPtr doc = control->GetContactDocument();
        QVERIFY(doc);
        QCOMPARE(GetNodeTextXPath(*doc, *doc, "/krroot/members/member/member_name", QString()),
                 QStringLiteral("Rahman bin Osman"));
        QCOMPARE(GetNodeTextXPath(*doc, *doc, "/krroot/members/member/tel_no", QString()),
                 QStringLiteral("62345678"));
        // Handed over once.
        QVERIFY(!control->GetContactDocument());
    }

    void withTheFlagSetThePickerStaysOpenForMore() {
        const QString path = writeBook(kFourPeople);
        QWidget window;
        auto* control = new CKRProContacts(&window);
        control->SetAddressBookPath(path);
        control->SetFlag(true);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QSignalSpy ready(control, &CKRProContacts::contactReady);
        QTest::mouseClick(control, Qt::LeftButton);
        QVERIFY(control->Picker());
        QTest::keyClick(control->Picker()->SearchField(), Qt::Key_Return);
        QTest::keyClick(control->Picker()->SearchField(), Qt::Key_Down);
        QTest::keyClick(control->Picker()->SearchField(), Qt::Key_Return);
        QCOMPARE(ready.count(), 2);
        QVERIFY(control->Picker() && control->Picker()->isVisible());
        QTest::keyClick(control->Picker()->SearchField(), Qt::Key_Escape);
        QTRY_VERIFY(!control->Picker());
    }

    void duringATransferNoPickerOpensAndNothingElseIsOffered() {
        QWidget window;
        auto* control = new CKRProContacts(&window);
        control->SetAddressBookPath(writeBook(kFourPeople));
        QSignalSpy ready(control, &CKRProContacts::contactReady);
        QSignalSpy completed(control, &CKRProContacts::transferCompleted);
        control->OfferContactDocument(CreateXMLDoc());
        QCOMPARE(ready.count(), 1);
        control->BeginTransfer();
        QVERIFY(control->IsTransferring());
        control->ShowPicker();
        QVERIFY(!control->Picker());
        control->OfferContactDocument(CreateXMLDoc());
        QCOMPARE(ready.count(), 1);
        control->CompleteTransfer();
        QVERIFY(!control->IsTransferring());
        QCOMPARE(completed.count(), 1);
        // A document nobody took is dropped with the transfer.
        QVERIFY(!control->GetContactDocument());
        control->ShowPicker();
        QVERIFY(control->Picker());
    }

    void anotherFileChosenInThePickerIsKeptForTheNextOpening() {
        QWidget window;
        auto* control = new CKRProContacts(&window);
        control->SetAddressBookPath(writeBook(kFourPeople));
        window.show();
        control->ShowPicker();
        m_answers->queueOpenFileName(dataPath("office-2.1.vcf"));
        control->Picker()->OnOtherFile();
        QCOMPARE(control->AddressBookPath(), dataPath("office-2.1.vcf"));
        QTest::keyClick(control->Picker()->SearchField(), Qt::Key_Escape);
        QTRY_VERIFY(!control->Picker());
        control->ShowPicker();
        QCOMPARE(control->Picker()->Book().path, dataPath("office-2.1.vcf"));
    }
};

QTEST_MAIN(ContactPickerTest)
#include "ContactPickerTest.moc"
