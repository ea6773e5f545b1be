#include "pages/member/PropPageMemberContact.h"

#include "framework/ControlId.h"
#include "framework/DataExchange.h"
#include "pages/project/ProjectCharSets.h"
#include "sdk/StringTable.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

using namespace kestrel;

namespace {

constexpr int kInvalidEmail = 125; // "Invalid email address"

// Several alternate addresses may be typed, separated by ";" or ",".
constexpr const char* kAlternateEmailChars =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqurstuvwxyz0123456789@._-;,";

} // namespace

bool HasAtThenDot(const QString& text) {
    bool at = false;
    for (QChar c : text) {
        if (c == QLatin1Char('@'))
            at = true;
        else if (c == QLatin1Char('.') && at)
            return true;
    }
    return false;
}

QString CEmailValidator::CheckFormat(QString& text) {
    return HasAtThenDot(text) ? QString() : GetRCString(kInvalidEmail);
}

CPropPageMemberContact::CPropPageMemberContact(CToolTipHost* host, QWidget* parent)
    : CToolTipPropertyPage(IDD, host, parent) {
    setWindowTitle(QStringLiteral("Contact *"));
    HighlightOwnTab();
}

CPropPageMemberContact::~CPropPageMemberContact() = default;

void CPropPageMemberContact::buildLayout() {

    const int ids[kFieldCount] = {IDC_EMAIL2,    IDC_EMAIL,    IDC_TEL_EXT, IDC_FAX_NO,
                                  IDC_MOBILE_NO, IDC_PAGER_NO, IDC_TEL_NO};
    auto* phones = new QGroupBox(QStringLiteral("Phone "), this);
    for (int field = 0; field < kFieldCount; ++field) {
        const bool email = field == AlternateEmail || field == Email;
        m_edits[field] = new CCharFilterEdit(email ? static_cast<QWidget*>(this) : phones);
        SetControlId(m_edits[field], ids[field]);
    }
    auto add = [](QGridLayout* grid, const char* text, QWidget* edit, int row, int column) {
        auto* label = new QLabel(QString::fromLatin1(text), edit->parentWidget());
        label->setBuddy(edit);
        grid->addWidget(label, row, column);
        grid->addWidget(edit, row, column + 1);
    };
    auto* phoneGrid = new QGridLayout(phones);
    add(phoneGrid, "Telephone No.", m_edits[Telephone], 0, 0);
    add(phoneGrid, "Extension", m_edits[Extension], 0, 2);
    add(phoneGrid, "Mobile Phone", m_edits[Mobile], 1, 0);
    add(phoneGrid, "Pager No.", m_edits[Pager], 2, 0);
    add(phoneGrid, "Fax No.", m_edits[Fax], 3, 0);
    phoneGrid->setColumnStretch(1, 2);
    phoneGrid->setColumnStretch(3, 1);
    auto* emailGrid = new QGridLayout;
    add(emailGrid, "Email Address *", m_edits[Email], 0, 0);
    add(emailGrid, "Alternate Email Address", m_edits[AlternateEmail], 1, 0);
    emailGrid->setColumnStretch(1, 1);

    auto* page = new QVBoxLayout(this);
    page->addWidget(phones);
    page->addLayout(emailGrid);
    page->addStretch(1);

    const Field order[] = {Telephone, Extension, Mobile, Pager, Fax, Email, AlternateEmail};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(m_edits[order[i - 1]], m_edits[order[i]]);
}

bool CPropPageMemberContact::OnInitDialog() {
    // Made when first needed, like every detail page of the member page.
    buildLayout();
    CToolTipPropertyPage::OnInitDialog();
    for (int field = 0; field < kFieldCount; ++field) {
        CCharFilterEdit* edit = m_edits[field];
        switch (field) {
        case AlternateEmail:
            edit->SetAllowedChars(kAlternateEmailChars);
            edit->SetValidator(&m_emailValidator);
            edit->LimitText(50);
            break;
        case Email:
            edit->SetAllowedChars(kEmailChars);
            edit->SetValidator(&m_emailValidator);
            edit->LimitText(50);
            break;
        default:
            edit->SetAllowedChars(kProjectDigits);
            edit->SetValidator(&m_validator);
            edit->LimitText(field == Extension ? 4 : 12);
        }
    }
    m_bInitialized = true;
    UpdateData(false);
    return true;
}

void CPropPageMemberContact::DoDataExchange(CDataExchange* pDX) {
    CToolTipPropertyPage::DoDataExchange(pDX);
    for (int field = 0; field < kFieldCount; ++field)
        DDX_Text(pDX, GetControlId(m_edits[field]), m_strValues[field]);
}

void CPropPageMemberContact::ResetContactPage() {
    for (QString& value : m_strValues)
        value.clear();
    if (m_bInitialized)
        UpdateData(false);
}

void CPropPageMemberContact::GetValues(MemberValues& values) {
    if (m_bInitialized)
        UpdateData(true);
    values.telNo = m_strValues[Telephone];
    values.telExt = m_strValues[Extension];
    values.mobileNo = m_strValues[Mobile];
    values.pagerNo = m_strValues[Pager];
    values.faxNo = m_strValues[Fax];
    values.email = m_strValues[Email];
    values.email2 = m_strValues[AlternateEmail];
}

void CPropPageMemberContact::SetValues(const MemberValues& values) {
    m_strValues[Telephone] = values.telNo;
    m_strValues[Extension] = values.telExt;
    m_strValues[Mobile] = values.mobileNo;
    m_strValues[Pager] = values.pagerNo;
    m_strValues[Fax] = values.faxNo;
    m_strValues[Email] = values.email;
    m_strValues[AlternateEmail] = values.email2;
    if (m_bInitialized)
        UpdateData(false);
}
