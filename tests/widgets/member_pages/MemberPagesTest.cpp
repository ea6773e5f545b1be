// The member page and its three detail pages driven as a user drives them: fields typed, roles
// added, rows clicked, the record buttons pressed, the boxes answered (scripted).

#include "TestForm.h"
#include "TestRecord.h"
#include "TestToolTipHost.h"
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
#include "pages/project/PropPageProjectInfo.h"
#include "sdk/StringTable.h"
#include "sdk/XmlHelpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

#include <memory>
#include <sstream>

using kestrel::ScriptedAnswerer;
using Members = CPropPageMemberInfo;
using General = CPropPageMemberGeneral;

namespace {

void Type(QWidget* field, const QString& text) {
    field->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(field, text);
}

QString line(int id) {
    return GetRCString(id) + QLatin1Char('\n');
}

} // namespace

class MemberPagesTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestAppServices> m_services;
    std::unique_ptr<ScriptedAnswerer> m_answers;
    std::unique_ptr<CPropPageProjectInfo> m_project;
    std::unique_ptr<Members> m_members;

    General* general() { return m_members->GeneralPage(); }
    CRecordListCtrl* list() {
        return Control<CRecordListCtrl>(m_members.get(), Members::IDC_MEMBER_LIST);
    }
    CHoverButton* button(int id) { return Control<CHoverButton>(m_members.get(), id); }
    QLineEdit* generalEdit(int id) { return Control<QLineEdit>(general(), id); }
    QLineEdit* contactEdit(int id) {
        m_members->NestedSheet()->SetActivePage(m_members->ContactPage());
        return Control<QLineEdit>(m_members->ContactPage(), id);
    }
    QLineEdit* addressEdit(int id) {
        m_members->NestedSheet()->SetActivePage(m_members->AddressPage());
        return Control<QLineEdit>(m_members->AddressPage(), id);
    }
    std::size_t boxes() { return m_answers->messages().size(); }
    const ScriptedAnswerer::Message& lastBox() { return m_answers->messages().back(); }
    void click(int id) { QTest::mouseClick(button(id), Qt::LeftButton); }
    void clickRow(int row) { ClickRow(list(), row); }

    // A role as the user enters it: "Add", then the two cells.
    void addRole(const QString& role, const QString& number) {
        m_members->NestedSheet()->SetActivePage(general());
        QTest::mouseClick(Control<CHoverButton>(general(), General::IDC_ADD_ROLE), Qt::LeftButton);
        CEditableListCtrl* roles = general()->RolesList();
        const int row = roles->GetItemCount() - 1;
        roles->SetItemText(row, kestrel::ROLE_DESCRIPTION, role);
        roles->SetItemText(row, kestrel::ROLE_PROFESSIONAL_NO, number);
    }

    // A member with an NRIC, an unformatted address and an email; optionally the coordinator.
    void enterMember(const QString& name, const QString& nric, bool coordinator,
                     const QString& role = QStringLiteral("ARCHITECT"),
                     const QString& number = QStringLiteral("1234")) {
        m_members->NestedSheet()->SetActivePage(general());
        Type(generalEdit(General::IDC_NAME), name);
        Type(generalEdit(General::IDC_NRIC_NO), nric);
        if (coordinator)
            QTest::mouseClick(Control<QCheckBox>(general(), General::IDC_COORDINATOR),
                              Qt::LeftButton);
        addRole(role, number);
        m_members->NestedSheet()->SetActivePage(m_members->AddressPage());
        QTest::mouseClick(
            Control<QCheckBox>(m_members->AddressPage(), CPropPageMemberAddress::IDC_FORMATTED),
            Qt::LeftButton);
        Type(addressEdit(CPropPageMemberAddress::IDC_LINE1), QStringLiteral("1 Jalan"));
        Type(contactEdit(CPropPageMemberContact::IDC_EMAIL), name.left(3) + "@x.sg");
        Type(contactEdit(CPropPageMemberContact::IDC_MOBILE_NO), QStringLiteral("91234567"));
    }

