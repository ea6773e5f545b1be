#include "pages/member/PropPageMemberGeneral.h"

#include "controls/EditableListCtrl.h"
#include "controls/HoverButton.h"
#include "controls/ListExchange.h"
#include "framework/AppServices.h"
#include "framework/ControlId.h"
#include "framework/DataExchange.h"
#include "pages/project/ProjectCharSets.h"
#include "sdk/AppDB.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

using namespace kestrel;

namespace {

constexpr const char* kNameChars =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqurstuvwxyz0123456789- .";
constexpr const char* kPassportChars =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqurstuvwxyz0123456789-";
constexpr int kNameLimit = 66;
constexpr int kIdentityLimit = 50;

// The roles list: grid lines, full-row select, flat scroll bars, info tips.
constexpr unsigned kRolesListStyle = 0x521;
constexpr int kRoleColumnWidth = 250;
constexpr int kProfessionalNoColumnWidth = 150;
constexpr int kAddIcon = 184;
constexpr int kDeleteIcon = 173;

int isRoleColumn(int column) {
    return column == ROLE_DESCRIPTION ? 1 : 0;
}

QLabel* labelFor(const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text, buddy->parentWidget());
    label->setBuddy(buddy);
    return label;
}

} // namespace

CPropPageMemberGeneral::CPropPageMemberGeneral(CToolTipHost* host, QWidget* parent)
    : CToolTipPropertyPage(IDD, host, parent) {
    setWindowTitle(QStringLiteral("General *"));
    HighlightOwnTab();
}

CPropPageMemberGeneral::~CPropPageMemberGeneral() = default;

