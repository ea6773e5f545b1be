#pragma once
// CEditableListCtrl: a report list whose cells are edited where they stand.
//
// A click on a cell opens a small editor exactly over it: a drop-down of fixed choices
// (CInPlaceCombo) for the columns the page names, a text field (CInPlaceEdit) otherwise. Enter,
// leaving the editor or clicking elsewhere stores the text in the cell; Escape leaves the cell
// as it was. F2 opens the editor on the current cell, as a click does. The Delete key removes the
// row with the selection mark.

#include "controls/ListCtrl.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStringList>

class CEditableListCtrl : public CListCtrl {
    Q_OBJECT
public:
    explicit CEditableListCtrl(QWidget* parent = nullptr);
    ~CEditableListCtrl() override;

    // Answers 1 for a column edited with the drop-down; null = every column takes text.
    int (*m_pfnIsComboColumn)(int column) = nullptr;
    // The drop-down's choices, in display order.
    QStringList m_comboItems;

    // Opens the editor on the cell, as a click does; false when the cell is not in the list.
    bool EditSubItem(int row, int column);
    bool IsComboColumn(int column) const;

signals:
    // A cell's text was stored by an in-place editor.
    void cellEdited(int row, int column);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// The text-field editor. It grows to the right while the text outgrows it, up to the list's
// edge.
class CInPlaceEdit : public QLineEdit {
    Q_OBJECT
public:
    static constexpr int kControlId = 4660;

    CInPlaceEdit(int row, int column, const QString& initialText, QWidget* parent);
    ~CInPlaceEdit() override;

    int row() const { return m_nRow; }
    int column() const { return m_nColumn; }
    QString initialText() const { return m_strInitText; }
    // The width the text asks for (0 until the text outgrew the cell).
    int wantedWidth() const { return m_wantedWidth; }

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    void widenToText();

    int m_nRow;
    int m_nColumn;
    QString m_strInitText;
    int m_wantedWidth = 0;
    bool m_bFirstFocus = true;
};

// The drop-down editor: a list of fixed choices, dropped open at once; choosing ends the edit.
class CInPlaceCombo : public QComboBox {
    Q_OBJECT
public:
    static constexpr int kControlId = 4661;

    CInPlaceCombo(int row, int column, const QStringList& items, QWidget* parent);
    ~CInPlaceCombo() override;

    int row() const { return m_nRow; }
    int column() const { return m_nColumn; }

    void hidePopup() override;

signals:
    // The drop-down part closed: the edit is over.
    void closedUp();

private:
    int m_nRow;
    int m_nColumn;
};
