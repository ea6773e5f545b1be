#pragma once
// CPropPageMemberAddress: the second tab of the member page's nested sheet ("Address *"). A
// member's address is either formatted (building, house/block, level, unit, a road from the road
// table and a six-digit postal code) or four free lines; the "Formatted" box chooses, and the
// other form's fields stay as they are, disabled.

#include "controls/CharFilterEdit.h"
#include "controls/ToolTipPropertyPage.h"
#include "pages/member/MemberRecord.h"
#include "pages/project/PropPageProjectAddress.h"

class CDropListCombo;
class CGroupFrame;
class QCheckBox;

class CPropPageMemberAddress : public CToolTipPropertyPage {
    Q_OBJECT
public:
    enum { IDD = 135 };
    static constexpr int IDC_FORMATTED = 1046;
    static constexpr int IDC_BUILDING_NAME = 1014;
    static constexpr int IDC_HOUSE_BLOCK_NO = 1052;
    static constexpr int IDC_LEVEL_NO = 1017;
    static constexpr int IDC_UNIT_NO = 1022;
    static constexpr int IDC_ROAD_NAME = kestrel::IDC_MEMBER_ROAD_NAME;
    static constexpr int IDC_POSTAL_CODE = kestrel::IDC_MEMBER_POSTAL_CODE;
    static constexpr int IDC_LINE1 = kestrel::IDC_ADDRESS_LINE1;
    static constexpr int IDC_LINE2 = 1021;
    static constexpr int IDC_LINE3 = 1028;
    static constexpr int IDC_LINE4 = 1029;
    static constexpr int IDC_UNFORMATTED_FRAME = 1062;
    static constexpr int IDC_FORMATTED_FRAME = 1063;

    explicit CPropPageMemberAddress(CToolTipHost* host, QWidget* parent = nullptr);
    ~CPropPageMemberAddress() override;

    // Clears the page for a new member: every field empty, formatted.
    void ResetAddressPage();
    void GetValues(kestrel::MemberValues& values);
    void SetValues(const kestrel::MemberValues& values);

    // Enables the group the "Formatted" box names and disables the other.
    void OnFormattedClicked();

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

private:
    void buildLayout();

    int m_bFormatted = 1;
    QString m_strBuildingName;
    QString m_strHouseBlockNo;
    QString m_strLevelNo;
    QString m_strUnitNo;
    QString m_strRoadName;
    QString m_strPostalCode;
    QString m_strLines[4];

    QCheckBox* m_checkFormatted = nullptr;
    CGroupFrame* m_frameFormatted = nullptr;
    CGroupFrame* m_frameUnformatted = nullptr;
    CCharFilterEdit* m_editBuildingName = nullptr;
    CCharFilterEdit* m_editHouseBlockNo = nullptr;
    CCharFilterEdit* m_editLevelNo = nullptr;
    CCharFilterEdit* m_editUnitNo = nullptr;
    CDropListCombo* m_comboRoadName = nullptr;
    CCharFilterEdit* m_editPostalCode = nullptr;
    CCharFilterEdit* m_editLines[4] = {};
    CPostalCodeValidator m_postalCodeValidator;
    CFieldValidator m_validator;
    bool m_bInitialized = false;
};
