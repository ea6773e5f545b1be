#include "pages/project/PropPageProjectMukimTS.h"

#include "controls/GroupFrame.h"
#include "controls/ListExchange.h"
#include "controls/RecordListCtrl.h"
#include "framework/ControlId.h"
#include "pages/LocationText.h"
#include "pages/RecordRowsReader.h"
#include "sdk/AppDB.h"
#include "sdk/StringTable.h"
#include "sdk/XmlDeferredRows.h"
#include "sdk/XmlHelpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>

#include <iterator>
#include <vector>

namespace {

// Lot and plot numbers: letters, digits and the hyphen.
constexpr const char* kLotPlotChars =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqurstuvwxyz0123456789-";
constexpr int kLotPlotMaxChars = 10;

constexpr int kMukimTSMandatory = 139; // "Mukim/ TS is mandatory"
constexpr int kLotNoMandatory = 140;   // "Lot number is mandatory"

constexpr RecordColumn kColumns[] = {
    {"MK/TS", 120}, {"Plot No", 70}, {"Lot No", 70}, {"Partial", 50}};
static_assert(std::size(kColumns) == CPropPageProjectMukimTS::kColumnCount);

constexpr RecordPageLayout kLayout{CPropPageProjectMukimTS::IDC_LOT_LIST, kColumns};

} // namespace

CPropPageProjectMukimTS::CPropPageProjectMukimTS(CToolTipHost* host, QWidget* parent)
    : CRecordPage(IDD, QStringLiteral("Mukim/TS Plot/Lot No."), kLayout, host, parent) {
    QWidget* form = buildForm();
    BuildPage(form, {m_comboMukimTS, m_editLotNo, m_editPlotNo, m_checkPartial});
}

CPropPageProjectMukimTS::~CPropPageProjectMukimTS() = default;

QWidget* CPropPageProjectMukimTS::buildForm() {
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

    AddFieldLabel(grid, QStringLiteral("Mukim/TS *"), m_comboMukimTS, 0, 0);
    grid->addWidget(m_comboMukimTS, 0, 1, 1, 3);
    AddFieldLabel(grid, QStringLiteral("Lot Number *"), m_editLotNo, 1, 0);
    grid->addWidget(m_editLotNo, 1, 1);
    AddFieldLabel(grid, QStringLiteral("Plot Number    (if any)"), m_editPlotNo, 1, 2);
    grid->addWidget(m_editPlotNo, 1, 3);
    // Absolute: the box's own right-to-left direction must not mirror its place under the labels.
    grid->addWidget(m_checkPartial, 2, 0, 1, 2, Qt::AlignLeft | Qt::AlignAbsolute);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    return frame;
}

void CPropPageProjectMukimTS::InitRecordFields() {
    for (CCharFilterEdit* edit : {m_editLotNo, m_editPlotNo})
        SetUpField(edit, kLotPlotMaxChars, kLotPlotChars);
    XKR_GetAppDB()->LoadMukimTS(m_comboMukimTS);
}

// --- the form and the list ---

bool CPropPageProjectMukimTS::IsFormEditedForNew() {
    return m_comboMukimTS->currentIndex() != -1 || !m_editPlotNo->text().isEmpty() ||
           !m_editLotNo->text().isEmpty() || m_checkPartial->isChecked();
}

