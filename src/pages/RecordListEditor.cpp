#include "pages/RecordListEditor.h"

#include "controls/HoverButton.h"
#include "controls/ListExchange.h"
#include "controls/RecordListCtrl.h"
#include "framework/AppServices.h"
#include "framework/ControlId.h"
#include "framework/MessageBox.h"
#include "sdk/StringTable.h"

#include <QColor>
#include <QTimer>

namespace {

constexpr int kDataEditedQuestion = 128; // "Data has been edited.\nDo you want to discard changes?"
constexpr int kAlertCaption = 129;       // "Alert"
constexpr int kInputErrorCaption = 122;  // "Input Error"
constexpr int kDuplicateRecord = 154;    // "Duplicate record detected. Please verify data"

// The caption colours of a button whose record is being worked on.
const QColor kEditingBlue(0, 0, 255);
constexpr int kBlueSlots[] = {CHoverButton::BTNST_COLOR_FG_IN, CHoverButton::BTNST_COLOR_FG_OUT,
                              CHoverButton::BTNST_COLOR_FG_FOCUS};

} // namespace

void RecordCheckResult::Add(const QString& text, QWidget* control) {
    message += text + QLatin1Char('\n');
    if (!focus)
        focus = control;
}

QString CRecordListBinding::DuplicateText() {
    return GetRCString(kDuplicateRecord) + QLatin1Char('\n');
}

void CRecordListBinding::BringForward(QWidget* control) {
    if (control)
        control->setFocus(Qt::OtherFocusReason);
}

CRecordListEditor::CRecordListEditor(QWidget* form, CRecordListBinding& binding)
    : m_pForm(form), m_binding(binding) {}

void CRecordListEditor::Attach(CRecordListCtrl* list, CHoverButton* update,
                               CHoverButton* deleteButton, CHoverButton* reset,
                               CHoverButton* saveAsNew) {
    m_pList = list;
    m_pUpdate = update;
    m_pDelete = deleteButton;
    m_pReset = reset;
    m_pSaveAsNew = saveAsNew;
    // The page is the context of every connection, so nothing fires once it is gone.
    QObject::connect(m_pUpdate, &QPushButton::clicked, m_pForm, [this] { OnUpdateRecord(); });
    QObject::connect(m_pDelete, &QPushButton::clicked, m_pForm, [this] { OnDelete(); });
    QObject::connect(m_pReset, &QPushButton::clicked, m_pForm, [this] { OnReset(); });
    QObject::connect(m_pSaveAsNew, &QPushButton::clicked, m_pForm, [this] { OnSaveAsNew(); });
    QObject::connect(m_pList, &CRecordListCtrl::itemActivated, m_pForm,
                     [this](int) { OnItemActivateList(); });
    // A table read from the file or handed over by the page is counted for the duplicate check
    // once the window is idle: at tens of thousands of rows that takes milliseconds, which the
    // first Update would otherwise add to its own. A view-only run stores nothing.
    if (!kestrel::IsViewOnly())
        QObject::connect(m_pList->model(), &QAbstractItemModel::modelReset, m_pForm, [this] {
            QTimer::singleShot(0, m_pForm, [this] {
                m_duplicates.Prepare(m_pList->Table(), m_binding.DuplicateKeyOfForm());
            });
        });
}

int CRecordListEditor::CurrentItem() const {
    return m_pList ? m_pList->m_nCurrentItem : -1;
}

void CRecordListEditor::setCurrentItem(int row) {
    if (m_pList)
        m_pList->m_nCurrentItem = row;
}

void CRecordListEditor::SetUpdateCaption(const QString& caption, bool evenViewOnly) {
    if (!m_pUpdate || (kestrel::IsViewOnly() && !evenViewOnly))
        return;
    m_pUpdate->setText(caption);
    // Once a caption was set the button stays blue: it tells the user the list is being
    // worked on, whichever of the two captions it shows.
    for (int slot : kBlueSlots)
        m_pUpdate->SetStateColor(slot, kEditingBlue, true);
}

void CRecordListEditor::enableUpdate(bool enable) {
    if (m_pUpdate && !kestrel::IsViewOnly())
        m_pUpdate->setEnabled(enable);
}

void CRecordListEditor::selectRow(int row) {
    if (row >= 0 && row < m_pList->GetItemCount()) {
        m_pList->SetItemSelected(row, true);
        m_pList->EnsureVisible(row);
    } else {
        m_pList->DeselectAll();
    }
}

