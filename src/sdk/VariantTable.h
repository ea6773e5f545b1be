// VariantTable: the result of a lookup query as a table of text cells, addressed column first
// (column, row) as the query's two-dimensional array always was. Kept compact, one UTF-8 buffer
// plus one 32-bit offset per cell, so a million road rows fit in a few tens of megabytes and load
// without an allocation per cell.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

class VariantTable {
public:
    VariantTable() = default;

    // Holds no array at all: never filled, or cleared. A query that returned no rows still
    // leaves a table (rowCount() 0) that is not empty.
    bool isEmpty() const { return !m_filled; }
    int columnCount() const { return m_columns; }
    int rowCount() const;

    // false (and *text untouched) outside the table; a NULL cell reads as "".
    bool cellText(int column, int row, QString* text) const;
    // The cell's bytes without a copy; an empty view outside the table. Valid until the table
    // changes.
    QByteArrayView cellUtf8(int column, int row) const;

    void clear();

    // Building. begin() turns the table into a filled table of `columns` columns and no rows;
    // cells then arrive row by row, left to right; a row counts once its last cell arrived.
    void begin(int columns);
    void reserve(qsizetype rows, qsizetype textBytes);
    // false when the buffer would outgrow the 32-bit offsets (the cell is not added).
    bool appendCell(QByteArrayView utf8);
    bool appendRow(const QStringList& cells); // missing cells are "", extra ones ignored

    // Convenience for callers and tests that already hold the rows.
    static VariantTable fromRows(int columns, const QList<QStringList>& rows);

    // Bytes held (text and offsets), for the memory budget.
    qsizetype memoryUsage() const;

private:
    qsizetype cellIndex(int column, int row) const;

    bool m_filled = false;
    int m_columns = 0;
    QByteArray m_text;
    // Offset of each cell's first byte in m_text, in arrival order (row by row), plus one
    // closing offset: cell i spans [m_offsets[i], m_offsets[i + 1]).
    std::vector<std::uint32_t> m_offsets;
};
