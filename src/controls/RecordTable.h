#pragma once
// A page's stored records: rows of text cells plus one value per row.
//
// This is what a page reads from and writes to the XML document, and what its record list shows.
// Tables copy by value. Reading or writing outside the table throws std::out_of_range.

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <vector>

// The per-row value. Wide enough for a pointer: the member page keeps each member's roles table
// there.
using RecordItemData = quintptr;

class RecordRow {
public:
    explicit RecordRow(int columnCount = 0);

    int GetColumnCount() const { return static_cast<int>(m_cells.size()); }
    // Both throw std::out_of_range("Array out of bound") for a column outside the row.
    const QString& GetCell(int column) const;
    void SetCell(int column, const QString& text);

    RecordItemData GetItemData() const { return m_itemData; }
    void SetItemData(RecordItemData data) { m_itemData = data; }

    bool operator==(const RecordRow& other) const = default;

private:
    std::vector<QString> m_cells;
    RecordItemData m_itemData = 0;
};

class RecordTable {
public:
    explicit RecordTable(int columnCount = 0);

    int GetColumnCount() const { return m_columnCount; }
    int GetRowCount() const { return static_cast<int>(m_rows.size()); }
    bool IsEmpty() const { return m_rows.empty(); }

    // Throw std::out_of_range("Array out of bound") when row or column is outside the table.
    const QString& GetCell(int row, int column) const;
    void SetCell(int row, int column, const QString& text);
    RecordItemData GetItemData(int row) const;
    void SetItemData(int row, RecordItemData data);
    const RecordRow& GetRow(int row) const;
    RecordRow& GetRow(int row);

    // Appends a row of empty cells with item data 0 and hands it back.
    RecordRow& AppendRow();
    void RemoveAll() { m_rows.clear(); }

    bool operator==(const RecordTable& other) const = default;

private:
    int m_columnCount;
    std::vector<RecordRow> m_rows;
};
