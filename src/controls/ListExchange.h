#pragma once
// Moving text between a page's list, its entry controls and its RecordTable.
//
// Every function takes the page (or dialog), the list's control id and, where named, another
// control's id. When the list or that control is not there, nothing happens and the answer is
// 0; otherwise the answer is 1 unless said below. Lists are CListCtrl-based (record lists and
// editable lists alike).

#include <QString>

class CDataExchange;
class CListCtrl;
class QWidget;
class RecordTable;

// The page's own list with this id, or null.
CListCtrl* FindListCtrl(QWidget* dlg, int listId);

// Sets the cell's text; with `clear`, empties `text` afterwards.
int SetListCellText(QWidget* dlg, int listId, QString& text, int row, int column, bool clear);
int GetListCellText(QWidget* dlg, int listId, QString& text, int row, int column);

// The control's shown text into the cell; with `clear`, the control's text becomes "".
int EditToListCell(QWidget* dlg, int listId, int editId, int row, int column, bool clear);
int ListCellToEdit(QWidget* dlg, int listId, int editId, int row, int column);

// Check box <-> "Y"/"N". With `clear` the box is unticked afterwards; a cell "y" ticks too.
int CheckToListCell(QWidget* dlg, int listId, int checkId, int row, int column, bool clear);
int ListCellToCheck(QWidget* dlg, int listId, int checkId, int row, int column);

// Plain drop-down lists (QComboBox). ComboToListCell copies the shown text; `clear` removes the
// combo's selection. ListCellToCombo selects the item whose text begins with the cell's text,
// ignoring case, searching from the second item on and wrapping to the first; it answers 1 when
// an item was selected, 0 when none matched (the selection is then left as it was).
int ComboToListCell(QWidget* dlg, int listId, int comboId, int row, int column, bool clear);
int ListCellToCombo(QWidget* dlg, int listId, int comboId, int row, int column);

// First selected row, or -1 (also when the list is missing).
int GetSelectedListItem(QWidget* dlg, int listId);

// Deletes the first selected row, after asking "Confirm delete selected record?" when `confirm`
// is set. The list gets the focus. Answers 1 when a row was deleted, else 0; the caller fixes its
// current row and its own data.
int DeleteSelectedListItem(QWidget* dlg, int listId, bool confirm);

// Saving: the table becomes the list's rows (cells below the table's column count, and each
// row's item data). Loading: the list shows the table's rows. Both share the rows instead of
// copying them when list and table have the same columns, so neither costs anything per row.
int DDX_ListTable(CDataExchange* pDX, int listId, RecordTable& table);

// The shown text of a Qt control (edits, combos, buttons, labels, date pickers), and setting it.
QString GetControlText(const QWidget* control);
void SetControlText(QWidget* control, const QString& text);
