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

class MemberPagesTest : public QObject, RecordFixture {
    Q_OBJECT

    Members* m_members = nullptr;

    // A new record in the dialog, its road table of four roads, with the member page in front.
    void showPage(const QString& type = "NEW_PROJ") {
        open(type, "new.xml", {"ADAM CLOSE", "ADAM ROAD", "ANG MO KIO AVENUE 3", "ORCHARD ROAD"});
        m_members = static_cast<Members*>(record->dialog.MemberPage());
        record->dialog.Sheet()->SetActivePage(m_members);
    }
    General* general() { return m_members->GeneralPage(); }
    Address* address() { return m_members->AddressPage(); }
    Contact* contact() { return m_members->ContactPage(); }
    CKRProContacts* contacts() { return m_members->ContactsControl(); }
    CRecordListCtrl* list() { return m_members->Editor().List(); }
    // A control of a detail page, the page brought forward first.
    template <class W = QLineEdit> W* on(CPropertyPage* page, int id) {
        m_members->NestedSheet()->SetActivePage(page);
        return Control<W>(page, id);
    }
    QString text(CPropertyPage* page, int id) { return on(page, id)->text(); }
    bool radio(int id) { return on<QRadioButton>(general(), id)->isChecked(); }
    void click(int id) { QTest::mouseClick(Control<CHoverButton>(m_members, id), Qt::LeftButton); }
    int boxes() { return record->boxes(); }
    const kestrel::ScriptedAnswerer::Message& box() { return record->box(); }
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
    // The detail pages' text fields: the contact element that fills each, what a user types
    // and what the field keeps of it (its own characters, up to its limit).
    struct Field {
        const char* element;
        CPropertyPage* page;
        int id;
        QString typed, kept;
    };
    QList<Field> fields() {
        CPropertyPage *g = general(), *a = address(), *c = contact();
        return {
            {"member_name", g, General::IDC_NAME, "Tan-ah. k!" + QString(60, 'x'),
             "Tan-ah. k" + QString(57, 'x')},
            {nullptr, g, General::IDC_NRIC_NO, "12a4-567" + QString(50, '8'),
             "12a4567" + QString(43, '8')},
            {"firm_name", g, General::IDC_FIRM_NAME, "Firm & co~" + QString(60, 'f'),
             "Firm & co~" + QString(56, 'f')},
            {"designation", g, General::IDC_DESIGNATION, "Dir" + QString(70, 'd'),
             "Dir" + QString(63, 'd')},
            {"building_name", a, Address::IDC_BUILDING_NAME, "b~" + QString(99, 'b'),
             "B~" + QString(98, 'B')},
            {"house_block_no", a, Address::IDC_HOUSE_BLOCK_NO, "h#1-2 ,.34567", "H1-2 ,.345"},
            {"level_no", a, Address::IDC_LEVEL_NO, "l/123", "L12"},
            {"unit_no", a, Address::IDC_UNIT_NO, "u_1234567890", "U123456789"},
            {"postal_code", a, Address::IDC_POSTAL_CODE, "2a388241", "238824"},
            {"address1", a, Address::IDC_LINE1, {}, "LINE 1"},
            {"address2", a, Address::IDC_LINE2, {}, "LINE 2"},
            {"address3", a, Address::IDC_LINE3, {}, "LINE 3"},
            {"address4", a, Address::IDC_LINE4, {}, "LINE 4"},
            {"tel_no", c, Contact::IDC_TEL_NO, "6-123 45678901234", "612345678901"},
            {"tel_ext_no", c, Contact::IDC_TEL_EXT, "e12345", "1234"},
            {"mobile_no", c, Contact::IDC_MOBILE_NO, "9123456789012", "912345678901"},
            {"pager_no", c, Contact::IDC_PAGER_NO, "p81234567890123", "812345678901"},
            {"fax_no", c, Contact::IDC_FAX_NO, "f7123", "7123"},
            {"email_address1", c, Contact::IDC_EMAIL, "a.b-c_d@e.f;," + QString(40, 'x'),
             "a.b-c_d@e.f" + QString(39, 'x')},
            {"email_address2", c, Contact::IDC_EMAIL2, "a@b.c;d,e!" + QString(50, 'y'),
             "a@b.c;d,e" + QString(41, 'y')},
        };
    }
    // Offers a contact document of one member with the given elements; the control is left as
    // after a whole import, the document released.
    void offer(const QList<std::pair<QByteArray, QByteArray>>& elements) {
        XmlDocPtr doc = CreateXMLDoc();
        pugi::xml_node member =
            doc->append_child("krroot").append_child("members").append_child("member");
        for (const auto& [name, text] : elements)
            member.append_child(name.constData()).text().set(text.constData());
        QSignalSpy completed(contacts(), &CKRProContacts::transferCompleted);
        contacts()->OfferContactDocument(std::move(doc));
        QCOMPARE(completed.count(), 1);
        QVERIFY(!contacts()->IsTransferring() && !contacts()->GetContactDocument());
    }

private slots:
    void init() { showPage(); }
    void cleanup() { record.reset(); }

