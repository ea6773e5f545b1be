#pragma once
// CComboDropList: the popup list of a CDropListCombo. It draws the rows in view straight from
// the combo's list source, scrolls, follows the mouse, is resized by dragging its lower or upper
// right corner (flipping to the other side of the combo and snapping to whole rows), scrolls by
// itself while a button is held beyond its edges, searches incrementally as the user types, and
// slides open.
//
// It is a Qt popup window: while it is open Qt hands it every mouse event, inside or outside,
// which is how a click elsewhere closes it, and the keys typed while it is open.

#include <QElapsedTimer>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>

class CDropListCombo;
class CListSource;
class QScrollBar;

class CComboDropList : public QWidget {
    Q_OBJECT
public:
    static constexpr int kBorder = 1;
    static constexpr int kScrollBarId = 111;
    static constexpr int kInitialRows = 10;
    static constexpr int kMinimumSize = 30;
    static constexpr int kGripSize = 4; // the resizing corners, in pixels from the edges
    static constexpr int kSearchResetMs = 4000;
    static constexpr int kSlideSteps = 10;
    static constexpr int kSlideStepMs = 8;
    static constexpr int kWheelRows = 3;
    static constexpr int kTextIndent = 2; // text and caret start this far into a row

    enum class Corner { None, BottomRight, TopRight };

    // Create: the popup belongs to the combo and lives as long as it.
    explicit CComboDropList(CDropListCombo* combo);
    ~CComboDropList() override;

    void Open();
    void Close();
    bool IsOpen() const { return isVisible(); }

    // A key typed into the combo or into the open popup: moves the choice, searches, opens or
    // closes. False when the key is not ours (Enter and Escape on a closed list go on to the
    // dialog).
    bool ProcessKeyPress(QKeyEvent* event);
    // Moves the highlight by one of the list keys (Up, Down, Page Up/Down, Home, End) or closes
    // (Tab, Enter, Escape). A real key press also chooses the row; the keys the auto-scroll
    // sends itself only move the highlight.
    void KeyDown(int key, bool realKey);
    // One typed character of the incremental search; '\b' takes the last one back.
    void SearchChar(QChar c);
    // The combo's choice changed while the list is closed: the next key starts from it.
    void FollowSelection();

    int ItemHeight() const { return m_nItemHeight; }
    int VisibleRows() const { return m_nVisibleRows; }
    int Highlighted() const { return m_nHighlighted; }
    // The first row in view.
    int TopIndex() const;
    // How many rows are in view (fewer than VisibleRows at the end of a short list).
    int RowsInView() const;
    // A row's text ("" outside the list).
    QString RowText(int index) const;
    CDropListCombo* Combo() const { return m_pCombo; }
    bool OpensBelow() const { return m_bOpensBelow; }
    bool IsSizing() const { return m_bSizing; }
    bool IsSliding() const { return m_bAnimating; }
    // Where the popup goes (screen coordinates), whether or not the slide has got there yet.
    QRect TargetGeometry() const { return m_target.rect(); }
    // The characters typed so far, "" once four seconds have passed since the last one.
    QString SearchText() const;
    // The search caret, in popup coordinates; null when none is shown.
    QRect CaretRect() const;
    // Row under a point in popup coordinates (may lie past the last row).
    int ItemAt(const QPoint& pos) const;
    // A row's rectangle in popup coordinates, as drawn.
    QRect ItemRect(int index) const;
    // The part of the popup that shows rows (inside the border, left of the scroll bar).
    QRect ListRect() const;
    QScrollBar* ScrollBar() const { return m_pScrollBar; }

    // Milliseconds from any fixed origin; tests replace it to let the search expire at once.
    using Clock = std::function<qint64()>;
    void SetSearchClock(Clock clock);

    // Whether popups slide open (on by default; tests and benchmarks turn it off to see the
    // final placement at once).
    static void SetSlideEnabled(bool enabled);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Screen rectangle with exclusive right and bottom, as the placement arithmetic wants it.
    struct Box {
        int left, top, right, bottom;
        int height() const { return bottom - top; }
        QRect rect() const { return QRect(left, top, right - left, bottom - top); }
        bool operator==(const Box&) const = default;
    };

    CListSource* Source() const;
    int Count() const;
    void MeasureItemHeight();
    Box ComboBox() const;
    Box LayoutFor(Box box);
    void PlaceAt(Box box, bool sliding);
    void EnsureHighlightVisible();
    void AnnounceHighlight();
    void SlideStep();
    Corner CornerAt(const QPoint& pos) const;
    void UpdateCursor(const QPoint& pos);
    void AutoScrollCheck(const QPoint& globalPos);
    void HandlePress(const QPoint& pos);
    void HandleMove(const QPoint& pos, const QPoint& globalPos, bool buttonDown);
    void HandleRelease(const QPoint& pos, const QPoint& globalPos);
    void OnSearchTimer();
    bool SearchExpired() const;
    void ResetMouseState();

    CDropListCombo* m_pCombo;
    QScrollBar* m_pScrollBar;
    int m_nVisibleRows = kInitialRows;
    int m_nItemHeight = 16;
    int m_nHighlighted = -1;
    QPoint m_ptDown{-1, -1};     // popup coordinates of the button-down; (-1, -1) = none
    QPoint m_ptLastMove{-1, -1}; // screen coordinates of the last move with a button down
    bool m_bSizing = false;
    Corner m_corner = Corner::None;
    bool m_bOpensBelow = true;
    bool m_bAnimating = false;
    bool m_bClosing = false;
    Box m_target{0, 0, 0, 0};
    int m_nSlideStep = 0;
    QTimer m_autoScrollTimer; // the list keeps moving while the button is held outside
    QTimer m_searchTimer;     // wipes the search text (and its caret) after a pause
    QTimer m_slideTimer;
    QString m_strSearch;
    qint64 m_lastSearchKey = 0;
    Clock m_clock;
    QElapsedTimer m_elapsed;
};
