#include "controls/ListExchange.h"

#include "controls/ListCtrl.h"
#include "controls/RecordTable.h"
#include "framework/ControlId.h"
#include "framework/DataExchange.h"
#include "framework/MessageBox.h"
#include "sdk/StringTable.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace {
constexpr int kConfirmDeleteString = 113;
}

CListCtrl* FindListCtrl(QWidget* dlg, int listId) {
    return dlg ? qobject_cast<CListCtrl*>(GetDlgItem(dlg, listId)) : nullptr;
}

QString GetControlText(const QWidget* control) {
    if (auto* line = qobject_cast<const QLineEdit*>(control)) {
        return line->text();
    }
    if (auto* plain = qobject_cast<const QPlainTextEdit*>(control)) {
        return kestrel::PlainText(plain);
    }
    if (auto* rich = qobject_cast<const QTextEdit*>(control)) {
        return rich->toPlainText();
    }
    if (auto* combo = qobject_cast<const QComboBox*>(control)) {
        return combo->currentText();
    }
    if (auto* date = qobject_cast<const QDateTimeEdit*>(control)) {
        return date->text();
    }
    if (auto* button = qobject_cast<const QAbstractButton*>(control)) {
        return button->text();
    }
    if (auto* label = qobject_cast<const QLabel*>(control)) {
        return label->text();
    }
    if (auto* group = qobject_cast<const QGroupBox*>(control)) {
        return group->title();
    }
    return control ? control->windowTitle() : QString();
}

void SetControlText(QWidget* control, const QString& text) {
    if (auto* line = qobject_cast<QLineEdit*>(control)) {
        if (line->text() != text) {
            line->setText(text);
        }
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) {
        if (kestrel::PlainText(plain) != text) {
            plain->setPlainText(text);
        }
    } else if (auto* rich = qobject_cast<QTextEdit*>(control)) {
        rich->setPlainText(text);
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        if (combo->isEditable()) {
            combo->setEditText(text);
        } else {
            combo->setCurrentIndex(combo->findText(text, Qt::MatchExactly));
        }
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
        group->setTitle(text);
    } else if (control) {
        control->setWindowTitle(text);
    }
}

int SetListCellText(QWidget* dlg, int listId, QString& text, int row, int column, bool clear) {
    CListCtrl* list = FindListCtrl(dlg, listId);
    if (!list) {
        return 0;
    }
    list->SetItemText(row, column, text);
    if (clear) {
        text.clear();
    }
    return 1;
}

int GetListCellText(QWidget* dlg, int listId, QString& text, int row, int column) {
    CListCtrl* list = FindListCtrl(dlg, listId);
    if (!list) {
        return 0;
    }
    text = list->GetItemText(row, column);
    return 1;
}

int EditToListCell(QWidget* dlg, int listId, int editId, int row, int column, bool clear) {
    CListCtrl* list = FindListCtrl(dlg, listId);
    QWidget* edit = dlg ? GetDlgItem(dlg, editId) : nullptr;
    if (!list || !edit) {
        return 0;
    }
    list->SetItemText(row, column, GetControlText(edit));
    if (clear) {
        SetControlText(edit, QString());
    }
    return 1;
}

int ListCellToEdit(QWidget* dlg, int listId, int editId, int row, int column) {
    CListCtrl* list = FindListCtrl(dlg, listId);
    QWidget* edit = dlg ? GetDlgItem(dlg, editId) : nullptr;
    if (!list || !edit) {
        return 0;
    }
    SetControlText(edit, list->GetItemText(row, column));
    return 1;
}

int CheckToListCell(QWidget* dlg, int listId, int checkId, int row, int column, bool clear) {
    CListCtrl* list = FindListCtrl(dlg, listId);
    auto* box = dlg ? qobject_cast<QAbstractButton*>(GetDlgItem(dlg, checkId)) : nullptr;
    if (!list || !box) {
        return 0;
    }
    list->SetItemText(row, column, box->isChecked() ? QStringLiteral("Y") : QStringLiteral("N"));
    if (clear) {
        box->setChecked(false);
    }
    return 1;
}

