#include "pages/project/PropPageProjectMukimTS.h"

#include "controls/GroupFrame.h"
#include "controls/HoverButton.h"
#include "controls/ListExchange.h"
#include "controls/RecordListCtrl.h"
#include "framework/ControlId.h"
#include "framework/DataExchange.h"
#include "framework/PropertySheet.h"
#include "pages/LocationText.h"
#include "pages/project/TabHighlight.h"
#include "sdk/AppDB.h"
#include "sdk/StringTable.h"
#include "sdk/XmlHelpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

// Lot and plot numbers: letters, digits and the hyphen.
constexpr const char* kLotPlotChars =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqurstuvwxyz0123456789-";
constexpr int kLotPlotMaxChars = 10;

constexpr int kMukimTSMandatory = 139; // "Mukim/ TS is mandatory"
constexpr int kLotNoMandatory = 140;   // "Lot number is mandatory"

// Every extended style the record lists combine (grid lines, full-row select, one-click
// activation, flat scroll bars, info tips, underlined hot item).
constexpr unsigned kRecordListStyle = 0xD61;

struct ColumnSpec {
    const char* heading;
    int width;
};
constexpr ColumnSpec kColumns[] = {
    {"MK/TS", 120}, {"Plot No", 70}, {"Lot No", 70}, {"Partial", 50}};

} // namespace

CPropPageProjectMukimTS::CPropPageProjectMukimTS(CToolTipHost* host, QWidget* parent)
    : CToolTipPropertyPage(IDD, host, parent), m_editor(this, *this) {
    setWindowTitle(QStringLiteral("Mukim/TS Plot/Lot No."));
    buildLayout();
}

CPropPageProjectMukimTS::~CPropPageProjectMukimTS() = default;

void CPropPageProjectMukimTS::buildLayout() {
    auto* frame = new CGroupFrame(this);
    auto* grid = new QGridLayout(frame);

    m_comboMukimTS = new QComboBox(frame);
    kestrel::SetControlId(m_comboMukimTS, IDC_MUKIM_TS);
    m_editLotNo = new CCharFilterEdit(frame);
    kestrel::SetControlId(m_editLotNo, IDC_LOT_NO);
    m_editPlotNo = new CCharFilterEdit(frame);
    kestrel::SetControlId(m_editPlotNo, IDC_PLOT_NO);
    m_checkPartial = new QCheckBox(QStringLiteral("Partial Lot"), frame);
    kestrel::SetControlId(m_checkPartial, IDC_PARTIAL_LOT);
    // The box stands right of its text.
    m_checkPartial->setLayoutDirection(Qt::RightToLeft);

    auto addLabel = [&](const QString& text, QWidget* buddy, int row, int column) {
        auto* label = new QLabel(text, frame);
        label->setBuddy(buddy);
        grid->addWidget(label, row, column);
    };
    addLabel(QStringLiteral("Mukim/TS *"), m_comboMukimTS, 0, 0);
    grid->addWidget(m_comboMukimTS, 0, 1, 1, 3);
    addLabel(QStringLiteral("Lot Number *"), m_editLotNo, 1, 0);
    grid->addWidget(m_editLotNo, 1, 1);
    addLabel(QStringLiteral("Plot Number    (if any)"), m_editPlotNo, 1, 2);
    grid->addWidget(m_editPlotNo, 1, 3);
    // Absolute: the box's own right-to-left direction must not mirror its place under the labels.
    grid->addWidget(m_checkPartial, 2, 0, 1, 2, Qt::AlignLeft | Qt::AlignAbsolute);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    auto makeButton = [this](const QString& caption, int id) {
        auto* button = new CHoverButton(caption, this);
        kestrel::SetControlId(button, id);
        return button;
    };
    m_btnReset = makeButton(QStringLiteral("Reset"), IDC_RESET);
    m_btnDelete = makeButton(QStringLiteral("Delete"), IDC_DELETE);
    m_btnUpdate = makeButton(QStringLiteral("Update"), IDC_UPDATE);
    m_btnSaveAsNew = makeButton(QStringLiteral("Save as New"), IDC_SAVE_AS_NEW);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (CHoverButton* button : {m_btnReset, m_btnDelete, m_btnUpdate, m_btnSaveAsNew})
        buttons->addWidget(button);

    m_list = new CRecordListCtrl(this);
    kestrel::SetControlId(m_list, IDC_LOT_LIST);
    m_list->setAccessibleName(windowTitle());

    auto* page = new QVBoxLayout(this);
    page->addWidget(frame);
    page->addLayout(buttons);
    page->addWidget(m_list, 1);

    setTabOrder(m_comboMukimTS, m_editLotNo);
    setTabOrder(m_editLotNo, m_editPlotNo);
    setTabOrder(m_editPlotNo, m_checkPartial);
    setTabOrder(m_checkPartial, m_btnReset);
    setTabOrder(m_btnReset, m_btnDelete);
    setTabOrder(m_btnDelete, m_btnUpdate);
    setTabOrder(m_btnUpdate, m_btnSaveAsNew);
    setTabOrder(m_btnSaveAsNew, m_list);
}

