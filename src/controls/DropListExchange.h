#pragma once
// Moving a record list's cell to and from a drop-list combo (the road fields), the drop-list
// counterparts of ListCellToCombo and ComboToListCell in ListExchange.h.

class CDropListCombo;
class QWidget;

// Chooses in the page's drop-list combo `comboId` the first row (searching from row 0) whose
// text begins with the list cell's text, ignoring case. 1 when a row was found and chosen; 0
// when none matched (the choice stays as it was) or the list or combo is missing.
int ListCellToDropListCombo(QWidget* dlg, int listId, int comboId, int row, int column);

// Copies the combo's chosen text (its window text) into the list cell; with `clear`, nothing is
// chosen afterwards. 0 (and nothing done) when the list or the combo is missing, else 1.
int ComboToListCell(QWidget* dlg, int listId, CDropListCombo* combo, int row, int column,
                    bool clear);
// The same for the page's drop-list combo with this id.
int DropListComboToListCell(QWidget* dlg, int listId, int comboId, int row, int column, bool clear);