private slots:
    void init() {
        m_services = std::make_unique<TestAppServices>();
        m_answers = std::make_unique<ScriptedAnswerer>();
        m_project = std::make_unique<CPropPageProjectInfo>(nullptr);
        m_members = std::make_unique<Members>(nullptr);
        m_members->SetProjectPage(m_project.get());
        m_members->resize(800, 600);
        m_members->show();
        QVERIFY(QTest::qWaitForWindowActive(m_members.get()));
    }
    void cleanup() {
        m_members.reset();
        m_project.reset();
        m_answers.reset();
        m_services.reset();
    }

    void storedCoordinatorIsMarkedAndGivesTheProjectItsNumber() {
        enterMember(QStringLiteral("TAN AH KOW"), QStringLiteral("1234567D"), true);
        addRole(QStringLiteral("PROFESSIONAL ENGINEER (MECHANICAL)"), QStringLiteral("88"));
        click(CRecordPage::IDC_SAVE_AS_NEW);
        QVERIFY2(boxes() == 0, qPrintable(boxes() ? lastBox().text : QString()));
        QCOMPARE(list()->GetItemCount(), 1);
        QCOMPARE(list()->GetItemText(0, kestrel::COL_IC_PASSPORT_NO), QStringLiteral("S1234567D"));
        QCOMPARE(list()->GetItemText(0, kestrel::COL_ROLES),
                 QStringLiteral("ARCHITECT, PROFESSIONAL ENGINEER (MECHANICAL)"));
        QCOMPARE(list()->model()->index(0, 0).data().toString(), QStringLiteral("* TAN AH KOW"));
        // The architect's number wins over the engineer's.
        QCOMPARE(m_project->ProfessionalNo(), QStringLiteral("A1234"));
        QCOMPARE(Control<QLineEdit>(m_project.get(), CPropPageProjectInfo::IDC_PROF_NO)->text(),
                 QStringLiteral("A1234"));
        QCOMPARE(m_members->MarkCoordinator(true), QStringLiteral("TAN AH KOW"));
        QVERIFY(m_members->UpdateProjectProfessionalNo());
        // The form is empty again, and a second member cannot be the coordinator.
        QVERIFY(generalEdit(General::IDC_NAME)->text().isEmpty());
        QVERIFY(!Control<QCheckBox>(general(), General::IDC_COORDINATOR)->isEnabled());

        // A copy of the loaded coordinator is stored as an ordinary member.
        clickRow(0);
        QCOMPARE(generalEdit(General::IDC_NRIC_NO)->text(), QStringLiteral("1234567D"));
        QVERIFY(Control<QCheckBox>(general(), General::IDC_COORDINATOR)->isChecked());
        m_members->NestedSheet()->SetActivePage(general());
        generalEdit(General::IDC_NRIC_NO)->setText(QStringLiteral("7654321F"));
        click(CRecordPage::IDC_SAVE_AS_NEW);
        QVERIFY2(boxes() == 0, qPrintable(boxes() ? lastBox().text : QString()));
        QCOMPARE(list()->GetItemCount(), 2);
        QCOMPARE(list()->GetItemText(1, kestrel::COL_COORDINATOR), QStringLiteral("N"));
        QCOMPARE(list()->GetItemText(0, kestrel::COL_COORDINATOR), QStringLiteral("Y"));
    }

    void failedChecksBringTheirPageForwardAndStoreNothing() {
        m_members->NestedSheet()->SetActivePage(m_members->ContactPage());
        click(CRecordPage::IDC_SAVE_AS_NEW);
        QCOMPARE(boxes(), std::size_t(1));
        QCOMPARE(lastBox().text,
                 line(130) + line(131) + line(133) + line(134) + line(125) + line(158));
        QCOMPARE(lastBox().caption, GetRCString(122));
        QCOMPARE(lastBox().icon, unsigned(kestrel::MB_ICONERROR));
        QCOMPARE(m_members->NestedSheet()->GetActivePage(), general());
        QCOMPARE(lastBox().focusWhenShown, static_cast<QWidget*>(generalEdit(General::IDC_NAME)));
        QCOMPARE(list()->GetItemCount(), 0);

        // Only the email is wrong: the contact page comes forward with the email field.
        enterMember(QStringLiteral("LIM"), QStringLiteral("1234567D"), false);
        contactEdit(CPropPageMemberContact::IDC_EMAIL)->setText(QStringLiteral("a b"));
        m_members->NestedSheet()->SetActivePage(general());
        click(CRecordPage::IDC_SAVE_AS_NEW);
        QCOMPARE(lastBox().text, line(125));
        QCOMPARE(m_members->NestedSheet()->GetActivePage(), m_members->ContactPage());
        QCOMPARE(lastBox().focusWhenShown,
                 static_cast<QWidget*>(contactEdit(CPropPageMemberContact::IDC_EMAIL)));
    }

    void identityMustBeUniqueAmongTheOtherMembers() {
        enterMember(QStringLiteral("ONE"), QStringLiteral("1234567D"), false);
        click(CRecordPage::IDC_SAVE_AS_NEW);
        enterMember(QStringLiteral("TWO"), QStringLiteral("1234567D"), false);
        click(CRecordPage::IDC_SAVE_AS_NEW);
        QCOMPARE(boxes(), std::size_t(1));
        QCOMPARE(lastBox().text, QStringLiteral("Record number: 1\n") + line(155));
        QCOMPARE(list()->GetItemCount(), 1);
        m_answers->queueAnswer(kestrel::IDYES); // discard the refused member
        // The member's own row is no duplicate of itself.
        clickRow(0);
        m_members->NestedSheet()->SetActivePage(general());
        Type(generalEdit(General::IDC_NAME), QStringLiteral("X"));
        click(CRecordPage::IDC_UPDATE);
        QCOMPARE(boxes(), std::size_t(2));
        QCOMPARE(list()->GetItemText(0, kestrel::COL_MEMBER_NAME), QStringLiteral("ONEX"));
    }

    void editsAreKeptUnlessDiscardedAndDeletionKeepsTheLoadedMember() {
        for (const char* nric : {"1234567D", "0000001I", "7654321F"})
            enterMember(QString::fromLatin1(nric).left(3), QString::fromLatin1(nric), false),
                click(CRecordPage::IDC_SAVE_AS_NEW);
        QCOMPARE(list()->GetItemCount(), 3);
        clickRow(2);
        m_members->NestedSheet()->SetActivePage(general());
        Type(generalEdit(General::IDC_NAME), QStringLiteral("Z"));
        QVERIFY(!m_members->ResetMemberForm(true, false));

        clickRow(1); // No (the default answer): the edits stay
        QCOMPARE(boxes(), std::size_t(1));
        QCOMPARE(lastBox().text, GetRCString(128));
        QCOMPARE(generalEdit(General::IDC_NAME)->text(), QStringLiteral("765Z"));

        // Deleting a row above the loaded member keeps that member in the form; Update writes
        // it back to its row, which moved up.
        list()->SetItemSelected(0, true);
        m_answers->queueAnswer(kestrel::IDYES);
        click(CRecordPage::IDC_DELETE);
        QCOMPARE(list()->GetItemCount(), 2);
        click(CRecordPage::IDC_UPDATE);
        QCOMPARE(list()->GetItemText(1, kestrel::COL_MEMBER_NAME), QStringLiteral("765Z"));
        QCOMPARE(list()->GetItemText(0, kestrel::COL_MEMBER_NAME), QStringLiteral("000"));

        // Deleting the loaded member empties the form.
        clickRow(1);
        m_answers->queueAnswer(kestrel::IDYES);
        click(CRecordPage::IDC_DELETE);
        QCOMPARE(list()->GetItemCount(), 1);
        QVERIFY(generalEdit(General::IDC_NAME)->text().isEmpty());
        QVERIFY(m_members->ResetMemberForm(true, false));
    }

    // A radio ticked without a click (a screen reader's toggle action) switches the fields too.
    void identityFieldsFollowTheTickedRadio() {
        auto* passport = Control<QRadioButton>(general(), General::IDC_PASSPORT_RADIO);
        passport->setChecked(true);
        QVERIFY(generalEdit(General::IDC_PASSPORT_NO)->isEnabled());
        QVERIFY(!generalEdit(General::IDC_NRIC_NO)->isEnabled());
        QVERIFY(Control<QComboBox>(general(), General::IDC_COUNTRY)->currentText().isEmpty());
        Control<QRadioButton>(general(), General::IDC_OTHERS_RADIO)->setChecked(true);
        QVERIFY(generalEdit(General::IDC_OTHER_ID)->isEnabled());
        QCOMPARE(Control<QComboBox>(general(), General::IDC_COUNTRY)->currentText(),
                 QStringLiteral("Singapore"));
        QVERIFY(!m_members->ResetMemberForm(true, false)); // another identity type is an edit
    }

    // A view-only run shows a clicked member in fields nobody can change.
    void viewOnlyRunShowsClickedMembersReadOnly() {
        m_members.reset();
        m_services->viewOnly = true;
        TestToolTipHost host;
        m_members = std::make_unique<Members>(&host);
        m_members->show();
        QVERIFY(QTest::qWaitForWindowActive(m_members.get()));
        XmlDocPtr doc = LoadXMLDoc(SampleProjectPath());
        QVERIFY(doc);
        m_members->ReadXml(*doc, doc->child("krroot").child("project").child("member_group"));
        clickRow(1);
        QCOMPARE(generalEdit(General::IDC_NAME)->text(), QStringLiteral("NUR AISYAH BINTE RAHMAN"));
        QVERIFY(generalEdit(General::IDC_NAME)->isReadOnly());
        QVERIFY(Control<QRadioButton>(general(), General::IDC_PASSPORT_RADIO)->isChecked());
        QVERIFY(!Control<QRadioButton>(general(), General::IDC_NRIC_RADIO)->isEnabled());
        QVERIFY(!general()->RolesList()->isEnabled());
        QCOMPARE(general()->RolesList()->GetItemCount(), 2);
        QVERIFY(!button(CRecordPage::IDC_SAVE_AS_NEW)->isEnabled());
        QVERIFY(addressEdit(CPropPageMemberAddress::IDC_LINE1)->isReadOnly());
        QCOMPARE(addressEdit(CPropPageMemberAddress::IDC_LINE1)->text(),
                 QStringLiteral("SUITE 8-3, MENARA STRUCTA"));
        clickRow(0);
        QCOMPARE(generalEdit(General::IDC_NRIC_NO)->text(), QStringLiteral("1234567D"));
        QCOMPARE(boxes(), std::size_t(0));
        m_members.reset();
    }

    void membersReadFromAFileAreShownAndWrittenBackUnchanged() {
        XmlDocPtr doc = LoadXMLDoc(SampleProjectPath());
        QVERIFY(doc);
        pugi::xml_node group = doc->child("krroot").child("project").child("member_group");
        m_members->ReadXml(*doc, group);
        QCOMPARE(list()->GetItemCount(), 2);
        clickRow(1);
        QVERIFY(Control<QRadioButton>(general(), General::IDC_PASSPORT_RADIO)->isChecked());
        QCOMPARE(generalEdit(General::IDC_PASSPORT_NO)->text(), QStringLiteral("A12345678"));
        QCOMPARE(general()->RolesList()->GetItemCount(), 2);
        QVERIFY(m_members->ResetMemberForm(true, false)); // loading is no edit

        XmlDocPtr out = CreateXMLDoc();
        pugi::xml_node written = GetNode(*out, *out, QStringLiteral("member_group"), 1, QString());
        m_members->UpdateData(true);
        m_members->WriteXml(*out, written);
        std::ostringstream before, after;
        group.print(before, "", pugi::format_raw);
        written.print(after, "", pugi::format_raw);
        QCOMPARE(QString::fromStdString(after.str()), QString::fromStdString(before.str()));
    }
};

QTEST_MAIN(MemberPagesTest)
#include "MemberPagesTest.moc"
