#pragma once
// CPropPageProjectMukimTS: the land lots the project stands on (first tab of the project page's
// nested sheet). A lot is its Mukim/TS, its lot number, an optional plot number and a partial
// mark; the stored lots are the page's record table and the lotmkts_group of the project file.

#include "pages/RecordPage.h"

class QCheckBox;
class QComboBox;

class CPropPageProjectMukimTS : public CRecordPage {
    Q_OBJECT
public:
    enum { IDD = 131 };
    // Control ids.
    static constexpr int IDC_MUKIM_TS = 1018;
    static constexpr int IDC_PLOT_NO = 1013;
    static constexpr int IDC_LOT_NO = 1015;
    static constexpr int IDC_PARTIAL_LOT = 1016;
    static constexpr int IDC_LOT_LIST = 1020;
    // Record columns: Mukim/TS description, plot number, lot number, partial ("Y"/"N").
    enum Column { COL_MUKIM_TS = 0, COL_PLOT_NO, COL_LOT_NO, COL_PARTIAL, kColumnCount };

    explicit CPropPageProjectMukimTS(CToolTipHost* host, QWidget* parent = nullptr);
    ~CPropPageProjectMukimTS() override;

    // detect: look for unsaved edits in the form; clear: empty the form (asking first when it
    // was edited). The save flow calls (true, false): false means the form holds unsaved edits.
    // True at once while the page has never been shown.
    bool ResetLotForm(bool detect, bool clear) { return ResetRecordForm(detect, clear); }

    // "MK17 Plot12 Lot3456 PT, MK17 Lot99": rebuilt by WriteXml.
    QString LocationSummary() const { return m_strLocationSummary; }

    // Writes one lotmkts element per stored lot under the lotmkts_group element; returns "".
    QString WriteXml(pugi::xml_document& doc, pugi::xml_node group) override;
    // Replaces the stored lots with the lotmkts elements of the group; returns "".
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
    CCharFilterEdit* m_editLotNo = nullptr;
    CCharFilterEdit* m_editPlotNo = nullptr;
    QComboBox* m_comboMukimTS = nullptr;
    QCheckBox* m_checkPartial = nullptr;
};
