#include "pages/project/PropPageProjectAddress.h"

#include "controls/DropListCombo.h"
#include "controls/DropListExchange.h"
#include "controls/GroupFrame.h"
#include "controls/ListExchange.h"
#include "controls/RecordListCtrl.h"
#include "framework/AppServices.h"
#include "framework/ControlId.h"
#include "pages/LocationText.h"
#include "pages/RecordRowsReader.h"
#include "sdk/AppDB.h"
#include "sdk/StringTable.h"
#include "sdk/XmlDeferredRows.h"
#include "sdk/XmlHelpers.h"

#include <QGridLayout>

#include <iterator>

namespace {

// The building name takes every printable ASCII character, as the project title does.
constexpr const char* kPrintableChars = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqurstuvwxyz"
                                        "0123456789 !\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~";
// House/block, level and unit numbers: letters, digits, hyphen, space, comma and full stop.
constexpr const char* kNumberChars =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqurstuvwxyz0123456789- ,.";
constexpr const char* kDigits = "0123456789";
constexpr int kPostalCodeLength = 6;

constexpr int kInvalidPostalCode = 135;   // "Invalid postal code"
constexpr int kRoadNameMandatory = 141;   // "Road name is mandatory"
constexpr int kPostalCodeMandatory = 142; // "Postal code is mandatory"

constexpr RecordColumn kColumns[] = {{"Building Name", 200}, {"House/Block No.", 60},
                                     {"Level No.", 40},      {"Unit No.", 60},
                                     {"Road Name", 120},     {"Postal Code", 60}};
static_assert(std::size(kColumns) == CPropPageProjectAddress::kColumnCount);

constexpr RecordPageLayout kLayout{CPropPageProjectAddress::IDC_ADDRESS_LIST, kColumns};

} // namespace

QString CPostalCodeValidator::CheckFormat(QString& text) {
    bool valid = text.size() == kPostalCodeLength;
    for (QChar c : text)
        valid = valid && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    return valid ? QString() : GetRCString(kInvalidPostalCode);
}

CPropPageProjectAddress::CPropPageProjectAddress(CToolTipHost* host, QWidget* parent)
    : CRecordPage(IDD, QStringLiteral("Project Address"), kLayout, host, parent) {
    QWidget* form = buildForm();
    BuildPage(form, {m_editBuildingName, m_editHouseBlockNo, m_editLevelNo, m_editUnitNo,
                     m_comboRoadName, m_editPostalCode});
}

CPropPageProjectAddress::~CPropPageProjectAddress() = default;

QWidget* CPropPageProjectAddress::buildForm() {
    auto* frame = new CGroupFrame(this);
    auto* grid = new QGridLayout(frame);

    auto makeEdit = [frame](int id) {
        auto* edit = new CCharFilterEdit(frame);
        kestrel::SetControlId(edit, id);
        return edit;
    };
    m_editBuildingName = makeEdit(IDC_BUILDING_NAME);
    m_editHouseBlockNo = makeEdit(IDC_HOUSE_BLOCK_NO);
    m_editLevelNo = makeEdit(IDC_LEVEL_NO);
    m_editUnitNo = makeEdit(IDC_UNIT_NO);
    m_comboRoadName = new CDropListCombo(frame);
    kestrel::SetControlId(m_comboRoadName, IDC_ROAD_NAME);
    m_editPostalCode = makeEdit(IDC_POSTAL_CODE);

    AddFieldLabel(grid, QStringLiteral("Building Name"), m_editBuildingName, 0, 0);
    grid->addWidget(m_editBuildingName, 0, 1, 1, 5);
    AddFieldLabel(grid, QStringLiteral("House/Block No."), m_editHouseBlockNo, 1, 0);
    grid->addWidget(m_editHouseBlockNo, 1, 1);
    AddFieldLabel(grid, QStringLiteral("Level No."), m_editLevelNo, 1, 2);
    grid->addWidget(m_editLevelNo, 1, 3);
    AddFieldLabel(grid, QStringLiteral("Unit No."), m_editUnitNo, 1, 4);
    grid->addWidget(m_editUnitNo, 1, 5);
    AddFieldLabel(grid, QStringLiteral("Road Name *"), m_comboRoadName, 2, 0);
    grid->addWidget(m_comboRoadName, 2, 1, 1, 3);
    AddFieldLabel(grid, QStringLiteral("Postal Code *"), m_editPostalCode, 2, 4);
    grid->addWidget(m_editPostalCode, 2, 5);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setColumnStretch(5, 1);
    return frame;
}

