#pragma once
// What a user does with a record list and sees of it, for the widget tests.

#include "controls/RecordListCtrl.h"

#include <QTest>

// Clicks the first cell of a list row, as the user loads a record.
inline void ClickRow(CRecordListCtrl* list, int row) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->GetSubItemRect(row, 0).center());
}

// The row drawn as the one the form holds (its own colours, or the system's selection colours
// while the user works in the list), or -1: what the user sees of the list's current record.
inline int MarkedRow(const CRecordListCtrl* list) {
    for (int row = 0; row < list->GetItemCount(); ++row) {
        const CRecordListCtrl::RowPaint paint = list->GetRowPaint(row);
        if (paint.systemColors || paint.background != CRecordListCtrl::kOtherBackground)
            return row;
    }
    return -1;
}
