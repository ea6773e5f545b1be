// A contact copied into the member form: by keyboard through the picker and stored as a member;
// the identity split by its type; a missing element read as empty; nothing imported in a
// view-only run or when the user keeps the edits, the document released and the transfer
// completed all the same.

#include "RecordListProbe.h"
#include "TestAppServices.h"
#include "TestFiles.h"
#include "TestForm.h"
#include "TestToolTipHost.h"
#include "contacts/AddressBook.h"
#include "contacts/ContactPickerDlg.h"
#include "contacts/KRProContacts.h"
#include "controls/EditableListCtrl.h"
#include "controls/HoverButton.h"
#include "controls/RecordListCtrl.h"
#include "controls/ToolTipPropertySheet.h"
#include "framework/ControlId.h"
#include "framework/MessageBox.h"
#include "pages/member/PropPageMemberAddress.h"
#include "pages/member/PropPageMemberContact.h"
#include "pages/member/PropPageMemberGeneral.h"
#include "pages/member/PropPageMemberInfo.h"
#include "sdk/StringTable.h"
#include "sdk/XmlHelpers.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <tuple>

using kestrel::ScriptedAnswerer;
using Members = CPropPageMemberInfo;
using General = CPropPageMemberGeneral;
using Address = CPropPageMemberAddress;
using ContactPage = CPropPageMemberContact;

namespace {

// A contact document with the given member elements.
XmlDocPtr contactDocument(std::initializer_list<std::pair<const char*, const char*>> elements) {
    XmlDocPtr doc = CreateXMLDoc();
    pugi::xml_node member =
        doc->append_child("krroot").append_child("members").append_child("member");
    for (const auto& [name, text] : elements)
        member.append_child(name).text().set(text);
    return doc;
}

QStringList roads() {
    return {"ADAM CLOSE", "ADAM ROAD", "ANG MO KIO AVENUE 3", "ORCHARD ROAD"};
}

} // namespace

class MemberContactsImportTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestAppServices> m_services;
    std::unique_ptr<ScriptedAnswerer> m_answers;
    std::unique_ptr<TestToolTipHost> m_host;
    std::unique_ptr<Members> m_members;

    void showPage(bool viewOnly = false) {
        m_members.reset();
        m_host.reset();
        m_services.reset(); // before the next one registers itself
        m_services = std::make_unique<TestAppServices>(viewOnly, roads());
        m_host = std::make_unique<TestToolTipHost>();
        m_members = std::make_unique<Members>(m_host.get());
        m_members->resize(900, 650);
        m_members->show();
        QVERIFY(QTest::qWaitForWindowActive(m_members.get()));
    }
    General* general() { return m_members->GeneralPage(); }
    Address* address() { return m_members->AddressPage(); }
    ContactPage* contact() { return m_members->ContactPage(); }
    CKRProContacts* contacts() { return m_members->ContactsControl(); }
    CRecordListCtrl* list() {
        return Control<CRecordListCtrl>(m_members.get(), Members::IDC_MEMBER_LIST);
    }
    QLineEdit* edit(QWidget* page, int id) {
        m_members->NestedSheet()->SetActivePage(static_cast<CPropertyPage*>(page));
        return Control<QLineEdit>(page, id);
    }
    QString text(QWidget* page, int id) { return edit(page, id)->text(); }
    bool radio(int id) { return Control<QRadioButton>(general(), id)->isChecked(); }
    QString combo(QWidget* page, int id) {
        m_members->NestedSheet()->SetActivePage(static_cast<CPropertyPage*>(page));
        return Control<QComboBox>(page, id)->currentText();
    }
    // Offers a document and reports whether the control was left as after a whole import.
    void offer(XmlDocPtr doc) {
        QSignalSpy completed(contacts(), &CKRProContacts::transferCompleted);
        contacts()->OfferContactDocument(std::move(doc));
        QCOMPARE(completed.count(), 1);
        QVERIFY(!contacts()->IsTransferring());
        QVERIFY(!contacts()->GetContactDocument()); // released, never left behind
    }

