#pragma once
// CRecordTableModel: a RecordTable as the item model of a report list.
//
// The list's rows are the table's rows; the model adds only the columns' headings and
// alignments. A page's table and its list hand each other the whole table at once (SetTable,
// Table), which shares the rows instead of copying them, so an exchange and a tab switch cost
// the same for ten rows as for fifty thousand.

#include "controls/RecordTable.h"

#include <QAbstractTableModel>
#include <QStringList>

// Column alignment.
enum ListColumnFormat : int { LVCFMT_LEFT = 0, LVCFMT_RIGHT = 1, LVCFMT_CENTER = 2 };

class CRecordTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The item data of a row, read through index(row, any column).data(kItemDataRole).
    static constexpr int kItemDataRole = Qt::UserRole + 1;

    explicit CRecordTableModel(QObject* parent = nullptr);

    // Columns. A column may only be inserted while the model's columns are being set up; rows
    // already present gain an empty cell.
    bool InsertColumn(int column, const QString& heading, int format);
    int GetColumnFormat(int column) const;

    // The rows shown.
    const RecordTable& Table() const { return m_table; }
    // Shows `table` instead. A table with another column count is fitted cell by cell to the
    // model's columns; one that is already shown changes nothing.
    void SetTable(const RecordTable& table);

    // Row operations that tell the views what changed.
    int InsertRow(int row);
    bool RemoveRow(int row);
    void RemoveAll();
    bool SetCellText(int row, int column, const QString& text);
    QString CellText(int row, int column) const; // "" outside the table
    bool SetItemData(int row, RecordItemData data);
    RecordItemData GetItemData(int row) const; // 0 outside the table

    // A marker shown in front of the first cell of one row (the member list's "* " before the
    // project coordinator's name). It is only shown: cells and tables never hold it. The row
    // follows rows inserted and removed above it; a new table removes the marker. -1: none.
    void SetRowMarker(int row, const QString& marker);
    int MarkedRow() const { return m_markedRow; }

    // Whether views may edit cells in place.
    void SetCellsEditable(bool editable) { m_cellsEditable = editable; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    bool isCell(int row, int column) const;

    RecordTable m_table;
    int m_markedRow = -1;
    QString m_marker;
    QStringList m_headings;
    QList<int> m_formats;
    bool m_cellsEditable = false;
};

// Qt alignment flags for a column format.
Qt::Alignment ColumnAlignment(int format);
