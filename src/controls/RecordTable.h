#pragma once
// A page's stored records: rows of text cells plus one value per row.
//
// This is what a page reads from and writes to the XML document, and what its record list shows
// (the list's model holds a RecordTable too). Tables copy by value, but cheaply: rows and cells
// are shared until one side changes them, so handing a table of 50,000 records between a page
// and its list costs nothing per row. Reading or writing outside the table throws
// std::out_of_range("Array out of bound").
//
// Every change gives the table a new revision, unique in the run, and a copy keeps its
// original's: two tables of one revision hold the same rows, which lets a structure derived from
// a table (the duplicate index) tell whether it still describes it.

#include <QAnyStringView>
#include <QList>
#include <QString>
#include <QStringView>
#include <QtGlobal>

// The per-row value. Wide enough for a pointer: the member page keeps each member's roles table
// there.
using RecordItemData = quintptr;

// One record: its cells' text and its item data. The cells live in one buffer per row (their
// end offsets first, then their text one after the other), so a record of 26 fields is one
// allocation rather than 26: at tens of thousands of records that is most of what a table costs.
class RecordRow {
public:
    explicit RecordRow(int columnCount = 0);

    int GetColumnCount() const { return m_columnCount; }
    // Both throw std::out_of_range("Array out of bound") for a column outside the row.
    QString GetCell(int column) const { return CellView(column).toString(); }
    void SetCell(int column, QStringView text);
    // Every cell at once, in one allocation: the way to fill a row read from a file. Takes the
    // first GetColumnCount() texts; cells beyond those given are emptied.
    void AssignCells(const QStringView* cells, int count);
    // The same from texts in any of Qt's encodings: a row read from a file takes the UTF-8 of
    // its fields as they stand in the document, with no string made for each field on the way.
    void AssignCells(const QAnyStringView* cells, int count);
    // The cell's text in place, without a copy; valid until the row next changes.
    QStringView CellView(int column) const;
    // Whether the cell holds `text`, letter case aside (Qt's case folding): the duplicate checks
    // ask this of every row on each Update.
    bool CellEqualsIgnoringCase(int column, QStringView text) const;

    RecordItemData GetItemData() const { return m_itemData; }
    void SetItemData(RecordItemData data) { m_itemData = data; }

    bool operator==(const RecordRow& other) const;

private:
    qsizetype cellStart(int column) const;
    qsizetype cellEnd(int column) const;
    void setCellEnd(int column, qsizetype end);

    // Empty until a cell is set: a row of empty cells costs no allocation.
    QString m_buffer;
    RecordItemData m_itemData = 0;
    int m_columnCount = 0;
};
// A row is its string and two numbers: the table's list moves rows as bytes when it grows.
Q_DECLARE_TYPEINFO(RecordRow, Q_RELOCATABLE_TYPE);

class RecordTable {
public:
    explicit RecordTable(int columnCount = 0);
    RecordTable(const RecordTable&) = default;
    RecordTable& operator=(const RecordTable&) = default;
    // The table moved from is left empty, under a revision of its own.
    RecordTable(RecordTable&& other) noexcept;
    RecordTable& operator=(RecordTable&& other) noexcept;

    int GetColumnCount() const { return m_columnCount; }
    int GetRowCount() const { return static_cast<int>(m_rows.size()); }
    bool IsEmpty() const { return m_rows.isEmpty(); }

    // Throw std::out_of_range("Array out of bound") when row or column is outside the table.
    QString GetCell(int row, int column) const;
    QStringView CellView(int row, int column) const;
    void SetCell(int row, int column, QStringView text);
    RecordItemData GetItemData(int row) const;
    void SetItemData(int row, RecordItemData data);
    const RecordRow& GetRow(int row) const;

    // Appends a row of empty cells with item data 0 and hands it back.
    RecordRow& AppendRow();
    // The same at `row` (0 to the row count); throws outside that range.
    RecordRow& InsertRow(int row);
    // Throws for a row outside the table.
    void RemoveRow(int row);
    void RemoveAll();
    // Moves every row of `other`, a table of the same columns, to the end of this one.
    void AppendRows(RecordTable&& other);

    quint64 Revision() const { return m_revision; }

    // Whether the two tables hold the very same rows (a copy neither has changed since).
    bool IsSharedWith(const RecordTable& other) const {
        return m_columnCount == other.m_columnCount &&
               m_rows.constData() == other.m_rows.constData() &&
               m_rows.size() == other.m_rows.size();
    }

    // The same columns and rows; the revisions may differ.
    bool operator==(const RecordTable& other) const {
        return m_columnCount == other.m_columnCount && m_rows == other.m_rows;
    }

private:
    void changed();
    // The row a change is about to be made to, checked (throws outside the table), with the
    // table's revision already moved on.
    RecordRow& rowToChange(int row);

    int m_columnCount;
    QList<RecordRow> m_rows;
    quint64 m_revision;
};