bool CPropPageProjectMukimTS::OnInitDialog() {
    // Tooltips and the view-only rules come first, before any control is filled or limited.
    const bool result = CToolTipPropertyPage::OnInitDialog();

    for (int column = 0; column < kColumnCount; ++column)
        m_list->InsertColumn(column, QString::fromLatin1(kColumns[column].heading), LVCFMT_LEFT,
                             kColumns[column].width);
    m_list->SetExtendedStyle(m_list->GetExtendedStyle() | kRecordListStyle);

    m_btnUpdate->SetIconResource(181);
    m_btnUpdate->SetFlatStyle(true, true);
    m_btnSaveAsNew->SetIconResource(172);
    m_btnSaveAsNew->SetFlatStyle(true, true);
    m_btnDelete->SetIconResource(173);
    m_btnDelete->SetFlatStyle(true, true);
    m_btnReset->SetIconResource(176);
    m_btnReset->SetFlatStyle(true, true);

    for (CCharFilterEdit* edit : {m_editLotNo, m_editPlotNo}) {
        edit->LimitText(kLotPlotMaxChars);
        edit->SetAllowedChars(kLotPlotChars);
        edit->SetUpperCase(true);
        edit->SetValidator(&m_validator);
    }

    XKR_GetAppDB()->LoadMukimTS(m_comboMukimTS);

    m_editor.Attach(m_list, m_btnUpdate, m_btnDelete, m_btnReset, m_btnSaveAsNew);
    ResetLotForm(false, true);
    m_bInitialized = true;
    UpdateData(false);
    return result;
}

void CPropPageProjectMukimTS::DoDataExchange(CDataExchange* pDX) {
    CToolTipPropertyPage::DoDataExchange(pDX);
    // The list only holds the records once the page has set it up.
    if (m_bInitialized)
        DDX_ListTable(pDX, IDC_LOT_LIST, m_table);
}

bool CPropPageProjectMukimTS::ResetLotForm(bool detect, bool clear) {
    return m_editor.ResetForm(detect, clear);
}

void CPropPageProjectMukimTS::highlightTab(bool highlight) {
    // The same mark as the other tabs of the nested sheet.
    kestrel::HighlightSheetTab(GetParentSheet(), kTabIndex, highlight);
}

bool CPropPageProjectMukimTS::OnSetActive() {
    highlightTab(true);
    return CToolTipPropertyPage::OnSetActive();
}

bool CPropPageProjectMukimTS::OnKillActive() {
    highlightTab(false);
    return CToolTipPropertyPage::OnKillActive();
}

// --- the form and the list ---

bool CPropPageProjectMukimTS::IsFormEditedForNew() {
    return m_comboMukimTS->currentIndex() != -1 || !m_editPlotNo->text().isEmpty() ||
           !m_editLotNo->text().isEmpty() || m_checkPartial->isChecked();
}

bool CPropPageProjectMukimTS::FormDiffersFromRow(int row) {
    const QString partial = m_checkPartial->isChecked() ? QStringLiteral("Y") : QStringLiteral("N");
    return m_comboMukimTS->currentText() != m_list->GetItemText(row, COL_MUKIM_TS) ||
           m_editPlotNo->text() != m_list->GetItemText(row, COL_PLOT_NO) ||
           m_editLotNo->text() != m_list->GetItemText(row, COL_LOT_NO) ||
           partial != m_list->GetItemText(row, COL_PARTIAL);
}

void CPropPageProjectMukimTS::ClearForm() {
    m_comboMukimTS->setCurrentIndex(-1);
    m_editPlotNo->clear();
    m_editLotNo->clear();
    m_checkPartial->setChecked(false);
}

