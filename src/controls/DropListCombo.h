#pragma once
// CDropListCombo: a drop-down list box for very long lists (the road table). The box itself
// holds only the one selected text; the list stays in its CListSource and is shown by a popup
// of our own (CComboDropList) that draws only the rows in view, so a million roads open,
// scroll and search at once.
//
// Selection is an index into the source: GetCurSel / SetCurSel (-1 = nothing chosen). The
// chosen text is the box's current text (GetWindowText). Keys typed into the box, open or not,
// move the selection or search the list incrementally, as a drop-down list does.

#include <QComboBox>
#include <QString>

class CListSource;
class CComboDropList;

class CDropListCombo : public QComboBox {
    Q_OBJECT
public:
    explicit CDropListCombo(QWidget* parent = nullptr);
    ~CDropListCombo() override;

    // The list to choose from; not owned; null empties the choice.
    void SetItemSource(CListSource* source);
    CListSource* GetItemSource() const { return m_pSource; }

    // The source's row count; 0 without a source.
    virtual int GetCount() const;
    // The source's FindString; 0 without a source.
    virtual int FindString(int start, const QString& text) const;
    // The chosen row, -1 when nothing is chosen.
    virtual int GetCurSel() const;
    // Chooses a row and returns the previous choice. A row outside the source (-1 among them)
    // empties the box and returns -1.
    virtual int SetCurSel(int index);
    // FindString, and the row found (if any) becomes the choice; returns the row found or -1.
    virtual int SelectString(int start, const QString& text);

    QString GetWindowText() const { return currentText(); }

    // The popup, made on first need and kept for the combo's life.
    CComboDropList* DropList();
    bool HasDropList() const { return m_pDropList != nullptr; }
    bool IsDroppedDown() const;

    // Open and close our popup (also what accessibility actions call); the box's own list view
    // never opens.
    void showPopup() override;
    void hidePopup() override;

protected:
    void initStyleOption(QStyleOptionComboBox* option) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    CListSource* m_pSource = nullptr;
    CComboDropList* m_pDropList = nullptr;
};