void CPropPageProjectAddress::InitRecordFields() {
    SetUpField(m_editBuildingName, 100, kPrintableChars);
    SetUpField(m_editHouseBlockNo, 10, kNumberChars);
    SetUpField(m_editLevelNo, 3, kNumberChars);
    SetUpField(m_editUnitNo, 10, kNumberChars);
    SetUpField(m_editPostalCode, kPostalCodeLength, kDigits, &m_postalCodeValidator);
    m_comboRoadName->SetItemSource(kestrel::GetRoadTable());
}

// --- the form and the list ---

bool CPropPageProjectAddress::IsFormEditedForNew() {
    for (const CCharFilterEdit* edit :
         {m_editBuildingName, m_editHouseBlockNo, m_editLevelNo, m_editUnitNo, m_editPostalCode})
        if (!edit->text().isEmpty())
            return true;
    return m_comboRoadName->GetCurSel() != -1;
}

bool CPropPageProjectAddress::FormDiffersFromRow(int row) {
    return m_editBuildingName->text() != List()->GetItemText(row, COL_BUILDING_NAME) ||
           m_editHouseBlockNo->text() != List()->GetItemText(row, COL_HOUSE_BLOCK_NO) ||
           m_editLevelNo->text() != List()->GetItemText(row, COL_LEVEL_NO) ||
           m_editUnitNo->text() != List()->GetItemText(row, COL_UNIT_NO) ||
           m_editPostalCode->text() != List()->GetItemText(row, COL_POSTAL_CODE) ||
           m_comboRoadName->GetWindowText() != List()->GetItemText(row, COL_ROAD_NAME);
}

void CPropPageProjectAddress::ClearForm() {
    for (CCharFilterEdit* edit :
         {m_editBuildingName, m_editHouseBlockNo, m_editLevelNo, m_editUnitNo, m_editPostalCode})
        edit->clear();
    m_comboRoadName->SetCurSel(-1);
}

void CPropPageProjectAddress::LoadRowIntoForm(int row) {
    ListCellToEdit(this, IDC_ADDRESS_LIST, IDC_BUILDING_NAME, row, COL_BUILDING_NAME);
    ListCellToEdit(this, IDC_ADDRESS_LIST, IDC_HOUSE_BLOCK_NO, row, COL_HOUSE_BLOCK_NO);
    ListCellToEdit(this, IDC_ADDRESS_LIST, IDC_LEVEL_NO, row, COL_LEVEL_NO);
    ListCellToEdit(this, IDC_ADDRESS_LIST, IDC_UNIT_NO, row, COL_UNIT_NO);
    // The road combo holds only its chosen road: the road is found in the road table by name.
    ListCellToDropListCombo(this, IDC_ADDRESS_LIST, IDC_ROAD_NAME, row, COL_ROAD_NAME);
    ListCellToEdit(this, IDC_ADDRESS_LIST, IDC_POSTAL_CODE, row, COL_POSTAL_CODE);
}

void CPropPageProjectAddress::CheckForm(RecordCheckResult& result) {
    if (m_comboRoadName->GetWindowText().isEmpty())
        result.Add(GetRCString(kRoadNameMandatory), m_comboRoadName);
    const QString postalCode = m_editPostalCode->text();
    if (postalCode.isEmpty())
        result.Add(GetRCString(kPostalCodeMandatory), m_editPostalCode);
    else if (postalCode.size() < kPostalCodeLength)
        result.Add(GetRCString(kInvalidPostalCode), m_editPostalCode);
}

RecordKey CPropPageProjectAddress::DuplicateKeyOfForm() {
    // An address is the same address only when every part of it is the same.
    return RecordKey({{COL_BUILDING_NAME, m_editBuildingName->text()},
                      {COL_HOUSE_BLOCK_NO, m_editHouseBlockNo->text()},
                      {COL_LEVEL_NO, m_editLevelNo->text()},
                      {COL_UNIT_NO, m_editUnitNo->text()},
                      {COL_ROAD_NAME, m_comboRoadName->GetWindowText()},
                      {COL_POSTAL_CODE, m_editPostalCode->text()}});
}

QWidget* CPropPageProjectAddress::DuplicateFocus() {
    return m_editBuildingName;
}