void CPropPageProjectMukimTS::LoadRowIntoForm(int row) {
    ListCellToCombo(this, IDC_LOT_LIST, IDC_MUKIM_TS, row, COL_MUKIM_TS);
    ListCellToEdit(this, IDC_LOT_LIST, IDC_PLOT_NO, row, COL_PLOT_NO);
    ListCellToEdit(this, IDC_LOT_LIST, IDC_LOT_NO, row, COL_LOT_NO);
    ListCellToCheck(this, IDC_LOT_LIST, IDC_PARTIAL_LOT, row, COL_PARTIAL);
}

void CPropPageProjectMukimTS::CheckForm(RecordCheckResult& result) {
    if (m_comboMukimTS->currentText().isEmpty())
        result.Add(GetRCString(kMukimTSMandatory), m_comboMukimTS);
    if (m_editLotNo->text().isEmpty())
        result.Add(GetRCString(kLotNoMandatory), m_editLotNo);
}

bool CPropPageProjectMukimTS::IsDuplicateOfRow(int row) {
    // A lot is known by its Mukim/TS and lot number; the plot and the partial mark do not make
    // it another lot.
    return m_list->GetItemText(row, COL_MUKIM_TS)
                   .compare(m_comboMukimTS->currentText(), Qt::CaseInsensitive) == 0 &&
           m_list->GetItemText(row, COL_LOT_NO).compare(m_editLotNo->text(), Qt::CaseInsensitive) ==
               0;
}

QWidget* CPropPageProjectMukimTS::DuplicateFocus() {
    return m_comboMukimTS;
}

void CPropPageProjectMukimTS::MoveFormIntoRow(int row) {
    ComboToListCell(this, IDC_LOT_LIST, IDC_MUKIM_TS, row, COL_MUKIM_TS, true);
    EditToListCell(this, IDC_LOT_LIST, IDC_PLOT_NO, row, COL_PLOT_NO, true);
    EditToListCell(this, IDC_LOT_LIST, IDC_LOT_NO, row, COL_LOT_NO, true);
    CheckToListCell(this, IDC_LOT_LIST, IDC_PARTIAL_LOT, row, COL_PARTIAL, true);
}

// --- the project file ---

QString CPropPageProjectMukimTS::WriteXml(pugi::xml_document& doc, pugi::xml_node group) {
    CAppDB* db = XKR_GetAppDB();
    QString summary;
    for (int row = 0; row < m_table.GetRowCount(); ++row) {
        const QString& description = m_table.GetCell(row, COL_MUKIM_TS);
        const QString& plotNo = m_table.GetCell(row, COL_PLOT_NO);
        const QString& lotNo = m_table.GetCell(row, COL_LOT_NO);
        const QString& partial = m_table.GetCell(row, COL_PARTIAL);
        const QString code = db->GetMukimTSCode(description);

        pugi::xml_node lot = AddXMLLeafNode(doc, group, QStringLiteral("lotmkts"), QString());
        AddXMLLeafNode(doc, lot, QStringLiteral("mk_ts_code_desc"), description);
        AddXMLLeafNode(doc, lot, QStringLiteral("mk_ts_code"), code);
        AddXMLLeafNode(doc, lot, QStringLiteral("plot_no"), plotNo);
        AddXMLLeafNode(doc, lot, QStringLiteral("lot_no"), lotNo);
        AddXMLLeafNode(doc, lot, QStringLiteral("part_lot_flag"), partial);

        kestrel::AppendLotSummary(summary, code, plotNo, lotNo, partial);
    }
    m_strLocationSummary = kestrel::StripCommasAndSpaces(summary);
    return QString();
}

QString CPropPageProjectMukimTS::ReadXml(pugi::xml_document& doc, pugi::xml_node group) {
    // Without a group there is nothing to read, and the lots stay as they are; a group without
    // lots means the project has none.
    if (!group)
        return QString();
    CAppDB* db = XKR_GetAppDB();
    m_table.RemoveAll();
    for (pugi::xml_node lot : group.children("lotmkts")) {
        RecordRow& row = m_table.AppendRow();
        auto text = [&](const char* name) {
            return GetNodeText(GetNode(doc, lot, QString::fromLatin1(name), 0, QString()));
        };
        // The description is looked up again from the code: the file's own description may be
        // out of date.
        row.SetCell(COL_MUKIM_TS, db->GetMukimTSDescription(text("mk_ts_code")));
        row.SetCell(COL_PLOT_NO, text("plot_no"));
        row.SetCell(COL_LOT_NO, text("lot_no"));
        row.SetCell(COL_PARTIAL, text("part_lot_flag"));
    }
    return QString();
}
