// The member page and its three detail pages driven as a user drives them, and a contact copied
// into the form from the address book through the contacts control.

#include "TestFiles.h"
#include "TestForm.h"
#include "TestRecord.h"
#include "contacts/AddressBook.h"
#include "contacts/ContactPickerDlg.h"
#include "contacts/KRProContacts.h"
#include "controls/EditableListCtrl.h"
#include "controls/HoverButton.h"
#include "pages/member/PropPageMemberAddress.h"
#include "pages/member/PropPageMemberContact.h"
#include "pages/member/PropPageMemberGeneral.h"
#include "pages/member/PropPageMemberInfo.h"
#include "sdk/XmlHelpers.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

using kestrel::IDNO;
using kestrel::IDYES;
using Members = CPropPageMemberInfo;
using General = CPropPageMemberGeneral;
using Address = CPropPageMemberAddress;
using Contact = CPropPageMemberContact;

class MemberPagesTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<RecordDialog> m_record;
    Members* m_members = nullptr;

    // A new record in the dialog, its road table of four roads, with the member page in front.
    void showPage(bool viewOnly = false) {
        m_record.reset(); // before the next services register themselves
        m_record = std::make_unique<RecordDialog>(
            m_dir.filePath("new.xml"), viewOnly ? "VIEW_PROJ" : "NEW_PROJ",
            QStringList{"ADAM CLOSE", "ADAM ROAD", "ANG MO KIO AVENUE 3", "ORCHARD ROAD"});
        m_members = static_cast<Members*>(m_record->dialog.MemberPage());
        m_record->dialog.Sheet()->SetActivePage(m_members);
    }
    General* general() { return m_members->GeneralPage(); }
    Address* address() { return m_members->AddressPage(); }
    Contact* contact() { return m_members->ContactPage(); }
    CKRProContacts* contacts() { return m_members->ContactsControl(); }
    CPropertyPage* activePage() { return m_members->NestedSheet()->GetActivePage(); }
    CRecordListCtrl* list() {
        return Control<CRecordListCtrl>(m_members, Members::IDC_MEMBER_LIST);
    }
    // A control of a detail page, the page brought forward first.
    template <class W = QLineEdit> W* on(CPropertyPage* page, int id) {
        m_members->NestedSheet()->SetActivePage(page);
        return Control<W>(page, id);
    }
    QString text(CPropertyPage* page, int id) { return on(page, id)->text(); }
    bool radio(int id) { return on<QRadioButton>(general(), id)->isChecked(); }
    void click(int id) { QTest::mouseClick(Control<CHoverButton>(m_members, id), Qt::LeftButton); }
    int boxes() { return int(m_record->answers.messages().size()); }
    const kestrel::ScriptedAnswerer::Message& box() { return m_record->answers.messages().back(); }
    QString cell(int row, int column) { return list()->GetItemText(row, column); }

    // A role as the user enters it: "Add", then the two cells.
    void addRole(const QString& role, const QString& number) {
        QTest::mouseClick(on<CHoverButton>(general(), General::IDC_ADD_ROLE), Qt::LeftButton);
        CEditableListCtrl* roles = general()->RolesList();
        roles->SetItemText(roles->GetItemCount() - 1, kestrel::ROLE_DESCRIPTION, role);
        roles->SetItemText(roles->GetItemCount() - 1, kestrel::ROLE_PROFESSIONAL_NO, number);
    }
    // A member with an NRIC, an unformatted address, an email and a mobile; stored at once
    // unless told otherwise.
    void enterMember(const QString& name, const QString& nric, bool coordinator = false,
                     bool store = true) {
        Type(on(general(), General::IDC_NAME), name);
        Type(on(general(), General::IDC_NRIC_NO), nric);
        if (coordinator)
            QTest::mouseClick(on<QCheckBox>(general(), General::IDC_COORDINATOR), Qt::LeftButton);
        addRole("ARCHITECT", "1234");
        QTest::mouseClick(on<QCheckBox>(address(), Address::IDC_FORMATTED), Qt::LeftButton);
        Type(on(address(), Address::IDC_LINE1), "1 Jalan");
        Type(on(contact(), Contact::IDC_EMAIL), name.left(3) + "@x.sg");
        Type(on(contact(), Contact::IDC_MOBILE_NO), "91234567");
        if (store)
            click(CRecordPage::IDC_SAVE_AS_NEW);
    }
    // Offers a contact document of one member with the given elements; the control is left as
    // after a whole import, the document released.
    void offer(std::initializer_list<std::pair<const char*, const char*>> elements) {
        XmlDocPtr doc = CreateXMLDoc();
        pugi::xml_node member =
            doc->append_child("krroot").append_child("members").append_child("member");
        for (const auto& [name, text] : elements)
            member.append_child(name).text().set(text);
        QSignalSpy completed(contacts(), &CKRProContacts::transferCompleted);
        contacts()->OfferContactDocument(std::move(doc));
        QCOMPARE(completed.count(), 1);
        QVERIFY(!contacts()->IsTransferring() && !contacts()->GetContactDocument());
    }

