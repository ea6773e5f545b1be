#include "pages/project/PropPageProjectSiteDesc.h"

#include "controls/DropListCombo.h"
#include "controls/DropListExchange.h"
#include "controls/HoverButton.h"
#include "controls/ListCtrl.h"
#include "controls/ListExchange.h"
#include "framework/AppServices.h"
#include "framework/ControlId.h"
#include "framework/DataExchange.h"
#include "framework/DialogUnits.h"
#include "framework/MessageBox.h"
#include "framework/PropertySheet.h"
#include "pages/LocationText.h"
#include "pages/project/ProjectCharSets.h"
#include "sdk/AppDB.h"
#include "sdk/XmlHelpers.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QVBoxLayout>

namespace {
// The page's layout was drawn at 379 x 141 dialog units.
constexpr QSize kPageDialogUnits{379, 141};
} // namespace

CPropPageProjectSiteDesc::CPropPageProjectSiteDesc(CToolTipHost* host, QWidget* parent)
    : CToolTipPropertyPage(IDD, host, parent) {
    setWindowTitle(QStringLiteral("Project Site Description"));
    HighlightOwnTab();
}

CPropPageProjectSiteDesc::~CPropPageProjectSiteDesc() = default;

void CPropPageProjectSiteDesc::buildLayout() {
    m_comboRoad = new CDropListCombo(this);
    kestrel::SetControlId(m_comboRoad, IDC_ROAD_NAME);
    m_comboRoad->setAccessibleName(QStringLiteral("Road Name"));

    // The buttons keep their captions only until OnInitDialog swaps them for icons; their
    // accessible names say what the arrows mean.
    m_btnAddRoad = new CHoverButton(QStringLiteral(">>"), this);
    kestrel::SetControlId(m_btnAddRoad, IDC_ADD_ROAD);
    m_btnAddRoad->setAccessibleName(QStringLiteral("Add Road Name"));
    m_btnRemoveRoad = new CHoverButton(QStringLiteral("<<"), this);
    kestrel::SetControlId(m_btnRemoveRoad, IDC_REMOVE_ROAD);
    m_btnRemoveRoad->setAccessibleName(QStringLiteral("Delete Road Name"));

    m_listRoads = new CListCtrl(this);
    kestrel::SetControlId(m_listRoads, IDC_ROAD_LIST);
    m_listRoads->setAccessibleName(QStringLiteral("Road Names"));

    auto* siteLabel = new QLabel(QStringLiteral("Site Description"), this);
    m_editSiteDescr = new CCharFilterTextEdit(this);
    kestrel::SetControlId(m_editSiteDescr, IDC_SITE_DESCR);
    siteLabel->setBuddy(m_editSiteDescr);
    m_editSiteDescr->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_editSiteDescr->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_editSiteDescr->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    const QSize buttonSize = kestrel::DialogUnitsToPixels(font(), {24, 14});
    for (CHoverButton* button : {m_btnAddRoad, m_btnRemoveRoad}) {
        button->setFixedSize(buttonSize.expandedTo(button->minimumSizeHint()));
        button->setAutoDefault(false);
    }
    // The list shows its one column whole and four rows (all it may hold) without scrolling.
    m_listRoads->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_listRoads->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_listRoads->setFixedWidth(kRoadColumnWidth + 2 * m_listRoads->frameWidth());
    m_comboRoad->setMinimumWidth(kestrel::DialogUnitsToPixels(font(), {140, 0}).width());

    // The combo with the two buttons beside it on the left, the list on the right, the site
    // description across the page below them.
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_btnAddRoad);
    buttons->addWidget(m_btnRemoveRoad);
    buttons->addStretch(1);

    auto* roads = new QHBoxLayout;
    roads->addWidget(m_comboRoad, 1, Qt::AlignTop);
    roads->addLayout(buttons);
    roads->addSpacing(kestrel::DialogUnitsToPixels(font(), {8, 0}).width());
    roads->addWidget(m_listRoads, 0, Qt::AlignTop);

    auto* page = new QVBoxLayout(this);
    page->addLayout(roads);
    page->addSpacing(kestrel::DialogUnitsToPixels(font(), {0, 4}).height());
    page->addWidget(siteLabel);
    page->addWidget(m_editSiteDescr, 1);

    setTabOrder(m_comboRoad, m_btnAddRoad);
    setTabOrder(m_btnAddRoad, m_btnRemoveRoad);
    setTabOrder(m_btnRemoveRoad, m_listRoads);
    setTabOrder(m_listRoads, m_editSiteDescr);

    connect(m_btnAddRoad, &QPushButton::clicked, this, [this] { OnAddRoad(); });
    connect(m_btnRemoveRoad, &QPushButton::clicked, this, [this] { OnRemoveRoad(); });
}

