#include "pages/member/PropPageMemberAddress.h"

#include "controls/DropListCombo.h"
#include "controls/GroupFrame.h"
#include "framework/AppServices.h"
#include "framework/ControlId.h"
#include "framework/DataExchange.h"
#include "pages/project/ProjectCharSets.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace kestrel;

namespace {

// House/block, level and unit numbers: letters, digits, hyphen, space, comma and full stop.
constexpr const char* kNumberChars =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqurstuvwxyz0123456789- ,.";
constexpr int kLineLimit = 50;

QLabel* labelFor(const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text, buddy->parentWidget());
    label->setBuddy(buddy);
    return label;
}

} // namespace

CPropPageMemberAddress::CPropPageMemberAddress(CToolTipHost* host, QWidget* parent)
    : CToolTipPropertyPage(IDD, host, parent) {
    setWindowTitle(QStringLiteral("Address *"));
    HighlightOwnTab();
}

CPropPageMemberAddress::~CPropPageMemberAddress() = default;

void CPropPageMemberAddress::buildLayout() {
    m_checkFormatted = new QCheckBox(QStringLiteral("Formatted"), this);
    SetControlId(m_checkFormatted, IDC_FORMATTED);
    // The box stands right of its text.
    m_checkFormatted->setLayoutDirection(Qt::RightToLeft);
    connect(m_checkFormatted, &QCheckBox::clicked, this, [this] { OnFormattedClicked(); });

    m_frameFormatted = new CGroupFrame(QStringLiteral("Formatted Address"), this);
    SetControlId(m_frameFormatted, IDC_FORMATTED_FRAME);
    m_frameUnformatted = new CGroupFrame(QStringLiteral("Unformatted Address"), this);
    SetControlId(m_frameUnformatted, IDC_UNFORMATTED_FRAME);

    auto makeEdit = [](QWidget* frame, int id) {
        auto* edit = new CCharFilterEdit(frame);
        SetControlId(edit, id);
        return edit;
    };
    m_editBuildingName = makeEdit(m_frameFormatted, IDC_BUILDING_NAME);
    m_editHouseBlockNo = makeEdit(m_frameFormatted, IDC_HOUSE_BLOCK_NO);
    m_editLevelNo = makeEdit(m_frameFormatted, IDC_LEVEL_NO);
    m_editUnitNo = makeEdit(m_frameFormatted, IDC_UNIT_NO);
    m_comboRoadName = new CDropListCombo(m_frameFormatted);
    SetControlId(m_comboRoadName, IDC_ROAD_NAME);
    m_editPostalCode = makeEdit(m_frameFormatted, IDC_POSTAL_CODE);
    const int lineIds[4] = {IDC_LINE1, IDC_LINE2, IDC_LINE3, IDC_LINE4};
    for (int line = 0; line < 4; ++line)
        m_editLines[line] = makeEdit(m_frameUnformatted, lineIds[line]);

    auto* formatted = new QGridLayout(m_frameFormatted);
    formatted->addWidget(labelFor(QStringLiteral("Building Name"), m_editBuildingName), 0, 0);
    formatted->addWidget(m_editBuildingName, 0, 1, 1, 5);
    formatted->addWidget(labelFor(QStringLiteral("House/Block No."), m_editHouseBlockNo), 1, 0);
    formatted->addWidget(m_editHouseBlockNo, 1, 1);
    formatted->addWidget(labelFor(QStringLiteral("Level No."), m_editLevelNo), 1, 2);
    formatted->addWidget(m_editLevelNo, 1, 3);
    formatted->addWidget(labelFor(QStringLiteral("Unit No."), m_editUnitNo), 1, 4);
    formatted->addWidget(m_editUnitNo, 1, 5);
    formatted->addWidget(labelFor(QStringLiteral("Road Name *"), m_comboRoadName), 2, 0);
    formatted->addWidget(m_comboRoadName, 2, 1, 1, 3);
    formatted->addWidget(labelFor(QStringLiteral("Postal Code *"), m_editPostalCode), 2, 4);
    formatted->addWidget(m_editPostalCode, 2, 5);
    for (int column : {1, 3, 5})
        formatted->setColumnStretch(column, 1);

    auto* unformatted = new QGridLayout(m_frameUnformatted);
    const char* lineLabels[4] = {"Line 1 *", "Line 2", "Line 3", "Line 4"};
    for (int line = 0; line < 4; ++line) {
        unformatted->addWidget(labelFor(QString::fromLatin1(lineLabels[line]), m_editLines[line]),
                               line, 0);
        unformatted->addWidget(m_editLines[line], line, 1);
    }
    unformatted->setColumnStretch(1, 1);

    auto* page = new QVBoxLayout(this);
    page->addWidget(m_checkFormatted, 0, Qt::AlignLeft | Qt::AlignAbsolute);
    // A group frame also switches the sibling controls that lie within it; each frame here
    // holds its own controls, so each stands alone and switches only those.
    for (CGroupFrame* frame : {m_frameFormatted, m_frameUnformatted}) {
        auto* holder = new QWidget(this);
        auto* holderLayout = new QVBoxLayout(holder);
        holderLayout->setContentsMargins(0, 0, 0, 0);
        frame->setParent(holder);
        holderLayout->addWidget(frame);
        page->addWidget(holder);
    }
    page->addStretch(1);

    QWidget* order[] = {m_checkFormatted, m_editBuildingName, m_editHouseBlockNo, m_editLevelNo,
                        m_editUnitNo,     m_comboRoadName,    m_editPostalCode,   m_editLines[0],
                        m_editLines[1],   m_editLines[2],     m_editLines[3]};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

bool CPropPageMemberAddress::OnInitDialog() {
    // Made when first needed, like every detail page of the member page.
    buildLayout();
    CToolTipPropertyPage::OnInitDialog();
    const struct {
        CCharFilterEdit* edit;
        int limit;
        const char* allowed;
        CFieldValidator* validator;
    } fields[] = {{m_editBuildingName, 100, kProjectPrintableAscii, &m_validator},
                  {m_editHouseBlockNo, 10, kNumberChars, &m_validator},
                  {m_editLevelNo, 3, kNumberChars, &m_validator},
                  {m_editUnitNo, 10, kNumberChars, &m_validator},
                  {m_editPostalCode, 6, kProjectDigits, &m_postalCodeValidator},
                  {m_editLines[0], kLineLimit, kProjectPrintableAscii, &m_validator},
                  {m_editLines[1], kLineLimit, kProjectPrintableAscii, &m_validator},
                  {m_editLines[2], kLineLimit, kProjectPrintableAscii, &m_validator},
                  {m_editLines[3], kLineLimit, kProjectPrintableAscii, &m_validator}};
    for (const auto& field : fields) {
        field.edit->LimitText(field.limit);
        field.edit->SetAllowedChars(field.allowed);
        field.edit->SetValidator(field.validator);
        // Every field but the postal code types in capitals.
        field.edit->SetUpperCase(field.edit != m_editPostalCode);
    }
    m_comboRoadName->SetItemSource(GetRoadTable());
    m_bInitialized = true;
    UpdateData(false);
    return true;
}

void CPropPageMemberAddress::DoDataExchange(CDataExchange* pDX) {
    CToolTipPropertyPage::DoDataExchange(pDX);
    // A road the table does not know cannot be shown; it is kept rather than lost.
    if (pDX->m_bSaveAndValidate && m_comboRoadName->GetCurSel() >= 0)
        m_strRoadName = m_comboRoadName->GetWindowText();
    const int lineIds[4] = {IDC_LINE1, IDC_LINE2, IDC_LINE3, IDC_LINE4};
    for (int line = 0; line < 4; ++line)
        DDX_Text(pDX, lineIds[line], m_strLines[line]);
    DDX_Check(pDX, IDC_FORMATTED, m_bFormatted);
    DDX_Text(pDX, IDC_BUILDING_NAME, m_strBuildingName);
    DDX_Text(pDX, IDC_HOUSE_BLOCK_NO, m_strHouseBlockNo);
    DDX_Text(pDX, IDC_LEVEL_NO, m_strLevelNo);
    DDX_Text(pDX, IDC_POSTAL_CODE, m_strPostalCode);
    DDX_Text(pDX, IDC_UNIT_NO, m_strUnitNo);
    // Either way the combo ends up showing the road the value names (none when empty).
    if (m_strRoadName.isEmpty())
        m_comboRoadName->SetCurSel(-1);
    else if (m_comboRoadName->GetWindowText() != m_strRoadName)
        m_comboRoadName->SelectString(0, m_strRoadName);
    OnFormattedClicked();
}

void CPropPageMemberAddress::OnFormattedClicked() {
    if (IsViewOnly())
        return;
    const bool formatted = m_checkFormatted->isChecked();
    m_frameFormatted->setEnabled(formatted);
    m_frameUnformatted->setEnabled(!formatted);
}

void CPropPageMemberAddress::ResetAddressPage() {
    for (QString* value : {&m_strBuildingName, &m_strHouseBlockNo, &m_strLevelNo, &m_strUnitNo,
                           &m_strRoadName, &m_strPostalCode})
        value->clear();
    for (QString& line : m_strLines)
        line.clear();
    m_bFormatted = 1;
    if (m_bInitialized)
        UpdateData(false);
}

void CPropPageMemberAddress::GetValues(MemberValues& values) {
    if (m_bInitialized)
        UpdateData(true);
    values.formatted = m_bFormatted != 0;
    values.buildingName = m_strBuildingName;
    values.houseBlockNo = m_strHouseBlockNo;
    values.levelNo = m_strLevelNo;
    values.unitNo = m_strUnitNo;
    values.roadName = m_strRoadName;
    values.postalCode = m_strPostalCode;
    for (int line = 0; line < 4; ++line)
        values.addressLines[line] = m_strLines[line];
}

void CPropPageMemberAddress::SetValues(const MemberValues& values) {
    m_bFormatted = values.formatted ? 1 : 0;
    m_strBuildingName = values.buildingName;
    m_strHouseBlockNo = values.houseBlockNo;
    m_strLevelNo = values.levelNo;
    m_strUnitNo = values.unitNo;
    m_strRoadName = values.roadName;
    m_strPostalCode = values.postalCode;
    for (int line = 0; line < 4; ++line)
        m_strLines[line] = values.addressLines[line];
    if (m_bInitialized)
        UpdateData(false);
}
