#pragma once
// A page's stored records: rows of text cells plus one value per row.
//
// This is what a page reads from and writes to the XML document, and what its record list shows
// (the list's model holds a RecordTable too). Tables copy by value, but cheaply: rows and cells
// are shared until one side changes them, so handing a table of 50,000 records between a page
// and its list costs nothing per row. Reading or writing outside the table throws
// std::out_of_range("Array out of bound").

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

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
    QStringList m_cells;
    RecordItemData m_itemData = 0;
};

class RecordTable {
public:
    explicit RecordTable(int columnCount = 0);

    int GetColumnCount() const { return m_columnCount; }
    int GetRowCount() const { return static_cast<int>(m_rows.size()); }
    bool IsEmpty() const { return m_rows.isEmpty(); }

    // Throw std::out_of_range("Array out of bound") when row or column is outside the table.
    const QString& GetCell(int row, int column) const;
    void SetCell(int row, int column, const QString& text);
    RecordItemData GetItemData(int row) const;
    void SetItemData(int row, RecordItemData data);
    const RecordRow& GetRow(int row) const;
    RecordRow& GetRow(int row);

    // Appends a row of empty cells with item data 0 and hands it back.
    RecordRow& AppendRow();
    // The same at `row` (0 to the row count); throws outside that range.
    RecordRow& InsertRow(int row);
    // Throws for a row outside the table.
    void RemoveRow(int row);
    void RemoveAll() { m_rows.clear(); }

    // Whether the two tables hold the very same rows (a copy neither has changed since).
    bool IsSharedWith(const RecordTable& other) const {
        return m_columnCount == other.m_columnCount &&
               m_rows.constData() == other.m_rows.constData() &&
               m_rows.size() == other.m_rows.size();
    }

    bool operator==(const RecordTable& other) const = default;

private:
    int m_columnCount;
    QList<RecordRow> m_rows;
};
