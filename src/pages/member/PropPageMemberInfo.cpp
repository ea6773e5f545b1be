#include "pages/member/PropPageMemberInfo.h"

#include "contacts/KRProContacts.h"
#include "controls/EditableListCtrl.h"
#include "controls/RecordListCtrl.h"
#include "controls/ToolTipPropertySheet.h"
#include "framework/AppServices.h"
#include "framework/ControlId.h"
#include "framework/DataExchange.h"
#include "pages/member/PropPageMemberAddress.h"
#include "pages/member/PropPageMemberContact.h"
#include "pages/member/PropPageMemberGeneral.h"
#include "pages/project/PropPageProjectInfo.h"
#include "sdk/StringTable.h"

#include <QLineEdit>

#include <iterator>

using namespace kestrel;

namespace {

constexpr int kIdentityNotUnique = 155; // "NRIC No./ Passport No. and Country must be unique..."
const QString kCoordinatorMarker = QStringLiteral("* ");

// Width 0 hides a column: the list shows name, identity, firm, designation, roles and email.
constexpr RecordColumn kColumns[] = {{"Name", 180},
                                     {"IC Flag", 0},
                                     {"IC/Passport no.", 60},
                                     {"Country", 0},
                                     {"Project Co-ordinator Flag", 0},
                                     {"Firm Name", 90},
                                     {"Designation", 90},
                                     {"Role", 60},
                                     {"Address Type Flag", 0},
                                     {"Building Name", 0},
                                     {"Block no", 0},
                                     {"Level no", 0},
                                     {"Unit no", 0},
                                     {"Road name", 0},
                                     {"Postal Code", 0},
                                     {"Unformatted Address1", 0},
                                     {"Unformatted Address2", 0},
                                     {"Unformatted Address3", 0},
                                     {"Unformatted Address4", 0},
                                     {"Telephone no", 0},
                                     {"Telephone Ext", 0},
                                     {"Mobile no", 0},
                                     {"Pager no", 0},
                                     {"Fax no", 0},
                                     {"Email address", 90},
                                     {"Alternate Email address", 0}};
static_assert(std::size(kColumns) == kMemberColumnCount);

constexpr RecordPageLayout kLayout{CPropPageMemberInfo::IDC_MEMBER_LIST, kColumns};

} // namespace

CPropPageMemberInfo::CPropPageMemberInfo(CToolTipHost* host, QWidget* parent)
    : CRecordPage(IDD, QStringLiteral("Member Information *"), kLayout, host, parent) {
    // The detail pages exist with the page, so a member can be loaded into them before they are
    // first shown; each sets its controls up when first selected.
    m_pSheetFrame = MakeSheetPlaceholder(this, IDC_SHEET_FRAME);
    m_pSheet = new CToolTipPropertySheet(host, this);
    m_pGeneralPage = new CPropPageMemberGeneral(host);
    m_pAddressPage = new CPropPageMemberAddress(host);
    m_pContactPage = new CPropPageMemberContact(host);
    m_pSheet->AddPage(m_pGeneralPage);
    m_pSheet->AddPage(m_pAddressPage);
    m_pSheet->AddPage(m_pContactPage);
    m_pSheet->setFocusPolicy(Qt::TabFocus);
    m_pGeneralPage->SetCoordinatorLookup([this] { return MarkCoordinator(false); });
    m_pContacts = new CKRProContacts(this);
    SetControlId(m_pContacts, IDC_CONTACTS);
    connect(m_pContacts, &CKRProContacts::contactReady, this, [this] { OnContactsImport(); });
    BuildPage(m_pSheet, {m_pSheet}, {m_pContacts});
}

bool CPropPageMemberInfo::OnInitDialog() {
    const bool result = CRecordPage::OnInitDialog();
    delete m_pSheetFrame;
    m_pSheetFrame = nullptr;
    // One member at a time: the picker closes once it has handed a contact over.
    m_pContacts->SetFlag(false);
    return result;
}

CPropPageMemberInfo::~CPropPageMemberInfo() = default;