QSize CPropPageProjectSiteDesc::sizeHint() const {
    return CToolTipPropertyPage::sizeHint().expandedTo(
        kestrel::DialogUnitsToPixels(font(), kPageDialogUnits));
}

void CPropPageProjectSiteDesc::fitRoadList() {
    // Measured once the heading exists: the heading and the four rows the list may hold.
    const int frame = 2 * m_listRoads->frameWidth();
    const int rowHeight = m_listRoads->verticalHeader()->defaultSectionSize();
    m_listRoads->setFixedHeight(rowHeight * kMaxRoads +
                                m_listRoads->horizontalHeader()->sizeHint().height() + frame);
}

bool CPropPageProjectSiteDesc::OnInitDialog() {
    // Made when first needed: the first screen shows the lots, not this page.
    buildLayout();
    CToolTipPropertyPage::OnInitDialog();

    m_listRoads->InsertColumn(0, QStringLiteral("Road Name"), LVCFMT_LEFT, kRoadColumnWidth);
    fitRoadList();

    m_btnAddRoad->setText(QString());
    m_btnAddRoad->SetIconResource(IDI_ADD_ROAD, 0);
    m_btnAddRoad->SetFlatStyle(true, true);
    m_btnRemoveRoad->setText(QString());
    m_btnRemoveRoad->SetIconResource(IDI_REMOVE_ROAD, 0);
    m_btnRemoveRoad->SetFlatStyle(true, true);

    m_editSiteDescr->LimitText(kSiteDescrLimit);
    m_editSiteDescr->SetAllowedChars(kestrel::kProjectPrintableAscii);
    m_editSiteDescr->SetValidator(&m_validator);

    m_comboRoad->SetItemSource(kestrel::GetRoadTable());

    m_bInitialized = true;
    UpdateData(false);
    return true;
}

void CPropPageProjectSiteDesc::DoDataExchange(CDataExchange* pDX) {
    CToolTipPropertyPage::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_SITE_DESCR, m_strSiteDescr);
    if (m_bInitialized) {
        DDX_ListTable(pDX, IDC_ROAD_LIST, m_roadTable);
    }
}

void CPropPageProjectSiteDesc::OnAddRoad() {
    const QString road = m_comboRoad->GetWindowText();
    const int rows = m_listRoads->GetItemCount();

    // Every reason is collected, so one box tells the user all that is wrong at once.
    QString message;
    if (road.isEmpty()) {
        message += kRoadMandatory;
    }
    if (rows > kMaxRoads - 1) {
        message += kTooManyRoads;
    }
    for (int row = 0; row < rows; ++row) {
        if (m_listRoads->GetItemText(row, 0) == road) {
            message += kDuplicateRoad;
            break;
        }
    }
    if (!message.isEmpty()) {
        kestrel::MessageBox(this, message, kRoadErrorCaption,
                            kestrel::MB_OK | kestrel::MB_ICONERROR);
        return;
    }

    const int row = m_listRoads->InsertItem(rows, QString());
    ComboToListCell(this, IDC_ROAD_LIST, m_comboRoad, row, 0, true);
}

void CPropPageProjectSiteDesc::OnRemoveRoad() {
    DeleteSelectedListItem(this, IDC_ROAD_LIST, true);
}

QString CPropPageProjectSiteDesc::WriteXml(pugi::xml_document& doc, pugi::xml_node profile) {
    SetNodeText(GetNode(doc, profile, QStringLiteral("site_descr"), 1, QString()), m_strSiteDescr);

    CAppDB* db = XKR_GetAppDB();
    QString summary;
    pugi::xml_node group = GetNode(doc, profile, QStringLiteral("road_group"), 1, QString());
    for (int row = 0; row < m_roadTable.GetRowCount(); ++row) {
        const QString name = m_roadTable.GetCell(row, 0);
        // The file keeps the road's code; its name is looked up again when the file is read.
        AddXMLLeafNode(doc, group, QStringLiteral("road"), db->GetRoadCode(name));
        summary += name + QStringLiteral(", ");
    }
    m_strLocationSummary = kestrel::StripCommasAndSpaces(summary);
    return QString();
}

QString CPropPageProjectSiteDesc::ReadXml(pugi::xml_document& doc, pugi::xml_node profile) {
    m_strSiteDescr = GetNodeText(GetNode(doc, profile, QStringLiteral("site_descr"), 1, QString()));

    pugi::xml_node group = GetNode(doc, profile, QStringLiteral("road_group"), 1, QString());
    if (!group) {
        // Nothing to read the roads from: the stored ones stay.
        return QString();
    }
    CAppDB* db = XKR_GetAppDB();
    m_roadTable.RemoveAll();
    for (pugi::xml_node road = group.child("road"); road; road = road.next_sibling("road")) {
        m_roadTable.AppendRow().SetCell(0, db->GetRoadDescription(GetNodeText(road)));
    }
    return QString();
}