bool CPropPageProjectMukimTS::FormDiffersFromRow(int row) {
    const QString partial = m_checkPartial->isChecked() ? QStringLiteral("Y") : QStringLiteral("N");
    return m_comboMukimTS->currentText() != List()->GetItemText(row, COL_MUKIM_TS) ||
           m_editPlotNo->text() != List()->GetItemText(row, COL_PLOT_NO) ||
           m_editLotNo->text() != List()->GetItemText(row, COL_LOT_NO) ||
           partial != List()->GetItemText(row, COL_PARTIAL);
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

RecordKey CPropPageProjectMukimTS::DuplicateKeyOfForm() {
    // A lot is known by its Mukim/TS and lot number; the plot and the partial mark do not make
    // it another lot. The number comes first: a project's lots share a few Mukims, so it tells
    // rows apart soonest.
    return RecordKey(
        {{COL_LOT_NO, m_editLotNo->text()}, {COL_MUKIM_TS, m_comboMukimTS->currentText()}});
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
    // Each lot's code is looked up once, for the summary now and for the rows when they are
    // written (a code shares the lookup table's text, so keeping them costs no copy).
    std::vector<QString> codes;
    codes.reserve(static_cast<size_t>(m_table.GetRowCount()));
    QString summary;
    for (int row = 0; row < m_table.GetRowCount(); ++row) {
        const RecordRow& cells = m_table.GetRow(row);
        codes.push_back(db->GetMukimTSCode(cells.GetCell(COL_MUKIM_TS)));
        kestrel::AppendLotSummary(summary, codes.back(), cells.GetCell(COL_PLOT_NO),
                                  cells.GetCell(COL_LOT_NO), cells.GetCell(COL_PARTIAL));
    }
    m_strLocationSummary = kestrel::StripCommasAndSpaces(summary);
    WriteRecordRows(
        doc, group, m_table.GetRowCount(),
        [lots = m_table, codes = std::move(codes)](pugi::xml_document& doc, pugi::xml_node group,
                                                   int row) {
            const RecordRow& cells = lots.GetRow(row);
            pugi::xml_node lot = AddXMLLeafNode(doc, group, QStringLiteral("lotmkts"), QString());
            AddXMLLeafNode(doc, lot, QStringLiteral("mk_ts_code_desc"),
                           cells.GetCell(COL_MUKIM_TS));
            AddXMLLeafNode(doc, lot, QStringLiteral("mk_ts_code"), codes[static_cast<size_t>(row)]);
            AddXMLLeafNode(doc, lot, QStringLiteral("plot_no"), cells.GetCell(COL_PLOT_NO));
            AddXMLLeafNode(doc, lot, QStringLiteral("lot_no"), cells.GetCell(COL_LOT_NO));
            AddXMLLeafNode(doc, lot, QStringLiteral("part_lot_flag"), cells.GetCell(COL_PARTIAL));
        });
    return QString();
}

QString CPropPageProjectMukimTS::ReadXml(pugi::xml_document&, pugi::xml_node group) {
    // Without a group there is nothing to read, and the lots stay as they are; a group without
    // lots means the project has none.
    if (!group)
        return QString();
    const auto readLots = [](std::span<const pugi::xml_node> lots, size_t, RecordTable& into) {
        // The description is looked up again from the code: the file's own description may be
        // out of date.
        CCodeDescriptions descriptions(XKR_GetAppDB(), &CAppDB::GetMukimTSDescription);
        // Every child a lot has, in the order files give them, so that one pass finds them all;
        // the file's description is matched only to be passed over.
        enum Field { DESCRIPTION, CODE, PLOT_NO, LOT_NO, PARTIAL, kFields };
        static constexpr const char* kNames[kFields] = {"mk_ts_code_desc", "mk_ts_code", "plot_no",
                                                        "lot_no", "part_lot_flag"};
        kestrel::RecordFields fields(kNames);
        for (pugi::xml_node lot : lots) {
            fields.Find(lot);
            QAnyStringView cells[kColumnCount];
            cells[COL_MUKIM_TS] = descriptions.Of(fields.Utf8(CODE));
            cells[COL_PLOT_NO] = fields.Text(PLOT_NO);
            cells[COL_LOT_NO] = fields.Text(LOT_NO);
            cells[COL_PARTIAL] = fields.Text(PARTIAL);
            into.AppendRow().AssignCells(cells, kColumnCount);
        }
    };
    m_table = kestrel::ReadRecordRows(kestrel::RecordsOf(group, "lotmkts"), kColumnCount, readLots);
    return QString();
}
