#include "controls/RecordListCtrl.h"

#include <QKeyEvent>

namespace {

// Paints each row with the colours the list decides; a row painted in the list's own colours
// does not show its selection.
class CRecordListDelegate : public CListCtrlDelegate {
public:
    explicit CRecordListDelegate(CRecordListCtrl* list) : CListCtrlDelegate(list), m_list(list) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        CListCtrlDelegate::initStyleOption(option, index);
        const CRecordListCtrl::RowPaint paint = m_list->GetRowPaint(index.row());
        if (paint.systemColors) {
            return;
        }
        option->state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
        option->backgroundBrush = paint.background;
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            option->palette.setColor(group, QPalette::Text, paint.text);
            option->palette.setColor(group, QPalette::WindowText, paint.text);
        }
    }

private:
    CRecordListCtrl* m_list;
};

} // namespace

CRecordListCtrl::CRecordListCtrl(QWidget* parent) : CListCtrl(parent) {
    setItemDelegate(new CRecordListDelegate(this));
    // The list sits on the page's face colour, like the buttons around it.
    SetBkColor(palette().color(QPalette::Button));
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) {
            emit itemActivated(index.row());
        }
    });
}

CRecordListCtrl::~CRecordListCtrl() = default;

CRecordListCtrl::RowPaint CRecordListCtrl::GetRowPaint(int row) const {
    RowPaint paint;
    if (row == m_nCurrentItem) {
        // While the user works in the list the selected current row looks like any selection.
        if (IsItemSelected(row) && hasFocus()) {
            paint.systemColors = true;
            return paint;
        }
        paint.background = kCurrentBackground;
        paint.text = kCurrentText;
    } else {
        paint.background = kOtherBackground;
        paint.text = kOtherText;
    }
    return paint;
}

void CRecordListCtrl::RedrawList() {
    // A list with nothing selected selects its current row, so the page's next look at the
    // selection finds the row its fields hold. Done here, when the page says the rows changed,
    // and never while painting: painting only reads.
    if (m_nCurrentItem >= 0 && m_nCurrentItem < GetItemCount() && GetNextSelectedItem() < 0)
        SetItemSelected(m_nCurrentItem, true);
    CListCtrl::RedrawList();
}

void CRecordListCtrl::keyPressEvent(QKeyEvent* event) {
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
    case Qt::Key_Select:
        if (plain) {
            event->accept();
            // The page loads the selected row: the one the keyboard is on becomes it, as a click
            // selects the row it lands on.
            const int row = GetSelectionMark();
            if (row >= 0) {
                if (!IsItemSelected(row))
                    SetItemSelected(row, true);
                emit itemActivated(row);
            }
            return;
        }
        break;
    default:
        break;
    }
    CListCtrl::keyPressEvent(event);
}

void CRecordListCtrl::focusInEvent(QFocusEvent* event) {
    CListCtrl::focusInEvent(event);
    viewport()->update();
}

void CRecordListCtrl::focusOutEvent(QFocusEvent* event) {
    CListCtrl::focusOutEvent(event);
    viewport()->update();
}
