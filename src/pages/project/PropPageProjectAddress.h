#pragma once
// CPropPageProjectAddress: the project's street addresses (second tab of the project page's
// nested sheet). The stored addresses are the page's record table and the address_group of the
// project file; the page also builds the address part of the project's location description.

#include "pages/RecordPage.h"

class CDropListCombo;

// A Singapore postal code: exactly six digits, else string 135 "Invalid postal code". The
// member address page uses it as well.
class CPostalCodeValidator : public CFieldValidator {
public:
    QString CheckFormat(QString& text) override;
};

class CPropPageProjectAddress : public CRecordPage {
    Q_OBJECT
public:
    enum { IDD = 132 };
    // Control ids.
    static constexpr int IDC_BUILDING_NAME = 1014;
    static constexpr int IDC_HOUSE_BLOCK_NO = 1052;
    static constexpr int IDC_LEVEL_NO = 1017;
    static constexpr int IDC_UNIT_NO = 1022;
    static constexpr int IDC_ROAD_NAME = 1024;
    static constexpr int IDC_POSTAL_CODE = 1023;
    static constexpr int IDC_ADDRESS_LIST = 1058;
    // Record columns.
    enum Column {
        COL_BUILDING_NAME = 0,
        COL_HOUSE_BLOCK_NO,
        COL_LEVEL_NO,
        COL_UNIT_NO,
        COL_ROAD_NAME,
        COL_POSTAL_CODE,
        kColumnCount
    };

    explicit CPropPageProjectAddress(CToolTipHost* host, QWidget* parent = nullptr);
    ~CPropPageProjectAddress() override;

    // As CPropPageProjectMukimTS::ResetLotForm, for the address form.
    bool ResetAddressForm(bool detect, bool clear) { return ResetRecordForm(detect, clear); }

    // "10 MAIN ROAD, #05-12, ABC TOWER, Singapore 123456": rebuilt by WriteXml.
    QString LocationSummary() const { return m_strLocationSummary; }

    // Writes one address element per stored address under the address_group element.
    QString WriteXml(pugi::xml_document& doc, pugi::xml_node group) override;
    // Replaces the stored addresses with the address elements of the group.
    QString ReadXml(pugi::xml_document& doc, pugi::xml_node group) override;

protected:
    void InitRecordFields() override;

private:
    // CRecordListBinding
    bool IsFormEditedForNew() override;
    bool FormDiffersFromRow(int row) override;
    void ClearForm() override;
    void LoadRowIntoForm(int row) override;
    void CheckForm(RecordCheckResult& result) override;
    RecordKey DuplicateKeyOfForm() override;
    QWidget* DuplicateFocus() override;
    void MoveFormIntoRow(int row) override;

    QWidget* buildForm();

    QString m_strLocationSummary;
    CCharFilterEdit* m_editBuildingName = nullptr;
    CCharFilterEdit* m_editHouseBlockNo = nullptr;
    CCharFilterEdit* m_editLevelNo = nullptr;
    CCharFilterEdit* m_editUnitNo = nullptr;
    CCharFilterEdit* m_editPostalCode = nullptr;
    CDropListCombo* m_comboRoadName = nullptr;
    CPostalCodeValidator m_postalCodeValidator;
};
