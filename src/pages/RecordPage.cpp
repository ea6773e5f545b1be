#include "pages/RecordPage.h"

#include "controls/GroupFrame.h"
#include "controls/HoverButton.h"
#include "controls/ListExchange.h"
#include "controls/RecordListCtrl.h"
#include "framework/ControlId.h"
#include "framework/DataExchange.h"
#include "framework/PropertySheet.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <vector>

namespace {

// Every extended style the record lists combine (grid lines, full-row select, one-click
// activation, flat scroll bars, info tips, underlined hot item).
constexpr unsigned kRecordListStyle = 0xD61;

// The buttons' icons.
constexpr int kUpdateIcon = 181;
constexpr int kSaveAsNewIcon = 172;
constexpr int kDeleteIcon = 173;
constexpr int kResetIcon = 176;

} // namespace

CRecordPage::CRecordPage(int templateId, const QString& title, const RecordPageLayout& layout,
                         CToolTipHost* host, QWidget* parent)
    : CToolTipPropertyPage(templateId, host, parent),
      m_table(static_cast<int>(layout.columns.size())), m_layout(layout), m_editor(this, *this) {
    setWindowTitle(title);
    HighlightOwnTab();
}

CRecordPage::~CRecordPage() = default;

void CRecordPage::BuildPage(QWidget* form, std::initializer_list<QWidget*> fields,
                            std::initializer_list<QWidget*> rowExtras) {
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
    for (QWidget* extra : rowExtras)
        buttons->addWidget(extra);

    m_list = new CRecordListCtrl(this);
    kestrel::SetControlId(m_list, m_layout.listId);
    m_list->setAccessibleName(windowTitle());

    auto* page = new QVBoxLayout(this);
    page->addWidget(form);
    page->addLayout(buttons);
    page->addWidget(m_list, 1);

    std::vector<QWidget*> order(fields);
    order.insert(order.end(), {m_btnReset, m_btnDelete, m_btnUpdate, m_btnSaveAsNew});
    order.insert(order.end(), rowExtras);
    order.push_back(m_list);
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void CRecordPage::AddFieldLabel(QGridLayout* grid, const QString& text, QWidget* buddy, int row,
                                int column) {
    auto* label = new QLabel(text, grid->parentWidget());
    label->setBuddy(buddy);
    grid->addWidget(label, row, column);
}

void CRecordPage::SetUpField(CCharFilterEdit* edit, int maxChars, const char* allowed,
                             CFieldValidator* validator) {
    edit->LimitText(maxChars);
    edit->SetAllowedChars(allowed);
    edit->SetUpperCase(true);
    edit->SetValidator(validator ? validator : &m_validator);
}

bool CRecordPage::OnInitDialog() {
    // Tooltips and the view-only rules come first, before any control is filled or limited.
    const bool result = CToolTipPropertyPage::OnInitDialog();

    int column = 0;
    for (const RecordColumn& entry : m_layout.columns) {
        m_list->InsertColumn(column, QString::fromLatin1(entry.heading), LVCFMT_LEFT, entry.width);
        ++column;
    }
    m_list->SetExtendedStyle(m_list->GetExtendedStyle() | kRecordListStyle);

    m_btnUpdate->SetIconResource(kUpdateIcon);
    m_btnUpdate->SetFlatStyle(true, true);
    m_btnSaveAsNew->SetIconResource(kSaveAsNewIcon);
    m_btnSaveAsNew->SetFlatStyle(true, true);
    m_btnDelete->SetIconResource(kDeleteIcon);
    m_btnDelete->SetFlatStyle(true, true);
    m_btnReset->SetIconResource(kResetIcon);
    m_btnReset->SetFlatStyle(true, true);

    InitRecordFields();

    m_editor.Attach(m_list, m_btnUpdate, m_btnDelete, m_btnReset, m_btnSaveAsNew);
    m_editor.ResetForm(false, true);
    m_bInitialized = true;
    UpdateData(false);
    return result;
}

void CRecordPage::DoDataExchange(CDataExchange* pDX) {
    CToolTipPropertyPage::DoDataExchange(pDX);
    // The list only holds the records once the page has set it up.
    if (m_bInitialized)
        DDX_ListTable(pDX, m_layout.listId, m_table);
}
