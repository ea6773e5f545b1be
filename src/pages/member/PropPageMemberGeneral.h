#pragma once
// CPropPageMemberGeneral: the first tab of the member page's nested sheet ("General *"): the
// member's name, the project-coordinator box, the identity (NRIC with its prefix, passport or
// other identification, and the country), firm and designation, and the roles with their
// professional numbers. It holds the values; the member page checks and stores them.

#include "controls/CharFilterEdit.h"
#include "controls/RecordTable.h"
#include "controls/ToolTipPropertyPage.h"
#include "pages/member/MemberRecord.h"

#include <functional>

class CEditableListCtrl;
class CHoverButton;
class QCheckBox;
class QComboBox;
class QRadioButton;

class CPropPageMemberGeneral : public CToolTipPropertyPage {
    Q_OBJECT
public:
    enum { IDD = 134 };
    static constexpr int IDC_NAME = kestrel::IDC_MEMBER_NAME;
    static constexpr int IDC_COORDINATOR = kestrel::IDC_COORDINATOR;
    static constexpr int IDC_NRIC_RADIO = 1033;
    static constexpr int IDC_PASSPORT_RADIO = 1034;
    static constexpr int IDC_OTHERS_RADIO = 1035;
    static constexpr int IDC_NRIC_PREFIX = 1053;
    static constexpr int IDC_NRIC_NO = kestrel::IDC_NRIC_NO;
    static constexpr int IDC_PASSPORT_NO = kestrel::IDC_PASSPORT_NO;
    static constexpr int IDC_OTHER_ID = kestrel::IDC_OTHER_ID;
    static constexpr int IDC_COUNTRY = kestrel::IDC_COUNTRY;
    static constexpr int IDC_FIRM_NAME = 1039;
    static constexpr int IDC_DESIGNATION = 1040;
    static constexpr int IDC_ROLES_LIST = kestrel::IDC_ROLES_LIST;
    static constexpr int IDC_ROLE_CHOICES = kestrel::IDC_ROLE_CHOICES;
    static constexpr int IDC_ADD_ROLE = 1069;
    static constexpr int IDC_DELETE_ROLE = 1011;

    explicit CPropPageMemberGeneral(CToolTipHost* host, QWidget* parent = nullptr);
    ~CPropPageMemberGeneral() override;

    // Asked for the name of the list's project coordinator ("" when there is none); it decides
    // whether the coordinator box may be ticked for a new member.
    void SetCoordinatorLookup(std::function<QString()> lookup) {
        m_coordinatorLookup = std::move(lookup);
    }

    // Clears the page for a new member.
    void ResetGeneralPage();
    // The page's values into / from a member (the fields first, once the page is set up).
    void GetValues(kestrel::MemberValues& values);
    void SetValues(const kestrel::MemberValues& values);

    // radioId: IDC_NRIC_RADIO, IDC_PASSPORT_RADIO, IDC_OTHERS_RADIO, or -1 for the stored type.
    void SetIdentityType(int radioId);
    // At most one empty role row, at the end; it is selected and the list takes the focus.
    void OnAddRole();
    // The coordinator box cleared and disabled ("Save as New" of a copy while the list already
    // has a coordinator).
    void ForbidCoordinator();

    CEditableListCtrl* RolesList() const { return m_listRoles; }

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

private:
    void buildLayout();
    void onIdentityClicked(int radioId);

    // The values, as the fields show them after the last exchange.
    int m_bCoordinator = 0;
    QString m_strCountry;
    QString m_strDesignation;
    QString m_strFirmName;
    QString m_strName;
    QString m_strPrefix = QStringLiteral("S");
    QString m_strNricNo;
    QString m_strOtherId;
    QString m_strPassportNo;
    QString m_strIdentityType = kestrel::kIdentityNric;
    RecordTable m_roles{kestrel::kRoleColumnCount};

    CCharFilterEdit* m_editName = nullptr;
    CCharFilterEdit* m_editNricNo = nullptr;
    CCharFilterEdit* m_editPassportNo = nullptr;
    CCharFilterEdit* m_editOtherId = nullptr;
    CCharFilterEdit* m_editFirmName = nullptr;
    CCharFilterEdit* m_editDesignation = nullptr;
    QCheckBox* m_checkCoordinator = nullptr;
    QRadioButton* m_radioNric = nullptr;
    QRadioButton* m_radioPassport = nullptr;
    QRadioButton* m_radioOthers = nullptr;
    QComboBox* m_comboPrefix = nullptr;
    QComboBox* m_comboCountry = nullptr;
    QComboBox* m_comboRoles = nullptr;
    CEditableListCtrl* m_listRoles = nullptr;
    CHoverButton* m_btnAddRole = nullptr;
    CHoverButton* m_btnDeleteRole = nullptr;
    CFieldValidator m_validator;
    std::function<QString()> m_coordinatorLookup;
    bool m_bInitialized = false;
};
