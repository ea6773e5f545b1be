#include "controls/EditableListCtrl.h"

#include "framework/ControlId.h"
#include "framework/WindowClass.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>

namespace {

// Makes the in-place editors, places them over their cell and stores what they hold.
class CInPlaceDelegate : public CListCtrlDelegate {
public:
    explicit CInPlaceDelegate(CEditableListCtrl* list) : CListCtrlDelegate(list), m_list(list) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        if (m_list->IsComboColumn(index.column())) {
            auto* combo =
                new CInPlaceCombo(index.row(), index.column(), m_list->m_comboItems, parent);
            combo->setFont(m_list->font());
            QObject::connect(combo, &CInPlaceCombo::closedUp, this, [this, combo] {
                // Choosing with the mouse ends the edit at once.
                auto* self = const_cast<CInPlaceDelegate*>(this);
                emit self->commitData(combo);
                emit self->closeEditor(combo, QAbstractItemDelegate::NoHint);
            });
            return combo;
        }
        auto* edit = new CInPlaceEdit(index.row(), index.column(),
                                      index.data(Qt::DisplayRole).toString(), parent);
        edit->setFont(m_list->font());
        edit->setAlignment(ColumnAlignment(m_list->GetColumnFormat(index.column())));
        return edit;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        const QString text = index.data(Qt::DisplayRole).toString();
        if (auto* combo = qobject_cast<CInPlaceCombo*>(editor)) {
            int found = -1;
            for (int i = 0; i < combo->count(); ++i) {
                if (combo->itemText(i).startsWith(text, Qt::CaseInsensitive)) {
                    found = i;
                    break;
                }
            }
            combo->setCurrentIndex(found);
            // Drop the choices open once the editor stands where it belongs.
            QPointer<CInPlaceCombo> guard(combo);
            QTimer::singleShot(0, combo, [guard] {
                if (guard && guard->isVisible() && guard->hasFocus()) {
                    guard->showPopup();
                }
            });
        } else if (auto* edit = qobject_cast<CInPlaceEdit*>(editor)) {
            // Only when the editor opens: the view may ask again while the user types.
            if (!edit->isModified() && edit->text().isEmpty()) {
                edit->setText(text);
            }
        }
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        if (auto* combo = qobject_cast<CInPlaceCombo*>(editor)) {
            // Leaving the drop-down without a choice leaves the cell alone.
            if (combo->currentIndex() < 0) {
                return;
            }
            model->setData(index, combo->currentText(), Qt::DisplayRole);
        } else if (auto* edit = qobject_cast<CInPlaceEdit*>(editor)) {
            model->setData(index, edit->text(), Qt::DisplayRole);
        } else {
            return;
        }
        emit m_list->cellEdited(index.row(), index.column());
    }

    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override {
        QRect rect = option.rect;
        const int clientRight = m_list->viewport()->width();
        int width = m_list->GetColumnWidth(index.column());
        if (auto* edit = qobject_cast<CInPlaceEdit*>(editor)) {
            width = qMax(width, edit->wantedWidth());
        }
        rect.setWidth(qMax(1, qMin(width, clientRight - rect.left())));
        editor->setGeometry(rect);
    }

private:
    CEditableListCtrl* m_list;
};

} // namespace

CEditableListCtrl::CEditableListCtrl(QWidget* parent) : CListCtrl(parent) {
    setCellsEditable(true);
    setItemDelegate(new CInPlaceDelegate(this));
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) {
            EditSubItem(index.row(), index.column());
        }
    });
}

CEditableListCtrl::~CEditableListCtrl() = default;

bool CEditableListCtrl::IsComboColumn(int column) const {
    return m_pfnIsComboColumn && m_pfnIsComboColumn(column) == 1;
}

bool CEditableListCtrl::EditSubItem(int row, int column) {
    if (!hasFocus()) {
        setFocus(Qt::MouseFocusReason);
    }
    // A click below the last row names no row: nothing opens.
    if (!EnsureVisible(row) || column < 0 || column >= GetColumnCount()) {
        return false;
    }
    const QModelIndex index = itemModel()->index(row, column);
    scrollTo(index, QAbstractItemView::EnsureVisible);
    setCurrentIndex(index);
    edit(index);
    return indexWidget(index) != nullptr || isPersistentEditorOpen(index) ||
           state() == QAbstractItemView::EditingState;
}

void CEditableListCtrl::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F2 && event->modifiers() == Qt::NoModifier) {
        // The keyboard's click: without it a keyboard or screen-reader user could never edit a
        // cell. The arrows choose the cell, Left and Right moving between the columns of the
        // marked row.
        const QModelIndex current = currentIndex();
        if (current.isValid())
            EditSubItem(current.row(), current.column());
        event->accept();
        return;
    }
    // The keypad's Delete is the same key (it only carries the keypad flag).
    if (event->key() == Qt::Key_Delete &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        const int row = GetSelectionMark();
        if (row >= 0) {
            DeleteItem(row);
        }
        event->accept();
        return;
    }
    CListCtrl::keyPressEvent(event);
}

// ---------------------------------------------------------------------------------------------

CInPlaceEdit::CInPlaceEdit(int row, int column, const QString& initialText, QWidget* parent)
    : QLineEdit(parent), m_nRow(row), m_nColumn(column), m_strInitText(initialText) {
    kestrel::SetControlId(this, kControlId);
    kestrel::SetWindowClassName(this, QStringLiteral("Edit"));
    setFrame(true);
    connect(this, &QLineEdit::textEdited, this, &CInPlaceEdit::widenToText);
}

CInPlaceEdit::~CInPlaceEdit() = default;

void CInPlaceEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (m_bFirstFocus) {
        // The caret starts at the beginning with nothing selected, whatever the view did.
        m_bFirstFocus = false;
        setCursorPosition(0);
        deselect();
    }
}

void CInPlaceEdit::widenToText() {
    // Room for the text and the frame around it.
    const int frame =
        width() - contentsRect().width() + textMargins().left() + textMargins().right() + 4;
    const int needed = fontMetrics().horizontalAdvance(text()) + 5 + frame;
    if (needed <= width()) {
        return;
    }
    int limit = needed;
    if (QWidget* client = parentWidget()) {
        limit = qMin(needed, client->width() - x());
    }
    if (limit > width()) {
        m_wantedWidth = limit;
        resize(limit, height());
    }
}

// ---------------------------------------------------------------------------------------------

CInPlaceCombo::CInPlaceCombo(int row, int column, const QStringList& items, QWidget* parent)
    : QComboBox(parent), m_nRow(row), m_nColumn(column) {
    kestrel::SetControlId(this, kControlId);
    kestrel::SetWindowClassName(this, QStringLiteral("ComboBox"));
    setEditable(false);
    // About ten rows of choices at a time.
    setMaxVisibleItems(10);
    addItems(items);
}

CInPlaceCombo::~CInPlaceCombo() = default;

void CInPlaceCombo::hidePopup() {
    const bool wasOpen = view() && view()->isVisible();
    QComboBox::hidePopup();
    if (wasOpen) {
        // The choice made in the drop-down part is applied after it closes; end the edit once it
        // is.
        QMetaObject::invokeMethod(this, &CInPlaceCombo::closedUp, Qt::QueuedConnection);
    }
}
