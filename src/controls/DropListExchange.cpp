#include "controls/DropListExchange.h"

#include "controls/DropListCombo.h"
#include "controls/ListExchange.h"
#include "framework/ControlId.h"

namespace {

CDropListCombo* findDropListCombo(QWidget* dlg, int comboId) {
    return dlg ? qobject_cast<CDropListCombo*>(GetDlgItem(dlg, comboId)) : nullptr;
}

} // namespace

int ListCellToDropListCombo(QWidget* dlg, int listId, int comboId, int row, int column) {
    CDropListCombo* combo = findDropListCombo(dlg, comboId);
    QString text;
    if (!combo || !FindListCtrl(dlg, listId) || !GetListCellText(dlg, listId, text, row, column))
        return 0;
    return combo->SelectString(0, text) >= 0 ? 1 : 0;
}

int ComboToListCell(QWidget* dlg, int listId, CDropListCombo* combo, int row, int column,
                    bool clear) {
    if (!combo || !FindListCtrl(dlg, listId))
        return 0;
    QString text = combo->GetWindowText();
    SetListCellText(dlg, listId, text, row, column, false);
    if (clear)
        combo->SetCurSel(-1);
    return 1;
}

int DropListComboToListCell(QWidget* dlg, int listId, int comboId, int row, int column,
                            bool clear) {
    return ComboToListCell(dlg, listId, findDropListCombo(dlg, comboId), row, column, clear);
}
