#pragma once
// CHoverButton: the record buttons of the pages, drawn by the button itself.
//
// A 16x16 icon left of the caption, a flat face that shows a raised edge while the mouse is over
// it and a sunken edge while pressed (icon and caption then shift by one pixel), and caption and
// face colours the page can change: a page turns the captions blue while a record is loaded and
// back afterwards. These buttons are never default buttons.

#include <QColor>
#include <QPixmap>
#include <QPushButton>
#include <array>

class CHoverButton : public QPushButton {
    Q_OBJECT
public:
    // Colour slots.
    enum StateColor : int {
        BTNST_COLOR_BK_IN = 0,    // face while hovered or pressed
        BTNST_COLOR_FG_IN = 1,    // caption while hovered or pressed
        BTNST_COLOR_BK_OUT = 2,   // face normally
        BTNST_COLOR_FG_OUT = 3,   // caption normally
        BTNST_COLOR_BK_FOCUS = 4, // face while focused
        BTNST_COLOR_FG_FOCUS = 5, // caption while focused
        BTNST_MAX_COLORS = 6,
    };
    // Answer of SetStateColor for a slot that does not exist.
    static constexpr int BTNST_INVALIDINDEX = 3;
    static constexpr int kImageMargin = 3;

    explicit CHoverButton(QWidget* parent = nullptr);
    explicit CHoverButton(const QString& caption, QWidget* parent = nullptr);
    ~CHoverButton() override;

    // Loads the icon resource with this number (":/icons/<id>.png"); the second icon is not
    // used. Answers 0, or 1 when there is no such icon (the button then has none).
    int SetIconResource(int iconId, int iconIdOut = 0);
    int SetFlatStyle(bool flat, bool repaint = true);
    bool IsFlatStyle() const { return m_bIsFlat; }
    // Whether flat buttons show their edge on hover and press (default true).
    void SetDrawEdge(bool drawEdge) { m_bDrawBorder = drawEdge; }
    // Slot 0..5; answers 0, or BTNST_INVALIDINDEX (3) for a slot of 6 or more, changing nothing.
    int SetStateColor(int index, const QColor& color, bool repaint = true);
    QColor GetStateColor(int index) const;
    // Faces (0, 2, 4) back to the system's button face, captions (1, 3, 5) to its button text.
    int ResetStateColors(bool repaint = true);

    bool IsHovered() const { return m_bMouseOnButton; }
    QSize iconSizeDrawn() const { return m_icon.isNull() ? QSize() : m_iconSize; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

    // The drawing steps, in order.
    virtual void PaintFace(QPainter& painter, QRect& face);
    virtual void PaintEdge(QPainter& painter, const QRect& face);
    virtual void PaintIcon(QPainter& painter, const QRect& button, QRect& captionArea);
    virtual void PaintCaption(QPainter& painter, const QRect& captionArea);
    // A flat button's frame while it has the focus from the keyboard.
    void PaintFocusFrame(QPainter& painter, const QRect& button);

private:
    void init();
    void endHover();
    void moveFocusOnward();
    void followSystemColors();

    bool m_bIsFlat = false;
    bool m_bMouseOnButton = false;
    bool m_bDrawBorder = true;
    bool m_bExplicitlyDisabled = false;
    // The focus came some other way than by a mouse click: a flat button then shows a frame in
    // the theme's focus colour, so a keyboard user sees where the focus is. (Clicked, the button
    // looks as it always did.)
    bool m_bKeyboardFocus = false;
    QPixmap m_icon;
    QPixmap m_iconDisabled;
    QSize m_iconSize;
    std::array<QColor, BTNST_MAX_COLORS> m_crColors;
    // The system's button colours when the slots were last reset.
    QColor m_systemFace;
    QColor m_systemText;
};
