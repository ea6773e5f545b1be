#include "controls/RecordTableModel.h"

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

CRecordTableModel::CRecordTableModel(QObject* parent) : QAbstractTableModel(parent) {}

bool CRecordTableModel::isCell(int row, int column) const {
    return row >= 0 && row < m_table.GetRowCount() && column >= 0 &&
           column < m_table.GetColumnCount();
}

bool CRecordTableModel::InsertColumn(int column, const QString& heading, int format) {
    const int count = static_cast<int>(m_headings.size());
    if (column < 0)
        return false;
    column = qMin(column, count);
    beginInsertColumns(QModelIndex(), column, column);
    m_headings.insert(column, heading);
    m_formats.insert(column, format);
    // Columns are set up before any row arrives; should rows be there, each gains its cell.
    RecordTable wider(count + 1);
    for (int row = 0; row < m_table.GetRowCount(); ++row) {
        RecordRow& made = wider.AppendRow();
        for (int c = 0, to = 0; c < count; ++c, ++to) {
            if (to == column)
                ++to;
            made.SetCell(to, m_table.GetCell(row, c));
        }
        made.SetItemData(m_table.GetItemData(row));
    }
    m_table = wider;
    endInsertColumns();
    return true;
}

int CRecordTableModel::GetColumnFormat(int column) const {
    return column >= 0 && column < m_formats.size() ? m_formats[column] : LVCFMT_LEFT;
}

void CRecordTableModel::SetTable(const RecordTable& table) {
    if (m_table.IsSharedWith(table))
        return;
    beginResetModel();
    m_markedRow = -1;
    if (table.GetColumnCount() == m_table.GetColumnCount()) {
        m_table = table;
    } else {
        // Only the columns both have; the others stay empty.
        RecordTable fitted(m_table.GetColumnCount());
        const int columns = qMin(table.GetColumnCount(), fitted.GetColumnCount());
        for (int row = 0; row < table.GetRowCount(); ++row) {
            RecordRow& made = fitted.AppendRow();
            for (int column = 0; column < columns; ++column)
                made.SetCell(column, table.GetCell(row, column));
            made.SetItemData(table.GetItemData(row));
        }
        m_table = fitted;
    }
    endResetModel();
}

int CRecordTableModel::InsertRow(int row) {
    if (m_headings.isEmpty() || row < 0)
        return -1;
    row = qMin(row, m_table.GetRowCount());
    beginInsertRows(QModelIndex(), row, row);
    m_table.InsertRow(row);
    if (m_markedRow >= row)
        ++m_markedRow;
    endInsertRows();
    return row;
}

bool CRecordTableModel::RemoveRow(int row) {
    if (row < 0 || row >= m_table.GetRowCount())
        return false;
    beginRemoveRows(QModelIndex(), row, row);
    m_table.RemoveRow(row);
    if (m_markedRow == row)
        m_markedRow = -1;
    else if (m_markedRow > row)
        --m_markedRow;
    endRemoveRows();
    return true;
}

void CRecordTableModel::RemoveAll() {
    if (m_table.IsEmpty())
        return;
    beginResetModel();
    m_table.RemoveAll();
    m_markedRow = -1;
    endResetModel();
}

bool CRecordTableModel::SetCellText(int row, int column, const QString& text) {
    if (!isCell(row, column))
        return false;
    if (m_table.GetCell(row, column) != text) {
        m_table.SetCell(row, column, text);
        const QModelIndex cell = index(row, column);
        emit dataChanged(cell, cell, {Qt::DisplayRole, Qt::EditRole});
    }
    return true;
}

void CRecordTableModel::SetRowMarker(int row, const QString& marker) {
    if (row < 0 || row >= m_table.GetRowCount())
        row = -1;
    const int previous = m_markedRow;
    m_markedRow = row;
    m_marker = marker;
    for (int changed : {previous, row})
        if (changed >= 0)
            emit dataChanged(index(changed, 0), index(changed, 0), {Qt::DisplayRole});
}

QString CRecordTableModel::CellText(int row, int column) const {
    return isCell(row, column) ? m_table.GetCell(row, column) : QString();
}

bool CRecordTableModel::SetItemData(int row, RecordItemData data) {
    if (row < 0 || row >= m_table.GetRowCount())
        return false;
    m_table.SetItemData(row, data);
    return true;
}

RecordItemData CRecordTableModel::GetItemData(int row) const {
    return row >= 0 && row < m_table.GetRowCount() ? m_table.GetItemData(row) : 0;
}

int CRecordTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_table.GetRowCount();
}

int CRecordTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_headings.size());
}

QVariant CRecordTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        if (index.row() == m_markedRow && index.column() == 0)
            return m_marker + CellText(index.row(), 0);
        return CellText(index.row(), index.column());
    case Qt::EditRole:
        return CellText(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(ColumnAlignment(GetColumnFormat(index.column())));
    case kItemDataRole:
        return QVariant::fromValue(GetItemData(index.row()));
    default:
        return {};
    }
}

bool CRecordTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid())
        return false;
    if (role == kItemDataRole)
        return SetItemData(index.row(), value.value<RecordItemData>());
    if (role != Qt::EditRole && role != Qt::DisplayRole)
        return false;
    return SetCellText(index.row(), index.column(), value.toString());
}

QVariant CRecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_headings.size())
        return {};
    if (role == Qt::DisplayRole)
        return m_headings[section];
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(ColumnAlignment(GetColumnFormat(section)));
    return {};
}

Qt::ItemFlags CRecordTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (m_cellsEditable)
        flags |= Qt::ItemIsEditable;
    return flags;
}
