#include "controls/ListCtrl.h"

#include "framework/DialogUnits.h"
#include "framework/WindowClass.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

CListCtrl::CListCtrl(QWidget* parent) : QTableView(parent), m_model(new CRecordTableModel(this)) {
    setModel(m_model);
    kestrel::SetWindowClassName(this, QStringLiteral("SysListView32"));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setShowGrid(false);
    setSortingEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setItemDelegate(new CListCtrlDelegate(this));

    QHeaderView* header = horizontalHeader();
    // Clicking a heading neither sorts nor selects a column.
    header->setSectionsClickable(false);
    header->setSortIndicatorShown(false);
    header->setHighlightSections(false);
    // Whatever room the columns leave goes to the last one.
    header->setStretchLastSection(true);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setMinimumSectionSize(1);

    // Every row has the same fixed height: scrolling and finding a row never measure rows.
    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(fontMetrics().height() + 6);
}

CListCtrl::~CListCtrl() = default;

int CListCtrl::InsertColumn(int column, const QString& heading, int format, int width) {
    if (column < 0)
        return -1;
    column = qMin(column, GetColumnCount());
    if (!m_model->InsertColumn(column, heading, format))
        return -1;
    if (width > 0) {
        // The widths were chosen for a small font: with the user's font the heading must still
        // fit, and the cells grow as the text does.
        width =
            qMax(kestrel::ScaledToFont(font(), width), horizontalHeader()->sectionSizeHint(column));
    }
    if (width >= 0)
        SetColumnWidth(column, width);
    return column;
}

QModelIndex CListCtrl::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const int rows = m_model->rowCount();
    if ((action == MoveHome || action == MoveEnd) && rows > 0)
        return m_model->index(action == MoveHome ? 0 : rows - 1, qMax(currentIndex().column(), 0));
    return QTableView::moveCursor(action, modifiers);
}

int CListCtrl::GetColumnCount() const {
    return m_model->columnCount();
}

int CListCtrl::GetColumnWidth(int column) const {
    if (column < 0 || column >= GetColumnCount() || isColumnHidden(column))
        return 0;
    return columnWidth(column);
}

bool CListCtrl::SetColumnWidth(int column, int width) {
    if (column < 0 || column >= GetColumnCount() || width < 0)
        return false;
    // A column of width 0 holds data the user is not meant to see: hidden, so no drag on the
    // header can open it again.
    if (width == 0) {
        setColumnHidden(column, true);
    } else {
        setColumnHidden(column, false);
        setColumnWidth(column, width);
    }
    return true;
}

int CListCtrl::GetColumnFormat(int column) const {
    return m_model->GetColumnFormat(column);
}

int CListCtrl::GetItemCount() const {
    return m_model->rowCount();
}

int CListCtrl::InsertItem(int row, const QString& text) {
    const int made = m_model->InsertRow(row);
    if (made >= 0 && !text.isEmpty())
        m_model->SetCellText(made, 0, text);
    return made;
}

bool CListCtrl::DeleteItem(int row) {
    const bool selected = IsItemSelected(row);
    if (!m_model->RemoveRow(row))
        return false;
    // The row's selection goes with it; the view would otherwise pass it on to a neighbour the
    // user never chose (and a Delete that follows would remove that one).
    if (selected)
        DeselectAll();
    return true;
}

bool CListCtrl::DeleteAllItems() {
    m_model->RemoveAll();
    return true;
}

QString CListCtrl::GetItemText(int row, int column) const {
    return m_model->CellText(row, column);
}

bool CListCtrl::SetItemText(int row, int column, const QString& text) {
    return m_model->SetCellText(row, column, text);
}

RecordItemData CListCtrl::GetItemData(int row) const {
    return m_model->GetItemData(row);
}

bool CListCtrl::SetItemData(int row, RecordItemData data) {
    return m_model->SetItemData(row, data);
}

int CListCtrl::GetNextSelectedItem(int after) const {
    // With single selection there is one range at most; its rows need no walk.
    int found = -1;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        const int first = qMax(range.top(), after + 1);
        if (first <= range.bottom() && (found < 0 || first < found))
            found = first;
    }
    return found;
}

bool CListCtrl::IsItemSelected(int row) const {
    return row >= 0 && row < GetItemCount() && selectionModel()->isRowSelected(row, QModelIndex());
}

bool CListCtrl::SetItemSelected(int row, bool selected) {
    if (row < 0 || row >= GetItemCount())
        return false;
    const QModelIndex index = m_model->index(row, 0);
    if (selected) {
        // One selected row at a time, and it carries the selection mark.
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                     QItemSelectionModel::Rows);
    } else {
        selectionModel()->select(index, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    }
    return true;
}

void CListCtrl::DeselectAll() {
    selectionModel()->clearSelection();
}

int CListCtrl::GetSelectionMark() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

bool CListCtrl::EnsureVisible(int row) {
    if (row < 0 || row >= GetItemCount()) {
        return false;
    }
    scrollTo(m_model->index(row, 0), QAbstractItemView::EnsureVisible);
    return true;
}

QRect CListCtrl::GetSubItemRect(int row, int column) const {
    if (row < 0 || row >= GetItemCount() || column < 0 || column >= GetColumnCount()) {
        return {};
    }
    return visualRect(m_model->index(row, column));
}

void CListCtrl::SetBkColor(const QColor& color) {
    QPalette pal = palette();
    pal.setColor(QPalette::Base, color);
    setPalette(pal);
}

void CListCtrl::SetExtendedStyle(unsigned style) {
    m_extendedStyle = style;
    setShowGrid((style & LVS_EX_GRIDLINES) != 0);
}

void CListCtrl::RedrawList() {
    viewport()->update();
}

CListCtrlDelegate::CListCtrlDelegate(CListCtrl* list) : QStyledItemDelegate(list), m_list(list) {}

void CListCtrlDelegate::initStyleOption(QStyleOptionViewItem* option,
                                        const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->displayAlignment = ColumnAlignment(m_list->GetColumnFormat(index.column()));
}

bool CListCtrlDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                  const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event && view && event->type() == QEvent::ToolTip && index.isValid()) {
        // A cell cut short shows its whole text as its tip; any other spot shows the list's.
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        const QStyle* style = view->style();
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
        const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, view);
        if (!cell.text.isEmpty() &&
            cell.fontMetrics.horizontalAdvance(cell.text) > text.width() - 2 * margin) {
            const QRect area(view->viewport()->mapToGlobal(option.rect.topLeft()),
                             option.rect.size());
            QToolTip::showText(event->globalPos(), cell.text, view->viewport(), area);
            return true;
        }
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}

void CListCtrlDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    if (!m_list->hasFocus() || index.row() != m_list->GetSelectionMark())
        return;
    // One frame around the whole row: each cell draws its part of it.
    const QHeaderView* header = m_list->horizontalHeader();
    int first = -1;
    int last = -1;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (header->isSectionHidden(logical))
            continue;
        if (first < 0)
            first = logical;
        last = logical;
    }
    constexpr int kWidth = 2;
    const QRect r = option.rect;
    const QColor color = option.palette.color(QPalette::Active, QPalette::Highlight);
    painter->save();
    painter->fillRect(QRect(r.left(), r.top(), r.width(), kWidth), color);
    painter->fillRect(QRect(r.left(), r.bottom() - kWidth + 1, r.width(), kWidth), color);
    if (index.column() == first)
        painter->fillRect(QRect(r.left(), r.top(), kWidth, r.height()), color);
    if (index.column() == last)
        painter->fillRect(QRect(r.right() - kWidth + 1, r.top(), kWidth, r.height()), color);
    painter->restore();
}
