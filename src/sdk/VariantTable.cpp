#include "sdk/VariantTable.h"

#include <limits>

int VariantTable::rowCount() const {
    if (!m_filled || m_columns <= 0 || m_offsets.empty())
        return 0;
    return static_cast<int>((m_offsets.size() - 1) / static_cast<size_t>(m_columns));
}

qsizetype VariantTable::cellIndex(int column, int row) const {
    if (column < 0 || column >= m_columns || row < 0 || row >= rowCount())
        return -1;
    return static_cast<qsizetype>(row) * m_columns + column;
}

bool VariantTable::cellText(int column, int row, QString* text) const {
    const qsizetype index = cellIndex(column, row);
    if (index < 0)
        return false;
    if (text) {
        const std::uint32_t begin = m_offsets[index];
        *text = QString::fromUtf8(m_text.constData() + begin,
                                  static_cast<qsizetype>(m_offsets[index + 1] - begin));
    }
    return true;
}

QByteArrayView VariantTable::cellUtf8(int column, int row) const {
    const qsizetype index = cellIndex(column, row);
    if (index < 0)
        return {};
    const std::uint32_t begin = m_offsets[index];
    return QByteArrayView(m_text.constData() + begin,
                          static_cast<qsizetype>(m_offsets[index + 1] - begin));
}

void VariantTable::clear() {
    m_filled = false;
    m_columns = 0;
    m_text = QByteArray();
    std::vector<std::uint32_t>().swap(m_offsets);
}

void VariantTable::begin(int columns) {
    clear();
    m_filled = true;
    m_columns = columns > 0 ? columns : 0;
    m_offsets.push_back(0);
}

void VariantTable::reserve(qsizetype rows, qsizetype textBytes) {
    if (rows > 0 && m_columns > 0)
        m_offsets.reserve(static_cast<size_t>(rows) * m_columns + 1);
    if (textBytes > 0)
        m_text.reserve(textBytes);
}

bool VariantTable::appendCell(QByteArrayView utf8) {
    if (!m_filled || m_columns == 0)
        return false;
    const qsizetype end = m_text.size() + utf8.size();
    if (end > static_cast<qsizetype>(std::numeric_limits<std::uint32_t>::max()))
        return false;
    m_text.append(utf8);
    m_offsets.push_back(static_cast<std::uint32_t>(end));
    return true;
}

bool VariantTable::appendRow(const QStringList& cells) {
    for (int column = 0; column < m_columns; ++column) {
        const QByteArray utf8 = column < cells.size() ? cells[column].toUtf8() : QByteArray();
        if (!appendCell(utf8))
            return false;
    }
    return m_columns > 0;
}

VariantTable VariantTable::fromRows(int columns, const QList<QStringList>& rows) {
    VariantTable table;
    table.begin(columns);
    table.reserve(rows.size(), 0);
    for (const QStringList& row : rows)
        table.appendRow(row);
    return table;
}

qsizetype VariantTable::memoryUsage() const {
    return m_text.capacity() + static_cast<qsizetype>(m_offsets.capacity() * sizeof(std::uint32_t));
}