private slots:
    void init() { showPage(); }
    void cleanup() { m_record.reset(); }

    void checksBringTheirPageForwardAndStoreNothing() {
        m_members->NestedSheet()->SetActivePage(contact());
        click(CRecordPage::IDC_SAVE_AS_NEW);
        QCOMPARE(boxes(), 1);
        QCOMPARE(box().text, Line(130) + Line(131) + Line(133) + Line(134) + Line(125) + Line(158));
        QCOMPARE(box().caption, GetRCString(122));
        QCOMPARE(box().icon, unsigned(kestrel::MB_ICONERROR));
        QCOMPARE(activePage(), general());
        QCOMPARE(box().focusWhenShown, static_cast<QWidget*>(on(general(), General::IDC_NAME)));
        QCOMPARE(list()->GetItemCount(), 0);
        // Only the email is wrong: the contact page comes forward with the email field.
        enterMember("LIM", "1234567D", false, false);
        on(contact(), Contact::IDC_EMAIL)->setText("a b");
        m_members->NestedSheet()->SetActivePage(general());
        click(CRecordPage::IDC_SAVE_AS_NEW);
        QCOMPARE(box().text, Line(125));
        QCOMPARE(activePage(), contact());
        QCOMPARE(box().focusWhenShown, static_cast<QWidget*>(on(contact(), Contact::IDC_EMAIL)));
    }

    void storedCoordinatorIsMarkedAndGivesTheProjectItsNumber() {
        enterMember("TAN AH KOW", "1234567D", true, false);
        addRole("PROFESSIONAL ENGINEER (MECHANICAL)", "88");
        click(CRecordPage::IDC_SAVE_AS_NEW);
        QVERIFY2(boxes() == 0, qPrintable(m_record->answers.lastText()));
        QCOMPARE(list()->GetItemCount(), 1);
        QCOMPARE(cell(0, kestrel::COL_IC_PASSPORT_NO), "S1234567D");
        QCOMPARE(cell(0, kestrel::COL_ROLES), "ARCHITECT, PROFESSIONAL ENGINEER (MECHANICAL)");
        QCOMPARE(list()->model()->index(0, 0).data().toString(), "* TAN AH KOW");
        // The architect's number wins over the engineer's.
        QCOMPARE(Control<QLineEdit>(m_record->project(), CPropPageProjectInfo::IDC_PROF_NO)->text(),
                 "A1234");
        QCOMPARE(m_members->MarkCoordinator(true), "TAN AH KOW");
        QVERIFY(m_members->UpdateProjectProfessionalNo());
        // The form is empty again, and a second member cannot be the coordinator.
        QVERIFY(text(general(), General::IDC_NAME).isEmpty());
        QVERIFY(!on<QCheckBox>(general(), General::IDC_COORDINATOR)->isEnabled());

        // The same identity is refused; the member's own row is no duplicate of itself.
        enterMember("TWO", "1234567D");
        QCOMPARE(boxes(), 1);
        QCOMPARE(box().text, "Record number: 1\n" + Line(155));
        QCOMPARE(list()->GetItemCount(), 1);
        m_record->answers.queueAnswer(IDYES); // discard the refused member
        ClickRow(list(), 0);
        QCOMPARE(text(general(), General::IDC_NRIC_NO), "1234567D");
        QVERIFY(on<QCheckBox>(general(), General::IDC_COORDINATOR)->isChecked());
        Type(on(general(), General::IDC_NAME), "X");
        click(CRecordPage::IDC_UPDATE);
        QCOMPARE(boxes(), 2);
        QCOMPARE(cell(0, kestrel::COL_MEMBER_NAME), "TAN AH KOWX");

        // A copy of the loaded coordinator is stored as an ordinary member.
        ClickRow(list(), 0);
        on(general(), General::IDC_NRIC_NO)->setText("7654321F");
        click(CRecordPage::IDC_SAVE_AS_NEW);
        QVERIFY2(boxes() == 2, qPrintable(m_record->answers.lastText()));
        QCOMPARE(cell(0, kestrel::COL_COORDINATOR) + cell(1, kestrel::COL_COORDINATOR), "YN");
    }

    void editsAreKeptUnlessDiscardedAndDeletionKeepsTheLoadedMember() {
        for (const char* nric : {"1234567D", "0000001I", "7654321F"})
            enterMember(QString(nric).left(3), nric);
        QCOMPARE(list()->GetItemCount(), 3);
        ClickRow(list(), 2);
        Type(on(general(), General::IDC_NAME), "Z");
        QVERIFY(!m_members->ResetMemberForm(true, false));
        ClickRow(list(), 1); // No (the default answer): the edits stay
        QCOMPARE(boxes(), 1);
        QCOMPARE(box().text, GetRCString(128));
        QCOMPARE(text(general(), General::IDC_NAME), "765Z");
        // Deleting a row above the loaded member keeps that member in the form; Update writes
        // it back to its row, which moved up.
        list()->SetItemSelected(0, true);
        m_record->answers.queueAnswer(IDYES);
        click(CRecordPage::IDC_DELETE);
        QCOMPARE(list()->GetItemCount(), 2);
        click(CRecordPage::IDC_UPDATE);
        QCOMPARE(cell(0, kestrel::COL_MEMBER_NAME) + "/" + cell(1, kestrel::COL_MEMBER_NAME),
                 "000/765Z");
        // Deleting the loaded member empties the form.
        ClickRow(list(), 1);
        m_record->answers.queueAnswer(IDYES);
        click(CRecordPage::IDC_DELETE);
        QCOMPARE(list()->GetItemCount(), 1);
        QVERIFY(text(general(), General::IDC_NAME).isEmpty());
        QVERIFY(m_members->ResetMemberForm(true, false));
    }

    // A radio ticked without a click (a screen reader's toggle action) switches the fields too.
    void identityFieldsFollowTheTickedRadio() {
        on<QRadioButton>(general(), General::IDC_PASSPORT_RADIO)->setChecked(true);
        QVERIFY(on(general(), General::IDC_PASSPORT_NO)->isEnabled());
        QVERIFY(!on(general(), General::IDC_NRIC_NO)->isEnabled());
        QVERIFY(on<QComboBox>(general(), General::IDC_COUNTRY)->currentText().isEmpty());
        on<QRadioButton>(general(), General::IDC_OTHERS_RADIO)->setChecked(true);
        QVERIFY(on(general(), General::IDC_OTHER_ID)->isEnabled());
        QCOMPARE(on<QComboBox>(general(), General::IDC_COUNTRY)->currentText(), "Singapore");
        QVERIFY(!m_members->ResetMemberForm(true, false)); // another identity type is an edit
    }

    // Members read from a file are shown and loading is no edit (that they are written back
    // unchanged is the file fidelity test's); a view-only run shows them in fields nobody can
    // change.
    void membersReadFromAFileAreShownAndWrittenBackUnchanged() {
        for (bool viewOnly : {false, true}) {
            showPage(viewOnly);
            XmlDocPtr doc = LoadXMLDoc(SampleProjectPath());
            m_members->ReadXml(*doc, doc->child("krroot").child("project").child("member_group"));
            QCOMPARE(list()->GetItemCount(), 2);
            ClickRow(list(), 1);
            QCOMPARE(text(general(), General::IDC_NAME), "NUR AISYAH BINTE RAHMAN");
            QVERIFY(radio(General::IDC_PASSPORT_RADIO));
            QCOMPARE(text(general(), General::IDC_PASSPORT_NO), "A12345678");
            QCOMPARE(general()->RolesList()->GetItemCount(), 2);
            QCOMPARE(text(address(), Address::IDC_LINE1), "SUITE 8-3, MENARA STRUCTA");
            QCOMPARE(on(general(), General::IDC_NAME)->isReadOnly(), viewOnly);
            QCOMPARE(on(address(), Address::IDC_LINE1)->isReadOnly(), viewOnly);
            QCOMPARE(on<QRadioButton>(general(), General::IDC_NRIC_RADIO)->isEnabled(), !viewOnly);
            QCOMPARE(general()->RolesList()->isEnabled(), !viewOnly);
            QCOMPARE(Control<QWidget>(m_members, CRecordPage::IDC_SAVE_AS_NEW)->isEnabled(),
                     !viewOnly);
            QCOMPARE(contacts()->isEnabled(), !viewOnly); // no import in a view-only run
            ClickRow(list(), 0);
            QCOMPARE(text(general(), General::IDC_NRIC_NO), "1234567D");
            QVERIFY(m_members->ResetMemberForm(true, false));
            QCOMPARE(boxes(), 0);
        }
    }

    // By keyboard: the control (between "Save as New" and the list), the picker, Enter. (The end
    // to end run completes and stores the member.)
    void aMemberIsFilledFromTheAddressBookByKeyboardAndStored() {
        QVERIFY(writeFile(kestrel::DefaultAddressBookPath(),
                          readFile(KESTREL_TEST_DATA_DIR "/contacts/apple-3.0.vcf") +
                              readFile(KESTREL_TEST_DATA_DIR "/contacts/google-3.0.vcf")));
        showPage();
        QCOMPARE(contacts()->accessibleDescription(), GetRCString(1066));
        QWidget* saveAsNew = Control<QWidget>(m_members, CRecordPage::IDC_SAVE_AS_NEW);
        saveAsNew->setFocus(Qt::TabFocusReason);
        QTest::keyClick(saveAsNew, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(contacts()));
        QTest::keyClick(contacts(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(list()));
        contacts()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(contacts(), Qt::Key_Space);
        kestrel::CContactPickerDlg* picker = contacts()->Picker();
        QVERIFY(picker && QTest::qWaitForWindowActive(picker));
        // The user types at once: the search field has the focus.
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(picker->SearchField()));
        QTest::keyClicks(QApplication::focusWidget(), "surveyors");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_VERIFY(!contacts()->Picker());
        QCOMPARE(boxes(), 0); // an empty form: no question
        // The window manager's part: the form's window is active again once the picker is gone.
        m_record->dialog.activateWindow();
        QVERIFY(m_record->active());

        QCOMPARE(on<QComboBox>(general(), General::IDC_COUNTRY)->currentText(), "Singapore");
        QCOMPARE(on<QComboBox>(address(), Address::IDC_ROAD_NAME)->currentText(), "ORCHARD ROAD");
        QVERIFY(radio(General::IDC_OTHERS_RADIO)); // a card carries no identity
        const std::tuple<CPropertyPage*, int, const char*> fields[] = {
            {general(), General::IDC_NAME, "Goh Kok Wei"},
            {general(), General::IDC_FIRM_NAME, "Goh Surveyors"},
            {address(), Address::IDC_LEVEL_NO, "10"},
            {address(), Address::IDC_POSTAL_CODE, "238824"},
            {address(), Address::IDC_LINE4, "Singapore 238824, Singapore"},
            {contact(), Contact::IDC_TEL_EXT, "21"},
            {contact(), Contact::IDC_PAGER_NO, "94001234"},
            {contact(), Contact::IDC_FAX_NO, ""},
        };
        for (const auto& [page, id, expected] : fields)
            QCOMPARE(text(page, id), expected);
        QCOMPARE(MarkedRow(list()), -1); // a new record
    }

    // An import fills the form: the identity split by its type (the prefix only beside an
    // NRIC), a missing element read as empty. An import nobody stored is replaced after a Yes;
    // No keeps what the user typed; a view-only run imports nothing; no document, no import.
    void anImportFillsTheFormAndAsksBeforeReplacingIt() {
        const struct {
            const char *flag, *number;
            int radio;
            const char *prefix, *nric, *passport, *other;
        } cases[] = {
            {"Y", "S1234567D", General::IDC_NRIC_RADIO, "S", "1234567D", "", ""},
            {"N", "E1234567", General::IDC_PASSPORT_RADIO, "", "", "E1234567", ""},
            {"Q", "W 1", General::IDC_OTHERS_RADIO, "", "", "", "W 1"},
        };
        for (int asked = 0; const auto& c : cases) {
            if (asked > 0)
                m_record->answers.queueAnswer(IDYES);
            offer({{"member_name", c.number},
                   {"ic_flag", c.flag},
                   {"ic_passport_no", c.number},
                   {"postal_code", "123456"},
                   {"email_address1", "one@example.org"}});
            QCOMPARE(boxes(), asked++);
            QVERIFY2(radio(c.radio), c.flag);
            QCOMPARE(on<QComboBox>(general(), General::IDC_NRIC_PREFIX)->currentText(), c.prefix);
            QCOMPARE(text(general(), General::IDC_NRIC_NO), c.nric);
            QCOMPARE(text(general(), General::IDC_PASSPORT_NO), c.passport);
            QCOMPARE(text(general(), General::IDC_OTHER_ID), c.other);
            QCOMPARE(text(general(), General::IDC_NAME), c.number);
        }
        QCOMPARE(text(contact(), Contact::IDC_EMAIL) + text(address(), Address::IDC_POSTAL_CODE),
                 "one@example.org123456");
        QCOMPARE(text(contact(), Contact::IDC_TEL_NO) + text(address(), Address::IDC_LINE1), "");
        QCOMPARE(MarkedRow(list()), -1);

        on(general(), General::IDC_NAME)->setText("TYPED BY HAND");
        on(contact(), Contact::IDC_EMAIL)->setText("hand@example.org");
        m_record->answers.queueAnswer(IDNO);
        offer({{"member_name", "FROM CONTACT"}, {"email_address1", "contact@example.org"}});
        QCOMPARE(boxes(), 3);
        QCOMPARE(box().text, GetRCString(128));
        QCOMPARE(box().caption, GetRCString(129));
        QCOMPARE(box().buttons, unsigned(kestrel::MB_YESNO));
        QCOMPARE(text(general(), General::IDC_NAME), "TYPED BY HAND");
        QCOMPARE(text(contact(), Contact::IDC_EMAIL), "hand@example.org");

        QSignalSpy completed(contacts(), &CKRProContacts::transferCompleted);
        QVERIFY(!m_members->OnContactsImport());
        QCOMPARE(completed.count(), 0);

        showPage(true);
        offer({{"member_name", "NOT IMPORTED"}, {"email_address1", "n@x.org"}});
        QCOMPARE(text(general(), General::IDC_NAME) + text(contact(), Contact::IDC_EMAIL), "");
        QCOMPARE(boxes(), 0); // a new dialog: nothing was asked
    }
};

QTEST_MAIN(MemberPagesTest)
#include "MemberPagesTest.moc"