void CPropPageProjectAddress::MoveFormIntoRow(int row) {
    EditToListCell(this, IDC_ADDRESS_LIST, IDC_BUILDING_NAME, row, COL_BUILDING_NAME, true);
    EditToListCell(this, IDC_ADDRESS_LIST, IDC_HOUSE_BLOCK_NO, row, COL_HOUSE_BLOCK_NO, true);
    EditToListCell(this, IDC_ADDRESS_LIST, IDC_LEVEL_NO, row, COL_LEVEL_NO, true);
    EditToListCell(this, IDC_ADDRESS_LIST, IDC_UNIT_NO, row, COL_UNIT_NO, true);
    DropListComboToListCell(this, IDC_ADDRESS_LIST, IDC_ROAD_NAME, row, COL_ROAD_NAME, true);
    EditToListCell(this, IDC_ADDRESS_LIST, IDC_POSTAL_CODE, row, COL_POSTAL_CODE, true);
}

// --- the project file ---

QString CPropPageProjectAddress::WriteXml(pugi::xml_document& doc, pugi::xml_node group) {
    QString summary;
    for (int row = 0; row < m_table.GetRowCount(); ++row) {
        const RecordRow& cells = m_table.GetRow(row);
        kestrel::AppendAddressSummary(summary, cells.GetCell(COL_BUILDING_NAME),
                                      cells.GetCell(COL_HOUSE_BLOCK_NO),
                                      cells.GetCell(COL_LEVEL_NO), cells.GetCell(COL_UNIT_NO),
                                      cells.GetCell(COL_ROAD_NAME), cells.GetCell(COL_POSTAL_CODE));
    }
    m_strLocationSummary = kestrel::StripCommasAndSpaces(summary);
    WriteRecordRows(
        doc, group, m_table.GetRowCount(),
        [addresses = m_table, db = XKR_GetAppDB()](pugi::xml_document& doc, pugi::xml_node group,
                                                   int row) {
            const RecordRow& cells = addresses.GetRow(row);
            const QString road = cells.GetCell(COL_ROAD_NAME);
            pugi::xml_node address =
                AddXMLLeafNode(doc, group, QStringLiteral("address"), QString());
            AddXMLLeafNode(doc, address, QStringLiteral("building_name"),
                           cells.GetCell(COL_BUILDING_NAME));
            AddXMLLeafNode(doc, address, QStringLiteral("house_block_no"),
                           cells.GetCell(COL_HOUSE_BLOCK_NO));
            AddXMLLeafNode(doc, address, QStringLiteral("level_no"), cells.GetCell(COL_LEVEL_NO));
            AddXMLLeafNode(doc, address, QStringLiteral("unit_no"), cells.GetCell(COL_UNIT_NO));
            AddXMLLeafNode(doc, address, QStringLiteral("road_code_desc"), road);
            AddXMLLeafNode(doc, address, QStringLiteral("road_code"), db->GetRoadCode(road));
            AddXMLLeafNode(doc, address, QStringLiteral("postal_code"),
                           cells.GetCell(COL_POSTAL_CODE));
        });
    return QString();
}

QString CPropPageProjectAddress::ReadXml(pugi::xml_document&, pugi::xml_node group) {
    if (!group)
        return QString();
    const auto readAddresses = [](std::span<const pugi::xml_node> addresses, size_t,
                                  RecordTable& into) {
        // The road's name comes from the lookup table by its code, not from the file.
        CCodeDescriptions roads(XKR_GetAppDB(), &CAppDB::GetRoadDescription);
        // Every child an address has, in the order files give them, so that one pass finds them
        // all; the file's road name is matched only to be passed over.
        enum Field {
            BUILDING,
            HOUSE_BLOCK,
            LEVEL,
            UNIT,
            ROAD_NAME,
            ROAD_CODE,
            POSTAL_CODE,
            kFields
        };
        static constexpr const char* kNames[kFields] = {
            "building_name",  "house_block_no", "level_no",   "unit_no",
            "road_code_desc", "road_code",      "postal_code"};
        kestrel::RecordFields fields(kNames);
        for (pugi::xml_node address : addresses) {
            fields.Find(address);
            QAnyStringView cells[kColumnCount];
            cells[COL_BUILDING_NAME] = fields.Text(BUILDING);
            cells[COL_HOUSE_BLOCK_NO] = fields.Text(HOUSE_BLOCK);
            cells[COL_LEVEL_NO] = fields.Text(LEVEL);
            cells[COL_UNIT_NO] = fields.Text(UNIT);
            cells[COL_ROAD_NAME] = roads.Of(fields.Utf8(ROAD_CODE));
            cells[COL_POSTAL_CODE] = fields.Text(POSTAL_CODE);
            into.AppendRow().AssignCells(cells, kColumnCount);
        }
    };
    m_table =
        kestrel::ReadRecordRows(kestrel::RecordsOf(group, "address"), kColumnCount, readAddresses);
    return QString();
}
