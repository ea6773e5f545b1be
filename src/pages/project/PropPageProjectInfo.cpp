#include "pages/project/PropPageProjectInfo.h"

#include "controls/ToolTipPropertySheet.h"
#include "framework/ControlId.h"
#include "framework/DataExchange.h"
#include "framework/DialogUnits.h"
#include "framework/PropertySheet.h"
#include "pages/project/ProjectCharSets.h"
#include "pages/project/ProjectReference.h"
#include "pages/project/PropPageProjectAddress.h"
#include "pages/project/PropPageProjectMukimTS.h"
#include "pages/project/PropPageProjectSiteDesc.h"
#include "sdk/AppDB.h"
#include "sdk/Dates.h"
#include "sdk/XmlHelpers.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The page's layout was drawn at 401 x 287 dialog units.
constexpr QSize kPageDialogUnits{401, 287};

// The lists are sorted drop-down lists: whatever order the lookup gives, they show the
// descriptions alphabetically, ignoring case.
class SortedListFiller {
public:
    explicit SortedListFiller(QComboBox* combo) : m_combo(combo) {}
    void addItems(QStringList items) {
        std::stable_sort(items.begin(), items.end(), [](const QString& a, const QString& b) {
            return QString::compare(a, b, Qt::CaseInsensitive) < 0;
        });
        m_combo->addItems(items);
    }

private:
    QComboBox* m_combo;
};

