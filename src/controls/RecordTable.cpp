#include "controls/RecordTable.h"

#include <stdexcept>

namespace {
[[noreturn]] void outOfBound() {
    throw std::out_of_range("Array out of bound");
}
} // namespace

// Each cell's end offset takes two QChars at the front of the buffer (offsets may pass 65,535:
// a loaded cell is never cut to fit).
constexpr qsizetype kOffsetChars = 2;

RecordRow::RecordRow(int columnCount) : m_columnCount(qMax(columnCount, 0)) {}

qsizetype RecordRow::cellEnd(int column) const {
    const QChar* at = m_buffer.constData() + column * kOffsetChars;
    return (qsizetype(at[0].unicode()) << 16) | at[1].unicode();
}

qsizetype RecordRow::cellStart(int column) const {
    return column == 0 ? m_columnCount * kOffsetChars : cellEnd(column - 1);
}

void RecordRow::setCellEnd(int column, qsizetype end) {
    QChar* at = m_buffer.data() + column * kOffsetChars;
    at[0] = QChar(static_cast<char16_t>(end >> 16));
    at[1] = QChar(static_cast<char16_t>(end & 0xFFFF));
}

QStringView RecordRow::CellView(int column) const {
    if (column < 0 || column >= m_columnCount)
        outOfBound();
    if (m_buffer.isEmpty())
        return {};
    const qsizetype start = cellStart(column);
    return QStringView(m_buffer).sliced(start, cellEnd(column) - start);
}

void RecordRow::SetCell(int column, QStringView text) {
    if (column < 0 || column >= m_columnCount)
        outOfBound();
    if (m_buffer.isEmpty()) {
        if (text.isEmpty())
            return;
        const qsizetype header = m_columnCount * kOffsetChars;
        m_buffer.resize(header);
        for (int c = 0; c < m_columnCount; ++c)
            setCellEnd(c, header);
    }
    const qsizetype start = cellStart(column);
    const qsizetype oldLength = cellEnd(column) - start;
    if (oldLength == text.size() && CellView(column) == text)
        return;
    m_buffer.replace(start, oldLength, text.data(), text.size());
    const qsizetype shift = text.size() - oldLength;
    for (int c = column; c < m_columnCount; ++c)
        setCellEnd(c, cellEnd(c) + shift);
}

void RecordRow::AssignCells(const QStringView* cells, int count) {
    count = qBound(0, count, m_columnCount);
    const qsizetype header = m_columnCount * kOffsetChars;
    qsizetype length = header;
    for (int c = 0; c < count; ++c)
        length += cells[c].size();
    if (length == header) {
        m_buffer.clear();
        return;
    }
    QString buffer(length, Qt::Uninitialized);
    std::swap(m_buffer, buffer);
    qsizetype end = header;
    for (int c = 0; c < m_columnCount; ++c) {
        if (c < count) {
            std::copy_n(cells[c].data(), cells[c].size(), m_buffer.data() + end);
            end += cells[c].size();
        }
        setCellEnd(c, end);
    }
}

bool RecordRow::operator==(const RecordRow& other) const {
    if (m_columnCount != other.m_columnCount || m_itemData != other.m_itemData)
        return false;
    for (int column = 0; column < m_columnCount; ++column)
        if (CellView(column) != other.CellView(column))
            return false;
    return true;
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

QString RecordTable::GetCell(int row, int column) const {
    return GetRow(row).GetCell(column);
}

QStringView RecordTable::CellView(int row, int column) const {
    return GetRow(row).CellView(column);
}

void RecordTable::SetCell(int row, int column, QStringView text) {
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
