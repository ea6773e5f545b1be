#pragma once
// CRecordListCtrl: the list of a record page's stored records.
//
// It marks the row whose record the page's fields show (m_nCurrentItem): white on blue, every
// other row black on light grey. The selection stays where it is, only not shown, so the page
// still finds the selected row. The colours are worked out from m_nCurrentItem and the
// selection as each row is drawn; drawing changes nothing. One mouse click on a row activates it
// (itemActivated); moving with the keyboard selects without activating, and Enter or Space then
// activates the row the keyboard is on, as the click would.

#include "controls/ListCtrl.h"

class CRecordListCtrl : public CListCtrl {
    Q_OBJECT
public:
    static inline const QColor kCurrentText{255, 255, 255};
    static inline const QColor kCurrentBackground{0, 0, 255};
    static inline const QColor kOtherText{0, 0, 0};
    static inline const QColor kOtherBackground{238, 238, 238};

    // How one row is painted: the system's selection colours, or the list's own pair.
    struct RowPaint {
        bool systemColors = false;
        QColor background;
        QColor text;
    };

    explicit CRecordListCtrl(QWidget* parent = nullptr);
    ~CRecordListCtrl() override;

    // Row whose record the page's fields show; -1 = a new record. The page sets it; the list only
    // reads it when painting.
    int m_nCurrentItem = -1;

    RowPaint GetRowPaint(int row) const;

    // Also selects the current row when no row is selected.
    void RedrawList() override;

signals:
    // A single mouse click on a row, or Enter or Space on the keyboard's row.
    void itemActivated(int row);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};