// --- what other parts ask ---

const RecordTable& CPropPageMemberInfo::members() const {
    return IsInitialized() ? List()->Table() : m_table;
}

int CPropPageMemberInfo::GetMemberCount() const {
    return members().GetRowCount();
}

QString CPropPageMemberInfo::MarkCoordinator(bool) {
    const RecordTable& rows = members();
    const int row = FindCoordinatorRow(rows);
    // The marker is only drawn, never part of the name: there is nothing to strip, and the list
    // keeps showing who coordinates.
    if (IsInitialized())
        List()->itemModel()->SetRowMarker(row, kCoordinatorMarker);
    if (row < 0)
        return QString();
    // A name typed with the marker's own characters in front is still shown without them.
    QString name = rows.GetCell(row, COL_MEMBER_NAME);
    while (name.startsWith(QLatin1Char('*')) || name.startsWith(QLatin1Char(' ')))
        name.remove(0, 1);
    return name;
}

void CPropPageMemberInfo::markCoordinatorRow() {
    MarkCoordinator(false);
}

bool CPropPageMemberInfo::UpdateProjectProfessionalNo(int row) {
    if (row != -1)
        return false;
    const RecordTable& rows = members();
    const int coordinator = FindCoordinatorRow(rows);
    if (coordinator < 0)
        return false;
    const RecordTable* roles = RolesOf(rows.GetItemData(coordinator));
    const QString number = roles ? CoordinatorProfessionalNo(*roles) : QString();
    // A coordinator without a coordinating role (a hand-edited file) leaves the number alone.
    if (!number.isEmpty() && m_pProjectPage)
        m_pProjectPage->SetProfessionalNo(number);
    return true;
}

// --- the project file ---

QString CPropPageMemberInfo::WriteXml(pugi::xml_document& doc, pugi::xml_node group) {
    WriteMemberGroup(doc, group, m_table);
    return QString();
}

QString CPropPageMemberInfo::ReadXml(pugi::xml_document&, pugi::xml_node group) {
    const bool shown = IsInitialized();
    if (shown)
        ResetMemberForm(false, true);
    m_roles.clear();
    m_table = ReadMemberGroup(group, [this] { return makeRoles(); });
    // The list must not go on naming roles tables that are gone.
    if (shown)
        UpdateData(false);
    return QString();
}

RecordTable* CPropPageMemberInfo::makeRoles() {
    auto roles = std::make_unique<RecordTable>(kRoleColumnCount);
    RecordTable* made = roles.get();
    m_roles.emplace(RolesData(made), std::move(roles));
    return made;
}

void CPropPageMemberInfo::DoDataExchange(CDataExchange* pDX) {
    // The marker is worked out again only when the list gets other rows; a tab switch that
    // hands the list the rows it already shows costs nothing.
    const bool newRows =
        !pDX->m_bSaveAndValidate && IsInitialized() && !List()->Table().IsSharedWith(m_table);
    CRecordPage::DoDataExchange(pDX);
    if (newRows)
        markCoordinatorRow();
}

// --- a contact from the contacts control ---