QLabel* makeLabel(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace

CPropPageProjectInfo::CPropPageProjectInfo(CToolTipHost* host, QWidget* parent)
    : CToolTipPropertyPage(IDD, host, parent),
      m_strYear(QDateTime::currentDateTime().toString(QStringLiteral("yyyy"))),
      m_commenceDate(QDateTime::currentDateTime()), m_completeDate(QDateTime::currentDateTime()) {
    setWindowTitle(QStringLiteral("Project Information *"));
    HighlightOwnTab();

    buildLayout(host);
}

CPropPageProjectInfo::~CPropPageProjectInfo() = default;

void CPropPageProjectInfo::SetProfessionalNo(const QString& number) {
    m_strProfessionalNo = number;
    if (m_editProfNo)
        m_editProfNo->setText(number);
}

void CPropPageProjectInfo::buildLayout(CToolTipHost* host) {
    m_editProfNo = new CCharFilterEdit(this);
    kestrel::SetControlId(m_editProfNo, IDC_PROF_NO);
    m_editSerialNo = new CCharFilterEdit(this);
    kestrel::SetControlId(m_editSerialNo, IDC_SERIAL_NO);
    m_editSerialNo->setAccessibleName(QStringLiteral("Project Ref Serial Number"));
    m_editYear = new CCharFilterEdit(this);
    kestrel::SetControlId(m_editYear, IDC_YEAR);
    m_editYear->setAccessibleName(QStringLiteral("Project Ref Year"));
    for (CCharFilterEdit* edit : {m_editProfNo, m_editSerialNo, m_editYear}) {
        edit->SetUpperCase(true);
    }
    m_editSerialNo->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_editYear->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_editTitle = new CCharFilterTextEdit(this);
    kestrel::SetControlId(m_editTitle, IDC_TITLE);
    m_editTitle->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_editTitle->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    m_dateCommence = new QDateEdit(this);
    kestrel::SetControlId(m_dateCommence, IDC_COMMENCE_DATE);
    m_dateComplete = new QDateEdit(this);
    kestrel::SetControlId(m_dateComplete, IDC_COMPLETE_DATE);
    for (QDateEdit* picker : {m_dateCommence, m_dateComplete}) {
        picker->setCalendarPopup(true);
    }

    m_comboCategory = new QComboBox(this);
    kestrel::SetControlId(m_comboCategory, IDC_CATEGORY);
    m_comboLandOwnership = new QComboBox(this);
    kestrel::SetControlId(m_comboLandOwnership, IDC_LAND_OWNERSHIP);
    m_comboClassification = new QComboBox(this);
    kestrel::SetControlId(m_comboClassification, IDC_CLASSIFICATION);
    for (QComboBox* combo : {m_comboCategory, m_comboLandOwnership, m_comboClassification}) {
        combo->setEditable(false);
        // The longest descriptions are long; the box keeps a steady width and the open list
        // shows them whole.
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        combo->setMinimumContentsLength(18);
        combo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

    // Sizes follow the dialog font, as the layout was drawn.
    const QFont& dialogFont = font();
    const int serialWidth = kestrel::DialogUnitsToPixels(dialogFont, {36, 0}).width();
    m_editSerialNo->setFixedWidth(serialWidth);
    m_editYear->setFixedWidth(serialWidth);
    const int titleHeight = kestrel::DialogUnitsToPixels(dialogFont, {0, 34}).height();
    m_editTitle->setFixedHeight(titleHeight);

    m_editProfNo->setMinimumWidth(kestrel::DialogUnitsToPixels(dialogFont, {140, 0}).width());
    auto* reference = new QHBoxLayout;
    reference->setSpacing(kestrel::DialogUnitsToPixels(dialogFont, {3, 0}).width());
    reference->addWidget(m_editProfNo, 1);
    reference->addWidget(new QLabel(QStringLiteral("--"), this));
    reference->addWidget(m_editSerialNo);
    reference->addWidget(new QLabel(QStringLiteral("--"), this));
    reference->addWidget(m_editYear);

    auto* fields = new QGridLayout;
    fields->setColumnStretch(1, 1);
    fields->setColumnStretch(3, 1);
    fields->setHorizontalSpacing(kestrel::DialogUnitsToPixels(dialogFont, {6, 0}).width());
    fields->addWidget(makeLabel(QStringLiteral("Project Ref *"), m_editProfNo, this), 0, 0);
    fields->addLayout(reference, 0, 1, 1, 3);
    auto* titleLabel = makeLabel(QStringLiteral("Title *"), m_editTitle, this);
    fields->addWidget(titleLabel, 1, 0, Qt::AlignTop);
    fields->addWidget(m_editTitle, 1, 1, 1, 3);
    fields->addWidget(makeLabel(QStringLiteral("Commencement Date"), m_dateCommence, this), 2, 0);
    fields->addWidget(m_dateCommence, 2, 1);
    fields->addWidget(makeLabel(QStringLiteral("Completion Date"), m_dateComplete, this), 2, 2);
    fields->addWidget(m_dateComplete, 2, 3);
    fields->addWidget(makeLabel(QStringLiteral("Category *"), m_comboCategory, this), 3, 0);
    fields->addWidget(m_comboCategory, 3, 1);
    fields->addWidget(makeLabel(QStringLiteral("Land Ownership *"), m_comboLandOwnership, this), 3,
                      2);
    fields->addWidget(m_comboLandOwnership, 3, 3);
    fields->addWidget(makeLabel(QStringLiteral("Classification *"), m_comboClassification, this), 4,
                      0);
    fields->addWidget(m_comboClassification, 4, 1);

    // The nested pages exist with the page, so the document can fill their tables before any
    // window is shown; each one sets its controls up when it is first selected. Made after the
    // fields, so Tab reaches them after the fields.
    m_pSheetFrame = kestrel::MakeSheetPlaceholder(this, IDC_SHEET_FRAME);
    m_pSheet = new CToolTipPropertySheet(host, this);
    m_pLotPage = new CPropPageProjectMukimTS(host);
    m_pAddressPage = new CPropPageProjectAddress(host);
    m_pSitePage = new CPropPageProjectSiteDesc(host);
    m_pSheet->AddPage(m_pLotPage);
    m_pSheet->AddPage(m_pAddressPage);
    m_pSheet->AddPage(m_pSitePage);
    m_pSheet->setFocusPolicy(Qt::TabFocus);

    auto* page = new QVBoxLayout(this);
    page->addLayout(fields);
    page->addSpacing(kestrel::DialogUnitsToPixels(dialogFont, {0, 4}).height());
    page->addWidget(new QLabel(kLocationHint, this));
    page->addWidget(m_pSheet, 1);

    // Tab runs through the fields in reading order and then into the nested pages (made last).
    setTabOrder(m_editProfNo, m_editSerialNo);
    setTabOrder(m_editSerialNo, m_editYear);
    setTabOrder(m_editYear, m_editTitle);
    setTabOrder(m_editTitle, m_dateCommence);
    setTabOrder(m_dateCommence, m_dateComplete);
    setTabOrder(m_dateComplete, m_comboCategory);
    setTabOrder(m_comboCategory, m_comboLandOwnership);
    setTabOrder(m_comboLandOwnership, m_comboClassification);
}

QSize CPropPageProjectInfo::sizeHint() const {
    return CToolTipPropertyPage::sizeHint().expandedTo(
        kestrel::DialogUnitsToPixels(font(), kPageDialogUnits));
}

bool CPropPageProjectInfo::OnInitDialog() {
    CToolTipPropertyPage::OnInitDialog();
    delete m_pSheetFrame;
    m_pSheetFrame = nullptr;

    for (QDateEdit* picker : {m_dateCommence, m_dateComplete}) {
        picker->setDisplayFormat(kDateFormat);
    }

    m_editProfNo->LimitText(kProfNoLimit);
    m_editProfNo->SetAllowedChars(kestrel::kProjectLettersDigits);
    m_editSerialNo->LimitText(kSerialNoLimit);
    m_editSerialNo->SetAllowedChars(kestrel::kProjectDigits);
    m_editYear->LimitText(kYearLimit);
    m_editYear->SetAllowedChars(kestrel::kProjectDigits);
    m_editTitle->LimitText(kTitleLimit);
    m_editTitle->SetAllowedChars(kestrel::kProjectPrintableAscii);
    for (CCharFilter* field : std::initializer_list<CCharFilter*>{m_editProfNo, m_editSerialNo,
                                                                  m_editYear, m_editTitle}) {
        field->SetValidator(&m_validator);
    }

    fillLists();

    UpdateData(false);
    return true;
}

void CPropPageProjectInfo::fillLists() {
    CAppDB* db = XKR_GetAppDB();
    SortedListFiller category(m_comboCategory);
    db->LoadCategory(&category);
    SortedListFiller landOwnership(m_comboLandOwnership);
    db->LoadLandOwnership(&landOwnership);
    SortedListFiller classification(m_comboClassification);
    db->LoadClassification(&classification);
    for (QComboBox* combo : {m_comboCategory, m_comboLandOwnership, m_comboClassification}) {
        combo->setCurrentIndex(-1);
    }
}

void CPropPageProjectInfo::DoDataExchange(CDataExchange* pDX) {
    CToolTipPropertyPage::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_PROF_NO, m_strProfessionalNo);
    DDV_MaxChars(pDX, m_strProfessionalNo, kProfNoLimit);
    DDX_Text(pDX, IDC_SERIAL_NO, m_strSerialNo);
    DDV_MaxChars(pDX, m_strSerialNo, kSerialNoLimit);
    DDX_Text(pDX, IDC_YEAR, m_strYear);
    DDV_MaxChars(pDX, m_strYear, kYearLimit);
    DDX_Text(pDX, IDC_TITLE, m_strTitle);
    DDV_MaxChars(pDX, m_strTitle, kTitleLimit);
    DDX_DateTimeCtrl(pDX, IDC_COMMENCE_DATE, m_commenceDate);
    DDX_DateTimeCtrl(pDX, IDC_COMPLETE_DATE, m_completeDate);
    DDX_CBString(pDX, IDC_CATEGORY, m_strCategory);
    DDX_CBString(pDX, IDC_CLASSIFICATION, m_strClassification);
    DDX_CBString(pDX, IDC_LAND_OWNERSHIP, m_strLandOwnership);

    // Whichever way this exchange goes, the nested pages' values are taken from their
    // controls, so the save flow and WriteXml see what their forms and lists show.
    for (CPropertyPage* nested :
         std::initializer_list<CPropertyPage*>{m_pLotPage, m_pAddressPage, m_pSitePage}) {
        if (nested->IsInitialized()) {
            nested->UpdateData(true);
        }
    }
}

void CPropPageProjectInfo::SetProfessionalNoText(const QString& text) {
    m_editProfNo->setText(text);
}

bool CPropPageProjectInfo::ResetLotForm(bool detect, bool clear) {
    return m_pLotPage->ResetLotForm(detect, clear);
}

bool CPropPageProjectInfo::ResetAddressForm(bool detect, bool clear) {
    return m_pAddressPage->ResetAddressForm(detect, clear);
}

bool CPropPageProjectInfo::HasLocationRecord() const {
    return !m_pLotPage->GetRecordTable().IsEmpty() || !m_pAddressPage->GetRecordTable().IsEmpty() ||
           !m_pSitePage->GetRecordTable().IsEmpty();
}

CPropPageProjectInfo::FocusTarget
CPropPageProjectInfo::focusFor(const kestrel::ProjectCheckFailure& failure) {
    FocusTarget target;
    target.page = this;
    target.controlId = failure.controlId;
    if (failure.onLotPage) {
        target.nestedSheet = m_pSheet;
        target.nestedPage = m_pLotPage;
    }
    return target;
}

QList<CPropPageProjectInfo::SaveCheckFailure> CPropPageProjectInfo::RunSaveChecks() {
    kestrel::ProjectCheckValues values;
    values.professionalNo = m_strProfessionalNo;
    values.serialNo = m_strSerialNo;
    values.year = m_strYear;
    values.title = m_strTitle;
    values.commencement = m_commenceDate;
    values.completion = m_completeDate;
    values.category = m_strCategory;
    values.classification = m_strClassification;
    values.landOwnership = m_strLandOwnership;
    values.hasLocationRecord = HasLocationRecord();

    const QList<kestrel::ProjectCheckFailure> failures = kestrel::RunProjectChecks(values);
    m_strTitle = values.title;

    QList<SaveCheckFailure> result;
    result.reserve(failures.size());
    for (const kestrel::ProjectCheckFailure& failure : failures) {
        result.append({failure.message, focusFor(failure)});
    }
    return result;
}

QString CPropPageProjectInfo::JoinMessages(const QList<SaveCheckFailure>& failures) {
    QString message;
    for (const SaveCheckFailure& failure : failures) {
        message += failure.message;
    }
    return message;
}

QString CPropPageProjectInfo::WriteXml(pugi::xml_document& doc, pugi::xml_node profile) {
    m_strComposedReference =
        kestrel::ComposeProjectReference(m_strProfessionalNo, m_strSerialNo, m_strYear);

    CAppDB* db = XKR_GetAppDB();
    auto write = [&doc, &profile](const char* name, const QString& text) {
        SetNodeText(GetNode(doc, profile, QString::fromLatin1(name), 1, QString()), text);
    };
    write("title", m_strTitle);
    write("commence_date", FormatDate(m_commenceDate));
    write("complete_date", FormatDate(m_completeDate));
    // The descriptions are written for readers of the file; only the codes are read back.
    write("category_code_desc", m_strCategory);
    write("category_code", db->GetCategoryCode(m_strCategory));
    write("classification_code_desc", m_strClassification);
    write("classification_code", db->GetClassificationCode(m_strClassification));
    write("land_ownership_code_desc", m_strLandOwnership);
    write("land_ownership_code", db->GetLandOwnershipCode(m_strLandOwnership));

    m_pLotPage->WriteXml(doc, GetNode(doc, profile, QStringLiteral("lotmkts_group"), 1, QString()));
    m_pAddressPage->WriteXml(doc,
                             GetNode(doc, profile, QStringLiteral("address_group"), 1, QString()));
    m_pSitePage->WriteXml(doc, profile);

    // Each nested page has just rebuilt its summary in its own WriteXml.
    const QString location = kestrel::JoinLocationSummaries(m_pLotPage->LocationSummary(),
                                                            m_pAddressPage->LocationSummary(),
                                                            m_pSitePage->LocationSummary());
    AddXMLLeafNode(doc, profile, QStringLiteral("location_descr"), location);
    return QString();
}

QString CPropPageProjectInfo::ReadXml(pugi::xml_document& doc, pugi::xml_node profile) {
    if (IsInitialized()) {
        UpdateData(true);
    }

    if (!m_strLoadedReference.isEmpty()) {
        const kestrel::ProjectReferenceParts parts =
            kestrel::SplitProjectReference(m_strLoadedReference);
        m_strProfessionalNo = parts.professionalNo;
        m_strSerialNo = parts.serialNo;
        m_strYear = parts.year;
    }

    auto text = [&doc, &profile](const char* name) {
        return GetNodeText(GetNode(doc, profile, QString::fromLatin1(name), 1, QString()));
    };
    m_commenceDate = ParseDate(text("commence_date"));
    m_completeDate = ParseDate(text("complete_date"));
    m_strTitle = text("title");

    CAppDB* db = XKR_GetAppDB();
    m_strCategory = db->GetCategoryDescription(text("category_code"));
    m_strClassification = db->GetClassificationDescription(text("classification_code"));
    m_strLandOwnership = db->GetLandOwnershipDescription(text("land_ownership_code"));

    // A group the file holds twice is read whole: its records would be lost at the next save.
    m_pLotPage->ReadXml(doc, GetMergedNode(doc, profile, QStringLiteral("lotmkts_group")));
    m_pAddressPage->ReadXml(doc, GetMergedNode(doc, profile, QStringLiteral("address_group")));
    m_pSitePage->ReadXml(doc, profile);
    return QString();
}