void CPropPageMemberGeneral::buildLayout() {
    auto makeEdit = [this](int id) {
        auto* edit = new CCharFilterEdit(this);
        SetControlId(edit, id);
        return edit;
    };
    m_editName = makeEdit(IDC_NAME);
    m_editNricNo = makeEdit(IDC_NRIC_NO);
    m_editNricNo->setAccessibleName(QStringLiteral("NRIC Number"));
    m_editPassportNo = makeEdit(IDC_PASSPORT_NO);
    m_editPassportNo->setAccessibleName(QStringLiteral("Passport Number"));
    m_editOtherId = makeEdit(IDC_OTHER_ID);
    m_editOtherId->setAccessibleName(QStringLiteral("Other Identification"));
    m_editFirmName = makeEdit(IDC_FIRM_NAME);
    m_editDesignation = makeEdit(IDC_DESIGNATION);

    m_checkCoordinator = new QCheckBox(QStringLiteral("Project Co-ordinator"), this);
    SetControlId(m_checkCoordinator, IDC_COORDINATOR);
    m_radioNric = new QRadioButton(QStringLiteral("NRIC No."), this);
    SetControlId(m_radioNric, IDC_NRIC_RADIO);
    m_radioPassport = new QRadioButton(QStringLiteral("Passport No."), this);
    SetControlId(m_radioPassport, IDC_PASSPORT_RADIO);
    m_radioOthers = new QRadioButton(QStringLiteral("Others"), this);
    SetControlId(m_radioOthers, IDC_OTHERS_RADIO);
    auto* identity = new QButtonGroup(this);
    for (QRadioButton* radio : {m_radioNric, m_radioPassport, m_radioOthers})
        identity->addButton(radio, GetControlId(radio));
    // Toggled rather than clicked: a screen reader's "toggle" action ticks a radio without a
    // click, and the fields must follow it all the same.
    connect(identity, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            onIdentityClicked(id);
    });

    m_comboPrefix = new QComboBox(this);
    SetControlId(m_comboPrefix, IDC_NRIC_PREFIX);
    m_comboPrefix->setAccessibleName(QStringLiteral("NRIC Prefix"));
    m_comboPrefix->addItem(QStringLiteral("S"));
    m_comboCountry = new QComboBox(this);
    SetControlId(m_comboCountry, IDC_COUNTRY);
    m_comboCountry->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_comboCountry->setMinimumContentsLength(20);
    // The source of the roles list's choices; the user never sees it.
    m_comboRoles = new QComboBox(this);
    SetControlId(m_comboRoles, IDC_ROLE_CHOICES);
    m_comboRoles->hide();

    m_listRoles = new CEditableListCtrl(this);
    SetControlId(m_listRoles, IDC_ROLES_LIST);
    m_listRoles->setAccessibleName(QStringLiteral("Roles"));
    m_btnAddRole = new CHoverButton(QStringLiteral("Add"), this);
    SetControlId(m_btnAddRole, IDC_ADD_ROLE);
    m_btnDeleteRole = new CHoverButton(QStringLiteral("Delete"), this);
    SetControlId(m_btnDeleteRole, IDC_DELETE_ROLE);
    m_btnDeleteRole->setAccessibleName(QStringLiteral("Delete Role"));
    connect(m_btnAddRole, &QPushButton::clicked, this, [this] { OnAddRole(); });
    connect(m_btnDeleteRole, &QPushButton::clicked, this, [this] {
        if (GetSelectedListItem(this, IDC_ROLES_LIST) >= 0)
            DeleteSelectedListItem(this, IDC_ROLES_LIST, true);
    });

    auto* grid = new QGridLayout;
    grid->addWidget(labelFor(QStringLiteral("Name *"), m_editName), 0, 0);
    grid->addWidget(m_editName, 0, 1, 1, 2);
    grid->addWidget(m_checkCoordinator, 0, 3);
    auto* nric = new QHBoxLayout;
    nric->addWidget(m_comboPrefix);
    nric->addWidget(m_editNricNo, 1);
    grid->addWidget(m_radioNric, 1, 0);
    grid->addLayout(nric, 1, 1, 1, 2);
    grid->addWidget(m_radioPassport, 2, 0);
    grid->addWidget(m_editPassportNo, 2, 1, 1, 2);
    grid->addWidget(m_radioOthers, 3, 0);
    grid->addWidget(m_editOtherId, 3, 1, 1, 2);
    grid->addWidget(labelFor(QStringLiteral("Country     (please specify)"), m_comboCountry), 4, 0);
    grid->addWidget(m_comboCountry, 4, 1, 1, 2);
    grid->addWidget(labelFor(QStringLiteral("Firm Name"), m_editFirmName), 5, 0);
    grid->addWidget(m_editFirmName, 5, 1, 1, 3);
    grid->addWidget(labelFor(QStringLiteral("Designation"), m_editDesignation), 6, 0);
    grid->addWidget(m_editDesignation, 6, 1, 1, 3);
    grid->setColumnStretch(1, 1);

    auto* roles = new QGroupBox(QStringLiteral("Roles"), this);
    auto* rolesLayout = new QHBoxLayout(roles);
    rolesLayout->addWidget(m_listRoles, 1);
    auto* roleButtons = new QVBoxLayout;
    roleButtons->addWidget(m_btnAddRole);
    roleButtons->addWidget(m_btnDeleteRole);
    roleButtons->addStretch(1);
    rolesLayout->addLayout(roleButtons);

    auto* page = new QVBoxLayout(this);
    page->addLayout(grid);
    page->addWidget(roles, 1);

    const QWidget* order[] = {
        m_editName,      m_checkCoordinator, m_radioNric,   m_comboPrefix, m_editNricNo,
        m_radioPassport, m_editPassportNo,   m_radioOthers, m_editOtherId, m_comboCountry,
        m_editFirmName,  m_editDesignation,  m_listRoles,   m_btnAddRole,  m_btnDeleteRole};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(const_cast<QWidget*>(order[i - 1]), const_cast<QWidget*>(order[i]));
}