private slots:
    void init() { m_answers = std::make_unique<ScriptedAnswerer>(); }
    void cleanup() {
        m_members.reset();
        m_host.reset();
        m_answers.reset();
        m_services.reset();
    }

    void theContactsControlStandsInTheButtonRowWithItsTip() {
        showPage();
        auto* control = Control<CKRProContacts>(m_members.get(), Members::IDC_CONTACTS);
        QCOMPARE(control, contacts());
        QCOMPARE(control->accessibleDescription(), GetRCString(1066));
        QVERIFY(!control->GetFlag()); // set by the page when it is first shown
        // Reached by Tab from "Save as New", and Tab goes on to the list.
        QWidget* saveAsNew = Control<CHoverButton>(m_members.get(), CRecordPage::IDC_SAVE_AS_NEW);
        saveAsNew->setFocus(Qt::TabFocusReason);
        QTest::keyClick(saveAsNew, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(control));
        QTest::keyClick(control, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(list()));
    }

    // The whole way by keyboard: the control, the picker, Enter; then the member is completed
    // and stored.
    void aMemberIsFilledFromTheAddressBookByKeyboardAndStored() {
        QVERIFY(writeFile(kestrel::DefaultAddressBookPath(),
                          readFile(KESTREL_TEST_DATA_DIR "/contacts/apple-3.0.vcf") +
                              readFile(KESTREL_TEST_DATA_DIR "/contacts/google-3.0.vcf")));
        showPage();
        contacts()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(contacts(), Qt::Key_Space);
        kestrel::CContactPickerDlg* picker = contacts()->Picker();
        QVERIFY(picker);
        QVERIFY(QTest::qWaitForWindowActive(picker));
        // The user types at once: the search field has the focus.
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(picker->SearchField()));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("surveyors"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_VERIFY(!contacts()->Picker());
        QCOMPARE(m_answers->messages().size(), std::size_t(0)); // an empty form: no question
        // The window manager's part: the form's window is active again once the picker is gone.
        m_members->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_members.get()));

        QCOMPARE(combo(general(), General::IDC_COUNTRY), QStringLiteral("Singapore"));
        QCOMPARE(combo(address(), Address::IDC_ROAD_NAME), QStringLiteral("ORCHARD ROAD"));
        QVERIFY(radio(General::IDC_OTHERS_RADIO)); // a card carries no identity
        const std::tuple<QWidget*, int, const char*> fields[] = {
            {general(), General::IDC_NAME, "Goh Kok Wei"},
            {general(), General::IDC_FIRM_NAME, "Goh Surveyors"},
            {address(), Address::IDC_BUILDING_NAME, "Orchard Tower"},
            {address(), Address::IDC_HOUSE_BLOCK_NO, "1"},
            {address(), Address::IDC_LEVEL_NO, "10"},
            {address(), Address::IDC_UNIT_NO, "01"},
            {address(), Address::IDC_POSTAL_CODE, "238824"},
            {address(), Address::IDC_LINE1, "Orchard Tower"},
            {address(), Address::IDC_LINE4, "Singapore 238824, Singapore"},
            {contact(), ContactPage::IDC_TEL_NO, "63456789"},
            {contact(), ContactPage::IDC_TEL_EXT, "21"},
            {contact(), ContactPage::IDC_MOBILE_NO, "98765432"},
            {contact(), ContactPage::IDC_PAGER_NO, "94001234"},
            {contact(), ContactPage::IDC_FAX_NO, ""},
            {contact(), ContactPage::IDC_EMAIL, "kw.goh@example-survey.sg"},
            {contact(), ContactPage::IDC_EMAIL2, ""},
        };
        for (const auto& [page, id, expected] : fields)
            QCOMPARE(text(page, id), QString::fromLatin1(expected));
        QCOMPARE(MarkedRow(list()), -1); // a new record

        // What the card cannot give: the identity and a role.
        m_members->NestedSheet()->SetActivePage(general());
        auto* nricRadio = Control<QRadioButton>(general(), General::IDC_NRIC_RADIO);
        // On its circle: a radio button takes clicks on its circle and caption only.
        QTest::mouseClick(nricRadio, Qt::LeftButton, {}, QPoint(5, nricRadio->height() / 2));
        QVERIFY(radio(General::IDC_NRIC_RADIO));
        QVERIFY(edit(general(), General::IDC_NRIC_NO)->isEnabled());
        edit(general(), General::IDC_NRIC_NO)->setText(QStringLiteral("1234567D"));
        edit(general(), General::IDC_DESIGNATION)->setText(QStringLiteral("Surveyor"));
        QTest::mouseClick(Control<CHoverButton>(general(), General::IDC_ADD_ROLE), Qt::LeftButton);
        general()->RolesList()->SetItemText(0, kestrel::ROLE_DESCRIPTION,
                                            QStringLiteral("ARCHITECT"));
        general()->RolesList()->SetItemText(0, kestrel::ROLE_PROFESSIONAL_NO, QStringLiteral("77"));
        QTest::mouseClick(Control<CHoverButton>(m_members.get(), CRecordPage::IDC_SAVE_AS_NEW),
                          Qt::LeftButton);
        QVERIFY2(m_answers->messages().empty(),
                 qPrintable(m_answers->lastText().replace("\n", " / ")));
        QCOMPARE(list()->GetItemCount(), 1);
        QCOMPARE(list()->GetItemText(0, kestrel::COL_MEMBER_NAME), QStringLiteral("Goh Kok Wei"));
        QCOMPARE(list()->GetItemText(0, kestrel::COL_ROAD_NAME), QStringLiteral("ORCHARD ROAD"));
        QCOMPARE(list()->GetItemText(0, kestrel::COL_TEL_NO), QStringLiteral("63456789"));
        QCOMPARE(list()->GetItemText(0, kestrel::COL_EMAIL),
                 QStringLiteral("kw.goh@example-survey.sg"));
    }

    // The prefix is shown only beside an NRIC.
    void identityIsSplitByItsType() {
        const struct {
            const char *flag, *number;
            int radio;
            const char *prefix, *nric, *passport, *other;
        } cases[] = {
            {"Y", "S1234567D", General::IDC_NRIC_RADIO, "S", "1234567D", "", ""},
            {"N", "E1234567", General::IDC_PASSPORT_RADIO, "", "", "E1234567", ""},
            {"", "X-99", General::IDC_OTHERS_RADIO, "", "", "", "X-99"},
            {"Q", "W 1", General::IDC_OTHERS_RADIO, "", "", "", "W 1"},
        };
        for (const auto& c : cases) {
            showPage();
            offer(contactDocument(
                {{"member_name", "A PERSON"}, {"ic_flag", c.flag}, {"ic_passport_no", c.number}}));
            QVERIFY2(radio(c.radio), c.flag);
            QCOMPARE(combo(general(), General::IDC_NRIC_PREFIX), QString::fromLatin1(c.prefix));
            QCOMPARE(text(general(), General::IDC_NRIC_NO), QString::fromLatin1(c.nric));
            QCOMPARE(text(general(), General::IDC_PASSPORT_NO), QString::fromLatin1(c.passport));
            QCOMPARE(text(general(), General::IDC_OTHER_ID), QString::fromLatin1(c.other));
            QCOMPARE(text(general(), General::IDC_NAME), QStringLiteral("A PERSON"));
        }
    }

    void missingElementsAreReadAsEmpty() {
        showPage();
        offer(contactDocument(
            {{"member_name", "ONLY ONE MAIL"}, {"email_address1", "one@example.org"}}));
        QCOMPARE(text(contact(), ContactPage::IDC_EMAIL), QStringLiteral("one@example.org"));
        QCOMPARE(text(contact(), ContactPage::IDC_EMAIL2), QString());
        QCOMPARE(text(contact(), ContactPage::IDC_TEL_NO), QString());
        QCOMPARE(text(general(), General::IDC_DESIGNATION), QString());
        QCOMPARE(text(address(), Address::IDC_LINE1), QString());
    }

    void anImportReplacesAStoredMembersFormAndMakesANewRecord() {
        showPage();
        offer(contactDocument({{"member_name", "FIRST"}}));
        QVERIFY(m_answers->messages().empty());
        // The form now holds an import nobody stored: the next one asks first; Yes replaces it.
        m_answers->queueAnswer(kestrel::IDYES);
        offer(contactDocument({{"member_name", "SECOND"}, {"postal_code", "123456"}}));
        QCOMPARE(m_answers->messages().size(), std::size_t(1));
        QCOMPARE(text(general(), General::IDC_NAME), QStringLiteral("SECOND"));
        QCOMPARE(text(address(), Address::IDC_POSTAL_CODE), QStringLiteral("123456"));
        QCOMPARE(MarkedRow(list()), -1);
    }

    void noToTheDiscardQuestionKeepsTheEdits() {
        showPage();
        edit(general(), General::IDC_NAME)->setText(QStringLiteral("TYPED BY HAND"));
        edit(contact(), ContactPage::IDC_EMAIL)->setText(QStringLiteral("hand@example.org"));
        m_answers->queueAnswer(kestrel::IDNO);
        offer(contactDocument(
            {{"member_name", "FROM CONTACT"}, {"email_address1", "contact@example.org"}}));
        QCOMPARE(m_answers->messages().size(), std::size_t(1));
        QCOMPARE(m_answers->lastText(), GetRCString(128));
        QCOMPARE(m_answers->messages().back().caption, GetRCString(129));
        QCOMPARE(m_answers->messages().back().buttons, unsigned(kestrel::MB_YESNO));
        QCOMPARE(text(general(), General::IDC_NAME), QStringLiteral("TYPED BY HAND"));
        QCOMPARE(text(contact(), ContactPage::IDC_EMAIL), QStringLiteral("hand@example.org"));
    }

    void aViewOnlyRunImportsNothingButCompletesTheTransfer() {
        showPage(true);
        QVERIFY(!contacts()->isEnabled()); // no click in a view-only run
        const QString before = text(general(), General::IDC_NAME);
        offer(contactDocument(
            {{"member_name", "NOT IMPORTED"}, {"email_address1", "no@example.org"}}));
        QCOMPARE(text(general(), General::IDC_NAME), before);
        QCOMPARE(text(contact(), ContactPage::IDC_EMAIL), QString());
        QVERIFY(m_answers->messages().empty());
    }

    void noDocumentNoImport() {
        showPage();
        QSignalSpy completed(contacts(), &CKRProContacts::transferCompleted);
        QVERIFY(!m_members->OnContactsImport());
        QCOMPARE(completed.count(), 0);
    }
};

QTEST_MAIN(MemberContactsImportTest)
#include "MemberContactsImportTest.moc"
