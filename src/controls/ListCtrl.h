#pragma once
// CListCtrl: the report-style list the record pages share.
//
// A table view over a RecordTable (its CRecordTableModel) with the few list operations the pages
// use (columns with headings and widths, rows of text with one value each, a single selected
// row). Rows are whole: clicking anywhere on a row selects it. Headers never sort. A column of
// width 0 stays hidden. Rows all have the same height, so the list scrolls through any number
// of them without measuring them.

#include "controls/RecordTable.h"
#include "controls/RecordTableModel.h"

#include <QColor>
#include <QStyledItemDelegate>
#include <QTableView>

// Extended styles the pages combine; only the grid lines change what Qt draws, the others are
// kept so a page can read back what it set.
enum ListExtendedStyle : unsigned {
    LVS_EX_GRIDLINES = 0x1,
    LVS_EX_FULLROWSELECT = 0x20,
    LVS_EX_ONECLICKACTIVATE = 0x40,
    LVS_EX_FLATSB = 0x100,
    LVS_EX_INFOTIP = 0x400,
    LVS_EX_UNDERLINEHOT = 0x800,
};

class CListCtrl : public QTableView {
    Q_OBJECT
public:
    explicit CListCtrl(QWidget* parent = nullptr);
    ~CListCtrl() override;

    // Columns. InsertColumn returns the new column's index, or -1.
    int InsertColumn(int column, const QString& heading, int format = LVCFMT_LEFT, int width = -1);
    int GetColumnCount() const;
    int GetColumnWidth(int column) const;
    bool SetColumnWidth(int column, int width);
    int GetColumnFormat(int column) const;

    // Rows. InsertItem puts a row at `row` (at the end when beyond it) with the text of column 0
    // and item data 0, and returns its index (-1 when the list has no columns).
    int GetItemCount() const;
    int InsertItem(int row, const QString& text);
    bool DeleteItem(int row);
    bool DeleteAllItems();
    QString GetItemText(int row, int column) const; // "" outside the list
    bool SetItemText(int row, int column, const QString& text);
    RecordItemData GetItemData(int row) const; // 0 outside the list
    bool SetItemData(int row, RecordItemData data);

    // The rows as a table, and all of them at once from a table; both share the rows rather than
    // copy them (see CRecordTableModel).
    const RecordTable& Table() const { return m_model->Table(); }
    void SetTable(const RecordTable& table) { m_model->SetTable(table); }

    // Selection (single row), read from the selection model without walking the rows.
    // GetNextSelectedItem gives the first selected row after `after`, or -1.
    int GetNextSelectedItem(int after = -1) const;
    bool IsItemSelected(int row) const;
    bool SetItemSelected(int row, bool selected);
    void DeselectAll();
    // The row with the selection mark (the keyboard's current row), or -1.
    int GetSelectionMark() const;

    // Scrolls the row fully into view; false for a row outside the list.
    bool EnsureVisible(int row);
    // The cell's rectangle in the viewport's coordinates (empty outside the list).
    QRect GetSubItemRect(int row, int column) const;

    void SetBkColor(const QColor& color);
    unsigned GetExtendedStyle() const { return m_extendedStyle; }
    void SetExtendedStyle(unsigned style);

    // Repaints every row (after a page changed what the rows should look like).
    virtual void RedrawList();

    CRecordTableModel* itemModel() const { return m_model; }

protected:
    // Home and End go to the first and last row, as in any list, rather than to the first and
    // last column of the row (a table's way, which in a list of whole rows moves nothing).
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    // Whether cells may be edited in place.
    void setCellsEditable(bool editable) { m_model->SetCellsEditable(editable); }

private:
    CRecordTableModel* m_model;
    unsigned m_extendedStyle = 0;
};

// Draws cells with their column's alignment, and a frame in the theme's focus colour around the
// keyboard's row while the list has the focus; the lists' own delegates build on it.
class CListCtrlDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit CListCtrlDelegate(CListCtrl* list);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    // A cell whose text is cut short shows the whole text as its tip.
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
    CListCtrl* list() const { return m_list; }

private:
    CListCtrl* m_list;
};