bool CPropPageMemberGeneral::OnInitDialog() {
    // The controls are made when the page is first needed, not with the main dialog: the first
    // screen shows the project page.
    buildLayout();
    CToolTipPropertyPage::OnInitDialog();

    const struct {
        CCharFilterEdit* edit;
        const char* allowed;
        int limit;
    } fields[] = {{m_editName, kNameChars, kNameLimit},
                  {m_editNricNo, kProjectLettersDigits, kIdentityLimit},
                  {m_editPassportNo, kPassportChars, kIdentityLimit},
                  {m_editOtherId, kProjectPrintableAscii, kIdentityLimit},
                  {m_editFirmName, kProjectPrintableAscii, kNameLimit},
                  {m_editDesignation, kProjectPrintableAscii, kNameLimit}};
    for (const auto& field : fields) {
        field.edit->SetAllowedChars(field.allowed);
        field.edit->SetValidator(&m_validator);
        field.edit->LimitText(field.limit);
    }

    m_listRoles->InsertColumn(ROLE_DESCRIPTION, QStringLiteral("Role"), LVCFMT_LEFT,
                              kRoleColumnWidth);
    m_listRoles->InsertColumn(ROLE_PROFESSIONAL_NO, QStringLiteral("Professional No."), LVCFMT_LEFT,
                              kProfessionalNoColumnWidth);
    m_listRoles->SetExtendedStyle(m_listRoles->GetExtendedStyle() | kRolesListStyle);
    m_listRoles->m_pfnIsComboColumn = isRoleColumn;
    m_listRoles->SetBkColor(palette().color(QPalette::Button));
    // A member has a few roles: four rows show without scrolling, the rest scroll.
    m_listRoles->setFixedHeight(m_listRoles->horizontalHeader()->sizeHint().height() +
                                4 * m_listRoles->verticalHeader()->defaultSectionSize() +
                                2 * m_listRoles->frameWidth());

    m_btnAddRole->SetIconResource(kAddIcon);
    m_btnAddRole->SetFlatStyle(true, true);
    m_btnDeleteRole->SetIconResource(kDeleteIcon);
    m_btnDeleteRole->SetFlatStyle(true, true);

    XKR_GetAppDB()->LoadCountries(m_comboCountry);
    XKR_GetAppDB()->LoadRole(m_comboRoles);
    for (int item = 0; item < m_comboRoles->count(); ++item)
        m_listRoles->m_comboItems.append(m_comboRoles->itemText(item));

    m_bInitialized = true;
    UpdateData(false);
    if (!IsViewOnly())
        m_checkCoordinator->setEnabled(m_bCoordinator || !m_coordinatorLookup ||
                                       m_coordinatorLookup().isEmpty());
    return true;
}

void CPropPageMemberGeneral::DoDataExchange(CDataExchange* pDX) {
    CToolTipPropertyPage::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_COORDINATOR, m_bCoordinator);
    DDX_CBString(pDX, IDC_COUNTRY, m_strCountry);
    DDX_Text(pDX, IDC_DESIGNATION, m_strDesignation);
    DDX_Text(pDX, IDC_FIRM_NAME, m_strFirmName);
    DDX_Text(pDX, IDC_NAME, m_strName);
    DDX_CBString(pDX, IDC_NRIC_PREFIX, m_strPrefix);
    DDX_Text(pDX, IDC_NRIC_NO, m_strNricNo);
    DDX_Text(pDX, IDC_OTHER_ID, m_strOtherId);
    DDX_Text(pDX, IDC_PASSPORT_NO, m_strPassportNo);
    if (!m_bInitialized)
        return;
    if (pDX->m_bSaveAndValidate) {
        // A row added and left empty is no role; one with only a number is, and is reported.
        const int last = m_listRoles->GetItemCount() - 1;
        if (last >= 0 && m_listRoles->GetItemText(last, ROLE_DESCRIPTION).isEmpty() &&
            m_listRoles->GetItemText(last, ROLE_PROFESSIONAL_NO).isEmpty())
            m_listRoles->DeleteItem(last);
        DDX_ListTable(pDX, IDC_ROLES_LIST, m_roles);
    } else {
        DDX_ListTable(pDX, IDC_ROLES_LIST, m_roles);
        SetIdentityType(-1);
        if (!IsViewOnly() && m_bCoordinator)
            m_checkCoordinator->setEnabled(true);
    }
}

void CPropPageMemberGeneral::SetIdentityType(int radioId) {
    if (radioId == -1) {
        radioId = m_strIdentityType == kIdentityNric       ? IDC_NRIC_RADIO
                  : m_strIdentityType == kIdentityPassport ? IDC_PASSPORT_RADIO
                                                           : IDC_OTHERS_RADIO;
    }
    {
        // Ticking the radio here is the page's own doing, not the user's choice.
        const QSignalBlocker nric(m_radioNric), passport(m_radioPassport), others(m_radioOthers);
        m_radioNric->setChecked(radioId == IDC_NRIC_RADIO);
        m_radioPassport->setChecked(radioId == IDC_PASSPORT_RADIO);
        m_radioOthers->setChecked(radioId == IDC_OTHERS_RADIO);
    }
    // A view-only run shows the record as it is: which type it has, nothing switched or emptied.
    if (IsViewOnly())
        return;

    const bool nric = radioId == IDC_NRIC_RADIO;
    const bool passport = radioId == IDC_PASSPORT_RADIO;
    const bool other = radioId == IDC_OTHERS_RADIO;
    // Only the chosen kind keeps its number on the screen.
    m_editNricNo->setText(nric ? m_strNricNo : QString());
    m_editNricNo->setEnabled(nric);
    m_editPassportNo->setText(passport ? m_strPassportNo : QString());
    m_editPassportNo->setEnabled(passport);
    m_editOtherId->setText(other ? m_strOtherId : QString());
    m_editOtherId->setEnabled(other);
    m_comboPrefix->setEnabled(nric);
    if (nric)
        m_comboPrefix->setCurrentIndex(m_comboPrefix->findText(m_strPrefix));
    else
        m_comboPrefix->setCurrentIndex(-1);
    // An NRIC and a local identification are Singapore's; a passport names its country.
    if (passport) {
        m_comboCountry->setCurrentIndex(m_comboCountry->findText(m_strCountry));
    } else {
        m_comboCountry->setCurrentIndex(m_comboCountry->findText(kSingapore));
    }
    m_comboCountry->setEnabled(passport);
    m_strIdentityType = nric ? kIdentityNric : passport ? kIdentityPassport : kIdentityOther;
}

