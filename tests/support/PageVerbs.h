#pragma once
// What a user does with a page and sees of it, for the widget tests: typing, the record list's
// rows, and the text of what the page would write.

#include "controls/RecordListCtrl.h"
#include "controls/RecordTable.h"
#include "sdk/StringTable.h"

#include <QLineEdit>
#include <QTest>
#include <pugixml.hpp>

#include <sstream>

// Types into the field as the user does, after clicking it; `replace` first clears a line edit.
inline void Type(QWidget* field, const QString& text, bool replace = false) {
    field->setFocus(Qt::MouseFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(field); edit && replace) {
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
    }
    QTest::keyClicks(field, text);
}

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

// The table's rows, cells joined by '|' and rows by '/'.
inline QString TableText(const RecordTable& table) {
    QStringList rows;
    for (int row = 0; row < table.GetRowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < table.GetColumnCount(); ++column)
            cells << table.GetCell(row, column);
        rows << cells.join('|');
    }
    return rows.join('/');
}

// The element as the file would hold it, without indentation.
inline QString XmlText(pugi::xml_node node) {
    std::ostringstream out;
    node.print(out, "", pugi::format_raw);
    return QString::fromStdString(out.str());
}

// One line of a box that lists failed checks.
inline QString Line(int stringId) {
    return GetRCString(stringId) + QLatin1Char('\n');
}
