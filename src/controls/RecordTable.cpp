#include "controls/RecordTable.h"

#include <stdexcept>

namespace {
[[noreturn]] void outOfBound() {
    throw std::out_of_range("Array out of bound");
}
} // namespace

RecordRow::RecordRow(int columnCount) {
    m_cells.resize(qMax(columnCount, 0));
}

const QString& RecordRow::GetCell(int column) const {
    if (column < 0 || column >= GetColumnCount())
        outOfBound();
    return m_cells.at(column);
}

void RecordRow::SetCell(int column, const QString& text) {
    if (column < 0 || column >= GetColumnCount())
        outOfBound();
    m_cells[column] = text;
}

RecordTable::RecordTable(int columnCount) : m_columnCount(qMax(columnCount, 0)) {}

const RecordRow& RecordTable::GetRow(int row) const {
    if (row < 0 || row >= GetRowCount())
        outOfBound();
    return m_rows.at(row);
}

RecordRow& RecordTable::GetRow(int row) {
    if (row < 0 || row >= GetRowCount())
        outOfBound();
    return m_rows[row];
}

const QString& RecordTable::GetCell(int row, int column) const {
    return GetRow(row).GetCell(column);
}

void RecordTable::SetCell(int row, int column, const QString& text) {
    if (row < 0 || row >= GetRowCount() || column < 0 || column >= m_columnCount)
        outOfBound();
    m_rows[row].SetCell(column, text);
}

RecordItemData RecordTable::GetItemData(int row) const {
    return GetRow(row).GetItemData();
}

void RecordTable::SetItemData(int row, RecordItemData data) {
    GetRow(row).SetItemData(data);
}

RecordRow& RecordTable::AppendRow() {
    m_rows.emplace_back(m_columnCount);
    return m_rows.back();
}

RecordRow& RecordTable::InsertRow(int row) {
    if (row < 0 || row > GetRowCount())
        outOfBound();
    return *m_rows.emplace(row, m_columnCount);
}

void RecordTable::RemoveRow(int row) {
    if (row < 0 || row >= GetRowCount())
        outOfBound();
    m_rows.removeAt(row);
}