bool CRecordListEditor::ResetForm(bool detect, bool clear) {
    // A page never shown has nothing typed into it.
    if (!IsAttached())
        return true;

    const int current = CurrentItem();
    bool edited = false;
    if (detect)
        edited =
            current < 0 ? m_binding.IsFormEditedForNew() : m_binding.FormDiffersFromRow(current);
    if (!clear)
        return !edited;

    if (edited &&
        kestrel::MessageBox(m_pForm, GetRCString(kDataEditedQuestion), GetRCString(kAlertCaption),
                            kestrel::MB_YESNO | kestrel::MB_ICONQUESTION |
                                kestrel::MB_DEFBUTTON2) != kestrel::IDYES) {
        // The user keeps the edits: the list goes back to the row the form still shows.
        m_pList->setFocus(Qt::OtherFocusReason);
        selectRow(current);
        m_pList->RedrawList();
        return false;
    }

    m_binding.ClearForm();
    if (current >= 0)
        m_pList->SetItemSelected(current, false);
    else
        m_pList->DeselectAll();
    setCurrentItem(-1);
    SetUpdateCaption(kUpdateCaption);
    enableUpdate(false);
    m_pList->setFocus(Qt::OtherFocusReason);
    m_pList->RedrawList();
    return true;
}

void CRecordListEditor::OnReset() {
    ResetForm(true, true);
}

void CRecordListEditor::OnItemActivateList() {
    if (!IsAttached())
        return;
    const int row = m_pList->GetNextSelectedItem(-1);
    if (row >= 0 && row != CurrentItem()) {
        // "Modify" tells OnUpdateRecord to load the row. A view-only run loads rows too (the
        // form only shows them), so this caption is set there as well.
        SetUpdateCaption(kModifyCaption, true);
        OnUpdateRecord();
    }
    m_pList->RedrawList();
}

void CRecordListEditor::OnUpdateRecord() {
    if (!IsAttached())
        return;
    const QString caption = m_pUpdate->text();
    const int row = m_pList->GetNextSelectedItem(-1);

    if (row >= 0 && caption == kModifyCaption) {
        if (!ResetForm(true, true)) {
            SetUpdateCaption(kUpdateCaption);
            return;
        }
        m_binding.LoadRowIntoForm(row);
        setCurrentItem(row);
        SetUpdateCaption(kUpdateCaption);
        enableUpdate(true);
        selectRow(row);
        m_pList->RedrawList();
        return;
    }
    storeForm();
}

void CRecordListEditor::storeForm() {
    const int current = CurrentItem();
    RecordCheckResult check;
    m_binding.CheckForm(check);

    if (check.IsEmpty()) {
        const int duplicate =
            m_duplicates.FindOther(m_pList->Table(), m_binding.DuplicateKeyOfForm(), current);
        if (duplicate >= 0) {
            check.message = QStringLiteral("Record number: ") + QString::number(duplicate + 1) +
                            QLatin1Char('\n') + m_binding.DuplicateText();
            check.focus = m_binding.DuplicateFocus();
        }
    }

    if (!check.IsEmpty()) {
        // The field to correct is in front and focused before the box comes up.
        m_binding.BringForward(check.focus);
        kestrel::MessageBox(m_pForm, check.message, GetRCString(kInputErrorCaption),
                            kestrel::MB_OK | kestrel::MB_ICONERROR);
        return;
    }

    const RecordTable& rows = m_pList->Table();
    m_duplicates.BeforeRowChange(rows, current);
    int target = current;
    if (target < 0) {
        target = m_pList->InsertItem(m_pList->GetItemCount(), QString());
        m_pList->SetItemData(target, m_binding.NewRowItemData());
    }
    m_binding.MoveFormIntoRow(target);
    m_binding.RecordStored(target);
    m_duplicates.AfterRowChange(rows, target);
    ResetForm(false, true);
}

void CRecordListEditor::OnSaveAsNew() {
    if (!IsAttached())
        return;
    m_binding.BeforeSaveAsNew();
    setCurrentItem(-1);
    m_pList->DeselectAll();
    SetUpdateCaption(kUpdateCaption);
    enableUpdate(false);
    m_pList->RedrawList();
    OnUpdateRecord();
}

void CRecordListEditor::OnDelete() {
    if (!IsAttached())
        return;
    const int row = m_pList->GetNextSelectedItem(-1);
    if (row < 0)
        return;
    const RecordItemData data = m_pList->GetItemData(row);
    m_duplicates.BeforeRowChange(m_pList->Table(), row);
    if (!DeleteSelectedListItem(m_pForm, kestrel::GetControlId(m_pList), true))
        return;
    m_binding.RowDeleted(row, data);
    m_duplicates.AfterRowChange(m_pList->Table(), -1);

    const int current = CurrentItem();
    if (row == current) {
        ResetForm(false, true);
    } else if (row < current) {
        // The form keeps its record, which has moved up one row.
        setCurrentItem(current - 1);
    }
    m_pList->RedrawList();
}
