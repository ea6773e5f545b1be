#pragma once
// CPropPageMemberInfo: the member page (second top page, "Member Information *"). The member being
// edited spreads over a nested sheet of three detail pages (general, address, contact); below
// them are the record buttons and the list of stored members, one row of 26 cells per member,
// each row carrying the member's roles table as its item data. The record-list editing pattern
// is the one every record page shares (CRecordPage); what is the member's own is told here: the
// form across the three pages, the roles, the checks (MemberRecord), the project coordinator
// marked in the list with "* " and giving the project its professional number.

#include "pages/RecordPage.h"
#include "pages/member/MemberRecord.h"

#include <memory>
#include <unordered_map>

class CKRProContacts;
class CPropPageMemberAddress;
class CPropPageMemberContact;
class CPropPageMemberGeneral;
class CPropPageProjectInfo;
class CToolTipPropertySheet;

class CPropPageMemberInfo : public CRecordPage {
    Q_OBJECT
public:
    enum { IDD = 130 };
    static constexpr int IDC_MEMBER_LIST = 1061;
    static constexpr int IDC_SHEET_FRAME = 1043;
    static constexpr int IDC_CONTACTS = 1066;

    explicit CPropPageMemberInfo(CToolTipHost* host, QWidget* parent = nullptr);
    ~CPropPageMemberInfo() override;

    // The project page whose professional number the coordinator sets.
    void SetProjectPage(CPropPageProjectInfo* project) { m_pProjectPage = project; }

    // See CRecordListEditor::ResetForm.
    bool ResetMemberForm(bool check, bool clear) { return ResetRecordForm(check, clear); }
    // The coordinator's name ("" when there is none), and the "* " before it in the list. The
    // marker is only drawn, never stored in a cell, so the name comes back bare either way.
    QString MarkCoordinator(bool strip);
    // Copies the coordinator's professional number into the project page. False when no member
    // is the coordinator (or for a row other than -1).
    bool UpdateProjectProfessionalNo(int row = -1);
    int GetMemberCount() const;

    CToolTipPropertySheet* NestedSheet() const { return m_pSheet; }
    CPropPageMemberGeneral* GeneralPage() const { return m_pGeneralPage; }
    CPropPageMemberAddress* AddressPage() const { return m_pAddressPage; }
    CPropPageMemberContact* ContactPage() const { return m_pContactPage; }
    CKRProContacts* ContactsControl() const { return m_pContacts; }

    // The contacts control's contact is ready: the form is cleared (asking first when it holds
    // edits) and filled from the contact's document. Roles, the coordinator box and the address
    // type are not the contact's. Nothing is imported in a view-only run, or when the user keeps
    // the edits; the document is released and the transfer completed either way. True when the
    // form was filled.
    bool OnContactsImport();

    // One member element per stored member under member_group.
    QString WriteXml(pugi::xml_document& doc, pugi::xml_node group) override;
    // Replaces the stored members with the member elements of the group.
    QString ReadXml(pugi::xml_document& doc, pugi::xml_node group) override;

protected:
    void InitRecordFields() override {}
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

private:
    // CRecordListBinding
    bool IsFormEditedForNew() override;
    bool FormDiffersFromRow(int row) override;
    void ClearForm() override;
    void LoadRowIntoForm(int row) override;
    void CheckForm(RecordCheckResult& result) override;
    RecordKey DuplicateKeyOfForm() override;
    QWidget* DuplicateFocus() override;
    QString DuplicateText() override;
    void MoveFormIntoRow(int row) override;
    void BringForward(QWidget* control) override;
    RecordItemData NewRowItemData() override;
    void RecordStored(int row) override;
    void BeforeSaveAsNew() override;
    void RowDeleted(int row, RecordItemData data) override;

    // The member the three pages hold now.
    kestrel::MemberValues formValues();
    // The stored members as they stand: the list once it is shown, else the record table.
    const RecordTable& members() const;
    CPropertyPage* detailPage(kestrel::MemberDetailPage page) const;
    void markCoordinatorRow();

    // The roles tables of the stored members, each owned here and named by its rows' item data.
    RecordTable* makeRoles();
    std::unordered_map<RecordItemData, std::unique_ptr<RecordTable>> m_roles;

    QWidget* m_pSheetFrame = nullptr; // frame 1043, until the page is set up
    CToolTipPropertySheet* m_pSheet = nullptr;
    CPropPageMemberGeneral* m_pGeneralPage = nullptr;
    CPropPageMemberAddress* m_pAddressPage = nullptr;
    CPropPageMemberContact* m_pContactPage = nullptr;
    CPropPageProjectInfo* m_pProjectPage = nullptr;
    CKRProContacts* m_pContacts = nullptr;
    // The member checked last, stored by MoveFormIntoRow.
    kestrel::MemberValues m_checked;
};