void CPropPageMemberGeneral::onIdentityClicked(int radioId) {
    const QString wanted = radioId == IDC_NRIC_RADIO       ? kIdentityNric
                           : radioId == IDC_PASSPORT_RADIO ? kIdentityPassport
                                                           : kIdentityOther;
    if (wanted == m_strIdentityType)
        return;
    // What the user typed for the kind they leave comes back if they return to it.
    UpdateData(true);
    SetIdentityType(radioId);
    if (radioId == IDC_PASSPORT_RADIO &&
        m_comboCountry->currentText().compare(kSingapore, Qt::CaseInsensitive) == 0)
        m_comboCountry->setCurrentIndex(-1);
}

void CPropPageMemberGeneral::OnAddRole() {
    const int rows = m_listRoles->GetItemCount();
    if (rows == 0 || !m_listRoles->GetItemText(rows - 1, ROLE_DESCRIPTION).isEmpty())
        m_listRoles->InsertItem(rows, QString());
    m_listRoles->SetItemSelected(m_listRoles->GetItemCount() - 1, true);
    m_listRoles->setFocus(Qt::OtherFocusReason);
}

void CPropPageMemberGeneral::ForbidCoordinator() {
    m_bCoordinator = 0;
    if (!m_bInitialized)
        return;
    m_checkCoordinator->setChecked(false);
    m_checkCoordinator->setEnabled(false);
}

void CPropPageMemberGeneral::ResetGeneralPage() {
    m_bCoordinator = 0;
    m_strCountry.clear();
    m_strDesignation.clear();
    m_strFirmName.clear();
    m_strName.clear();
    m_strPrefix = QStringLiteral("S");
    m_strNricNo.clear();
    m_strOtherId.clear();
    m_strPassportNo.clear();
    m_strIdentityType = kIdentityNric;
    m_roles.RemoveAll();
    if (IsViewOnly() || !m_bInitialized)
        return;
    SetIdentityType(IDC_NRIC_RADIO);
    m_comboCountry->setCurrentIndex(-1);
    m_comboRoles->setCurrentIndex(-1);
    m_comboPrefix->setCurrentIndex(-1);
    UpdateData(false);
    m_checkCoordinator->setChecked(false);
    // Only one member coordinates: the box is open while nobody in the list does.
    m_checkCoordinator->setEnabled(!m_coordinatorLookup || m_coordinatorLookup().isEmpty());
}

void CPropPageMemberGeneral::GetValues(MemberValues& values) {
    if (m_bInitialized)
        UpdateData(true);
    values.name = m_strName;
    values.identityType = m_strIdentityType;
    values.nricPrefix = m_strPrefix;
    values.nricNo = m_strNricNo;
    values.passportNo = m_strPassportNo;
    values.otherId = m_strOtherId;
    values.country = m_strCountry;
    values.coordinator = m_bCoordinator != 0;
    values.firmName = m_strFirmName;
    values.designation = m_strDesignation;
    values.roles = m_roles;
}

void CPropPageMemberGeneral::SetValues(const MemberValues& values) {
    m_strName = values.name;
    m_strIdentityType = values.identityType;
    m_strPrefix = values.nricPrefix;
    m_strNricNo = values.nricNo;
    m_strPassportNo = values.passportNo;
    m_strOtherId = values.otherId;
    m_strCountry = values.country;
    m_bCoordinator = values.coordinator ? 1 : 0;
    m_strFirmName = values.firmName;
    m_strDesignation = values.designation;
    m_roles = values.roles;
    if (m_bInitialized)
        UpdateData(false);
}