bool CPropPageMemberInfo::OnContactsImport() {
    XmlDocPtr doc = m_pContacts->GetContactDocument();
    if (!doc)
        return false;
    m_pContacts->BeginTransfer();
    setFocus(Qt::OtherFocusReason);

    bool imported = false;
    if (!IsViewOnly() && ResetMemberForm(true, true)) {
        // The form as the reset left it: what the contact does not carry (roles, the coordinator
        // box, the address type) stays so.
        MemberValues values = formValues();
        auto read = [&doc](const char* element) {
            return GetNodeTextXPath(
                *doc, *doc, QStringLiteral("/krroot/members/member/") + QLatin1String(element),
                QString());
        };
        values.name = read("member_name");
        values.country = read("country");
        values.designation = read("designation");
        values.firmName = read("firm_name");
        const QString identityType = read("ic_flag");
        const QString identityNo = read("ic_passport_no");
        values.roadName = read("road_name");
        values.buildingName = read("building_name");
        values.houseBlockNo = read("house_block_no");
        values.levelNo = read("level_no");
        values.unitNo = read("unit_no");
        values.postalCode = read("postal_code");
        values.addressLines[0] = read("address1");
        values.addressLines[1] = read("address2");
        values.addressLines[2] = read("address3");
        values.addressLines[3] = read("address4");
        values.email = read("email_address1");
        values.email2 = read("email_address2");
        values.telExt = read("tel_ext_no");
        values.faxNo = read("fax_no");
        values.mobileNo = read("mobile_no");
        values.pagerNo = read("pager_no");
        values.telNo = read("tel_no");

        // The identity number goes where its type says; any type but NRIC or passport is shown
        // (and so kept) as another identification.
        if (identityType == kIdentityNric) {
            values.identityType = kIdentityNric;
            values.nricPrefix = identityNo.left(1);
            values.nricNo = identityNo.mid(1);
        } else if (identityType == kIdentityPassport) {
            values.identityType = kIdentityPassport;
            values.passportNo = identityNo;
        } else {
            values.identityType = kIdentityOther;
            values.otherId = identityNo;
        }

        m_pGeneralPage->SetValues(values);
        m_pAddressPage->SetValues(values);
        m_pContactPage->SetValues(values);
        imported = true;
    }

    SaveXMLAndReleaseDoc(doc, QString(), 1);
    m_pContacts->CompleteTransfer();
    return imported;
}

// --- the form and the list ---

CPropertyPage* CPropPageMemberInfo::detailPage(MemberDetailPage page) const {
    switch (page) {
    case MemberDetailPage::Address:
        return m_pAddressPage;
    case MemberDetailPage::Contact:
        return m_pContactPage;
    default:
        return m_pGeneralPage;
    }
}

MemberValues CPropPageMemberInfo::formValues() {
    MemberValues values;
    m_pGeneralPage->GetValues(values);
    m_pAddressPage->GetValues(values);
    m_pContactPage->GetValues(values);
    return values;
}

bool CPropPageMemberInfo::IsFormEditedForNew() {
    const MemberValues v = formValues();
    const bool emptyCountry =
        v.country.isEmpty() || v.country.compare(kSingapore, Qt::CaseInsensitive) == 0;
    bool empty = !v.coordinator && emptyCountry && v.nricNo.isEmpty() && v.passportNo.isEmpty() &&
                 v.otherId.isEmpty() && v.nricPrefix == QLatin1String("S") && v.roles.IsEmpty();
    for (const QString* text : {&v.name,
                                &v.firmName,
                                &v.designation,
                                &v.buildingName,
                                &v.houseBlockNo,
                                &v.levelNo,
                                &v.unitNo,
                                &v.roadName,
                                &v.postalCode,
                                &v.addressLines[0],
                                &v.addressLines[1],
                                &v.addressLines[2],
                                &v.addressLines[3],
                                &v.telNo,
                                &v.telExt,
                                &v.mobileNo,
                                &v.pagerNo,
                                &v.faxNo,
                                &v.email,
                                &v.email2})
        empty = empty && text->isEmpty();
    return !empty;
}

bool CPropPageMemberInfo::FormDiffersFromRow(int row) {
    // Compared as the record holds a member: the identity number composed, flags as "Y"/"N".
    const MemberValues values = formValues();
    RecordRow form(kMemberColumnCount);
    values.ToRow(form);
    const RecordRow& stored = List()->Table().GetRow(row);
    for (int column = 0; column < kMemberColumnCount; ++column)
        if (form.GetCell(column) != stored.GetCell(column))
            return true;
    const RecordTable* roles = RolesOf(stored.GetItemData());
    return roles ? !(values.roles == *roles) : !values.roles.IsEmpty();
}

void CPropPageMemberInfo::ClearForm() {
    m_pAddressPage->ResetAddressPage();
    m_pContactPage->ResetContactPage();
    m_pGeneralPage->ResetGeneralPage();
}

