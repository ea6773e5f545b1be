#include "controls/ListCtrl.h"

#include "framework/WindowClass.h"

#include <QHeaderView>
#include <QStandardItemModel>

namespace {
constexpr int kItemDataRole = Qt::UserRole + 1;
}

Qt::Alignment ColumnAlignment(int format) {
    switch (format & 0x3) {
    case LVCFMT_RIGHT:
        return Qt::AlignRight | Qt::AlignVCenter;
    case LVCFMT_CENTER:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

CListCtrl::CListCtrl(QWidget* parent) : QTableView(parent), m_model(new QStandardItemModel(this)) {
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
    header->setStretchLastSection(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setMinimumSectionSize(1);

    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(fontMetrics().height() + 6);
}

CListCtrl::~CListCtrl() = default;

int CListCtrl::InsertColumn(int column, const QString& heading, int format, int width) {
    const int count = GetColumnCount();
    if (column < 0) {
        return -1;
    }
    column = qMin(column, count);
    if (!m_model->insertColumn(column)) {
        return -1;
    }
    auto* headerItem = new QStandardItem(heading);
    headerItem->setTextAlignment(ColumnAlignment(format));
    m_model->setHorizontalHeaderItem(column, headerItem);
    m_columnFormats.insert(column, format);
    for (int row = 0; row < m_model->rowCount(); ++row) {
        m_model->setItem(row, column, makeItem(QString()));
    }
    if (width >= 0) {
        SetColumnWidth(column, width);
    }
    return column;
}

int CListCtrl::GetColumnCount() const {
    return m_model->columnCount();
}

int CListCtrl::GetColumnWidth(int column) const {
    if (column < 0 || column >= GetColumnCount() || isColumnHidden(column)) {
        return 0;
    }
    return columnWidth(column);
}

bool CListCtrl::SetColumnWidth(int column, int width) {
    if (column < 0 || column >= GetColumnCount() || width < 0) {
        return false;
    }
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
    return column >= 0 && column < m_columnFormats.size() ? m_columnFormats[column] : LVCFMT_LEFT;
}

int CListCtrl::GetItemCount() const {
    return m_model->rowCount();
}

QStandardItem* CListCtrl::makeItem(const QString& text) const {
    auto* item = new QStandardItem(text);
    item->setEditable(m_cellsEditable);
    item->setDropEnabled(false);
    item->setDragEnabled(false);
    return item;
}

int CListCtrl::InsertItem(int row, const QString& text) {
    const int columns = GetColumnCount();
    if (columns == 0 || row < 0) {
        return -1;
    }
    row = qMin(row, GetItemCount());
    QList<QStandardItem*> cells;
    cells.reserve(columns);
    for (int column = 0; column < columns; ++column) {
        cells.append(makeItem(column == 0 ? text : QString()));
    }
    cells.front()->setData(QVariant::fromValue<RecordItemData>(0), kItemDataRole);
    m_model->insertRow(row, cells);
    return row;
}

bool CListCtrl::DeleteItem(int row) {
    if (row < 0 || row >= GetItemCount()) {
        return false;
    }
    return m_model->removeRow(row);
}

bool CListCtrl::DeleteAllItems() {
    m_model->removeRows(0, m_model->rowCount());
    return true;
}

QString CListCtrl::GetItemText(int row, int column) const {
    const QStandardItem* item = m_model->item(row, column);
    return item ? item->text() : QString();
}

bool CListCtrl::SetItemText(int row, int column, const QString& text) {
    QStandardItem* item = m_model->item(row, column);
    if (!item) {
        return false;
    }
    item->setText(text);
    return true;
}

RecordItemData CListCtrl::GetItemData(int row) const {
    const QStandardItem* item = m_model->item(row, 0);
    return item ? item->data(kItemDataRole).value<RecordItemData>() : 0;
}

bool CListCtrl::SetItemData(int row, RecordItemData data) {
    QStandardItem* item = m_model->item(row, 0);
    if (!item) {
        return false;
    }
    item->setData(QVariant::fromValue(data), kItemDataRole);
    return true;
}

int CListCtrl::GetNextSelectedItem(int after) const {
    const QItemSelectionModel* selection = selectionModel();
    for (int row = qMax(after + 1, 0); row < GetItemCount(); ++row) {
        if (selection->isRowSelected(row, QModelIndex())) {
            return row;
        }
    }
    return -1;
}

bool CListCtrl::IsItemSelected(int row) const {
    return row >= 0 && row < GetItemCount() && selectionModel()->isRowSelected(row, QModelIndex());
}

bool CListCtrl::SetItemSelected(int row, bool selected) {
    if (row < 0 || row >= GetItemCount()) {
        return false;
    }
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