int ListCellToCheck(QWidget* dlg, int listId, int checkId, int row, int column) {
    CListCtrl* list = FindListCtrl(dlg, listId);
    auto* box = dlg ? qobject_cast<QAbstractButton*>(GetDlgItem(dlg, checkId)) : nullptr;
    if (!list || !box) {
        return 0;
    }
    box->setChecked(
        list->GetItemText(row, column).compare(QStringLiteral("Y"), Qt::CaseInsensitive) == 0);
    return 1;
}

int ComboToListCell(QWidget* dlg, int listId, int comboId, int row, int column, bool clear) {
    CListCtrl* list = FindListCtrl(dlg, listId);
    auto* combo = dlg ? qobject_cast<QComboBox*>(GetDlgItem(dlg, comboId)) : nullptr;
    if (!list || !combo) {
        return 0;
    }
    list->SetItemText(row, column, combo->currentText());
    if (clear) {
        combo->setCurrentIndex(-1);
    }
    return 1;
}

int ListCellToCombo(QWidget* dlg, int listId, int comboId, int row, int column) {
    CListCtrl* list = FindListCtrl(dlg, listId);
    auto* combo = dlg ? qobject_cast<QComboBox*>(GetDlgItem(dlg, comboId)) : nullptr;
    if (!list || !combo) {
        return 0;
    }
    const QString text = list->GetItemText(row, column);
    const int count = combo->count();
    // The search starts after item 0 and wraps round to it, so item 0 is tried last.
    for (int step = 1; step <= count; ++step) {
        const int item = step % count;
        if (combo->itemText(item).startsWith(text, Qt::CaseInsensitive)) {
            combo->setCurrentIndex(item);
            return 1;
        }
    }
    return 0;
}

int GetSelectedListItem(QWidget* dlg, int listId) {
    CListCtrl* list = FindListCtrl(dlg, listId);
    return list ? list->GetNextSelectedItem(-1) : -1;
}

int DeleteSelectedListItem(QWidget* dlg, int listId, bool confirm) {
    CListCtrl* list = FindListCtrl(dlg, listId);
    if (!list) {
        return 0;
    }
    const int row = list->GetNextSelectedItem(-1);
    if (row < 0) {
        list->setFocus(Qt::OtherFocusReason);
        return 0;
    }
    if (confirm &&
        kestrel::MessageBox(dlg, GetRCString(kConfirmDeleteString), QStringLiteral("Message"),
                            kestrel::MB_YESNO | kestrel::MB_ICONQUESTION |
                                kestrel::MB_DEFBUTTON2) != kestrel::IDYES) {
        list->setFocus(Qt::OtherFocusReason);
        return 0;
    }
    list->DeleteItem(row);
    list->setFocus(Qt::OtherFocusReason);
    return 1;
}

int DDX_ListTable(CDataExchange* pDX, int listId, RecordTable& table) {
    CListCtrl* list = pDX ? FindListCtrl(pDX->m_pDlgWnd, listId) : nullptr;
    if (!list) {
        return 0;
    }
    if (!pDX->m_bSaveAndValidate) {
        list->SetTable(table);
        return 1;
    }
    const RecordTable& shown = list->Table();
    if (shown.GetColumnCount() == table.GetColumnCount()) {
        table = shown; // shares the rows
        return 1;
    }
    // A table narrower or wider than the list takes the columns both have.
    const int columns = qMin(table.GetColumnCount(), shown.GetColumnCount());
    table.RemoveAll();
    for (int row = 0; row < shown.GetRowCount(); ++row) {
        RecordRow& record = table.AppendRow();
        for (int column = 0; column < columns; ++column) {
            record.SetCell(column, shown.GetCell(row, column));
        }
        record.SetItemData(shown.GetItemData(row));
    }
    return 1;
}