    // The first failure's page comes forward with its control; nothing is stored.
    void checksBringTheirPageForwardAndStoreNothing() {
        m_members->NestedSheet()->SetActivePage(contact());
        click(CRecordPage::IDC_SAVE_AS_NEW);
        QCOMPARE(boxes(), 1);
        QCOMPARE(box().text, Line(130) + Line(131) + Line(133) + Line(134) + Line(125) + Line(158));
        QCOMPARE(m_members->NestedSheet()->GetActivePage(), general());
        QCOMPARE(box().focusWhenShown, static_cast<QWidget*>(on(general(), General::IDC_NAME)));
        QCOMPARE(list()->GetItemCount(), 0);
        // Only the email is wrong: the contact page comes forward with the email field.
        enterMember("LIM", "1234567D", false, false);
        on(contact(), Contact::IDC_EMAIL)->setText("a b");
        m_members->NestedSheet()->SetActivePage(general());
        click(CRecordPage::IDC_SAVE_AS_NEW);
        QCOMPARE(box().text, Line(125));
        QCOMPARE(m_members->NestedSheet()->GetActivePage(), contact());
        QCOMPARE(box().focusWhenShown, static_cast<QWidget*>(on(contact(), Contact::IDC_EMAIL)));
    }

    // The coordinator's row is marked and gives the project its number; no other member may
    // coordinate, a copy of the loaded coordinator is stored as an ordinary member, and the mark
    // follows a deletion.
    void storedCoordinatorIsMarkedAndGivesTheProjectItsNumber() {
        enterMember("TAN AH KOW", "1234567D", true, false);
        addRole("PROFESSIONAL ENGINEER (MECHANICAL)", "88");
        click(CRecordPage::IDC_SAVE_AS_NEW);
        QVERIFY2(boxes() == 0, qPrintable(record->answers.lastText()));
        QCOMPARE(cell(0, kestrel::COL_IC_PASSPORT_NO), "S1234567D");
        QCOMPARE(cell(0, kestrel::COL_ROLES), "ARCHITECT, PROFESSIONAL ENGINEER (MECHANICAL)");
        // What was typed on the detail pages is stored with the rest.
        QCOMPARE(cell(0, kestrel::COL_ADDRESS1) + "|" + cell(0, kestrel::COL_EMAIL) + "|" +
                     cell(0, kestrel::COL_MOBILE_NO),
                 "1 JALAN|TAN@x.sg|91234567");
        // A role cell offers the roles, and no empty one.
        QVERIFY(!general()->RolesList()->m_comboItems.contains(QString()));
        QCOMPARE(list()->model()->index(0, 0).data().toString(), "* TAN AH KOW");
        QCOMPARE(m_members->MarkCoordinator(true), "TAN AH KOW");
        // The architect's number wins over the engineer's.
        QCOMPARE(Control<QLineEdit>(record->project(), CPropPageProjectInfo::IDC_PROF_NO)->text(),
                 "A1234");
        // The form is empty again (no edit), and a second member cannot be the coordinator.
        QVERIFY(m_members->ResetMemberForm(true, false));
        QVERIFY(!on<QCheckBox>(general(), General::IDC_COORDINATOR)->isEnabled());

        // The same identity is refused; the member's own row is no duplicate of itself.
        enterMember("TWO", "1234567D");
        QCOMPARE(boxes(), 1);
        QCOMPARE(box().text, "Record number: 1\n" + Line(155));
        QCOMPARE(list()->GetItemCount(), 1);
        record->answers.queueAnswer(IDYES); // discard the refused member
        ClickRow(list(), 0);
        QCOMPARE(text(general(), General::IDC_NRIC_NO), "1234567D");
        QVERIFY(on<QCheckBox>(general(), General::IDC_COORDINATOR)->isChecked());
        QVERIFY(m_members->ResetMemberForm(true, false));
        Type(on(general(), General::IDC_NAME), "X");
        QVERIFY(!m_members->ResetMemberForm(true, false));
        click(CRecordPage::IDC_UPDATE);
        QCOMPARE(boxes(), 2);
        QCOMPARE(cell(0, kestrel::COL_MEMBER_NAME), "TAN AH KOWX");

        ClickRow(list(), 0);
        on(general(), General::IDC_NRIC_NO)->setText("7654321F");
        click(CRecordPage::IDC_SAVE_AS_NEW);
        QVERIFY2(boxes() == 2, qPrintable(record->answers.lastText()));
        QCOMPARE(cell(0, kestrel::COL_COORDINATOR) + cell(1, kestrel::COL_COORDINATOR), "YN");
        list()->SetItemSelected(0, true);
        record->answers.queueAnswer(IDYES);
        click(CRecordPage::IDC_DELETE);
        QCOMPARE(list()->model()->index(0, 0).data().toString(), "TAN AH KOWX");
        QVERIFY(m_members->MarkCoordinator(true).isEmpty());
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

    // In a view-only run members read from a file are shown as read (the identity, roles too),
    // the choices that would change them are locked, and nothing is imported.
    void membersReadFromAFileAreShownLocked() {
        showPage("VIEW_PROJ");
        XmlDocPtr doc = LoadXMLDoc(SampleProjectPath());
        m_members->ReadXml(*doc, doc->child("krroot").child("project").child("member_group"));
        QCOMPARE(list()->GetItemCount(), 2);
        ClickRow(list(), 1);
        QCOMPARE(text(general(), General::IDC_NAME) + "|" +
                     text(general(), General::IDC_PASSPORT_NO) + "|" +
                     text(address(), Address::IDC_LINE1),
                 "NUR AISYAH BINTE RAHMAN|A12345678|SUITE 8-3, MENARA STRUCTA");
        QVERIFY(radio(General::IDC_PASSPORT_RADIO));
        QCOMPARE(general()->RolesList()->GetItemCount(), 2);
        for (QWidget* locked :
             {static_cast<QWidget*>(general()->RolesList()), static_cast<QWidget*>(contacts()),
              on<QWidget>(general(), General::IDC_NRIC_RADIO),
              Control<QWidget>(m_members, CRecordPage::IDC_SAVE_AS_NEW)})
            QVERIFY(!locked->isEnabled());
        ClickRow(list(), 0);
        QCOMPARE(text(general(), General::IDC_NRIC_NO), "1234567D");
        offer({{"member_name", "NOT IMPORTED"}});
        QCOMPARE(text(general(), General::IDC_NAME), "LIM WEI MING");
        QCOMPARE(boxes(), 0);
    }

    // Each field takes only its own characters, up to its limit; an email needs a dot after @.
    void fieldsKeepTheirCharactersAndLimits() {
        for (const Field& field : fields()) {
            if (field.typed.isEmpty())
                continue;
            Type(on(field.page, field.id), field.typed);
            QCOMPARE(text(field.page, field.id), field.kept);
        }
        for (const auto& [email, valid] :
             {std::pair{"a@b.c", true}, {"a.b@c", false}, {"@.", true}, {"", false}})
            QCOMPARE(HasAtThenDot(email), valid);
        QCOMPARE(boxes(), 0);
    }

    // By keyboard: the control (between "Save as New" and the list), the picker, Enter. (The end
    // to end run completes and stores the member.)
    void aMemberIsFilledFromTheAddressBookByKeyboard() {
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
        QCOMPARE(text(general(), General::IDC_NAME), "Goh Kok Wei");
        QCOMPARE(on<QComboBox>(general(), General::IDC_COUNTRY)->currentText(), "Singapore");
        QCOMPARE(on<QComboBox>(address(), Address::IDC_ROAD_NAME)->currentText(), "ORCHARD ROAD");
        QCOMPARE(MarkedRow(list()), -1); // a new record
    }

    // An import fills every field: the identity split by its type (the prefix only beside an
    // NRIC), a missing element read as empty. An import nobody stored is replaced after a Yes;
    // No keeps what the user typed; no document, no import.
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
                record->answers.queueAnswer(IDYES);
            QList<std::pair<QByteArray, QByteArray>> elements = {
                {"ic_flag", c.flag}, {"ic_passport_no", c.number}, {"road_name", "ADAM ROAD"}};
            for (const Field& field : fields())
                if (field.element && asked == 0)
                    elements.append({field.element, field.kept.toUtf8()});
            offer(elements);
            QCOMPARE(boxes(), asked++);
            QVERIFY2(radio(c.radio), c.flag);
            QCOMPARE(on<QComboBox>(general(), General::IDC_NRIC_PREFIX)->currentText(), c.prefix);
            QCOMPARE(text(general(), General::IDC_NRIC_NO), c.nric);
            QCOMPARE(text(general(), General::IDC_PASSPORT_NO), c.passport);
            QCOMPARE(text(general(), General::IDC_OTHER_ID), c.other);
            QCOMPARE(on<QComboBox>(address(), Address::IDC_ROAD_NAME)->currentText(), "ADAM ROAD");
            for (const Field& field : fields())
                if (field.element)
                    QCOMPARE(text(field.page, field.id), asked == 1 ? field.kept : QString());
        }
        QCOMPARE(MarkedRow(list()), -1);

        on(general(), General::IDC_NAME)->setText("TYPED BY HAND");
        record->answers.queueAnswer(IDNO);
        offer({{"member_name", "FROM CONTACT"}});
        QCOMPARE(boxes(), 3);
        QCOMPARE(box().text, GetRCString(128));
        QCOMPARE(text(general(), General::IDC_NAME), "TYPED BY HAND");

        QSignalSpy completed(contacts(), &CKRProContacts::transferCompleted);
        QVERIFY(!m_members->OnContactsImport());
        QCOMPARE(completed.count(), 0);
    }
};

QTEST_MAIN(MemberPagesTest)
#include "MemberPagesTest.moc"