void CPropPageMemberInfo::LoadRowIntoForm(int row) {
    const RecordRow& stored = List()->Table().GetRow(row);
    const MemberValues values = MemberValues::FromRow(stored, RolesOf(stored.GetItemData()));
    m_pGeneralPage->SetValues(values);
    m_pAddressPage->SetValues(values);
    m_pContactPage->SetValues(values);
}

void CPropPageMemberInfo::CheckForm(RecordCheckResult& result) {
    m_checked = formValues();
    const MemberValues before = m_checked;
    const QList<MemberCheckFailure> failures = RunMemberChecks(m_checked);
    // What the checks trimmed is what the fields show and what is stored.
    const struct {
        const QString& was;
        const QString& now;
        CPropertyPage* page;
        int id;
    } trimmed[] = {
        {before.name, m_checked.name, m_pGeneralPage, IDC_MEMBER_NAME},
        {before.otherId, m_checked.otherId, m_pGeneralPage, IDC_OTHER_ID},
        {before.addressLines[0], m_checked.addressLines[0], m_pAddressPage, IDC_ADDRESS_LINE1}};
    for (const auto& field : trimmed)
        if (field.was != field.now)
            if (auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(field.page, field.id)))
                edit->setText(field.now);
    for (const MemberCheckFailure& failure : failures) {
        // A page never shown has no controls yet; the one the user is sent to must have them.
        CPropertyPage* page = detailPage(failure.page);
        page->EnsureInitDialog();
        result.Add(failure.text, GetDlgItem(page, failure.controlId));
    }
}

RecordKey CPropPageMemberInfo::DuplicateKeyOfForm() {
    return IdentityKeyOf(m_checked);
}

QWidget* CPropPageMemberInfo::DuplicateFocus() {
    m_pGeneralPage->EnsureInitDialog();
    return GetDlgItem(m_pGeneralPage, IDC_NRIC_NO);
}

QString CPropPageMemberInfo::DuplicateText() {
    return GetRCString(kIdentityNotUnique) + QLatin1Char('\n');
}

void CPropPageMemberInfo::MoveFormIntoRow(int row) {
    RecordRow cells(kMemberColumnCount);
    m_checked.ToRow(cells);
    for (int column = 0; column < kMemberColumnCount; ++column)
        List()->SetItemText(row, column, cells.GetCell(column));
    if (RecordTable* roles = RolesOf(List()->GetItemData(row)))
        *roles = m_checked.roles;
}

void CPropPageMemberInfo::BringForward(QWidget* control) {
    if (!control)
        return;
    for (CPropertyPage* page :
         {static_cast<CPropertyPage*>(m_pGeneralPage), static_cast<CPropertyPage*>(m_pAddressPage),
          static_cast<CPropertyPage*>(m_pContactPage)}) {
        if (page->isAncestorOf(control)) {
            m_pSheet->SetActivePage(page);
            break;
        }
    }
    // The role choices are never shown; their list stands for them.
    if (!control->isVisibleTo(this) && control->parentWidget() == m_pGeneralPage)
        control = m_pGeneralPage->RolesList();
    control->setFocus(Qt::OtherFocusReason);
}

RecordItemData CPropPageMemberInfo::NewRowItemData() {
    return RolesData(makeRoles());
}

void CPropPageMemberInfo::RecordStored(int) {
    markCoordinatorRow();
    UpdateProjectProfessionalNo();
}

void CPropPageMemberInfo::BeforeSaveAsNew() {
    // A copy of a loaded member never takes the coordinator's place from the one the list has.
    if (List()->m_nCurrentItem > -1 && !MarkCoordinator(false).isEmpty())
        m_pGeneralPage->ForbidCoordinator();
}

void CPropPageMemberInfo::RowDeleted(int, RecordItemData data) {
    // The page's table may still name the row's roles until its next exchange, so the table goes
    // only when nothing refers to it: the list has let it go, and the table is refreshed here.
    UpdateData(true);
    m_roles.erase(data);
    markCoordinatorRow();
}
