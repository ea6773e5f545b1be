// The drop-list combo as a user meets it: real key presses and mouse clicks on the box and its
// popup, the incremental search with its caret and pause, where the popup opens, and resizing
// it by its corner.
#include "controls/DropListCombo.h"
#include "controls/ComboDropList.h"
#include "controls/ListSource.h"
#include "framework/WindowClass.h"

#include <QAccessible>
#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <QWindow>

#include <memory>

namespace {

QStringList roadNames() {
    QStringList names = {"Abbey Road",    "ABBOTT LANE",  "abingdon way",
                         "Acacia Avenue", "Baker Street", "Bakery Close",
                         "Barton Road",   "Cable Street", "Canal Walk"};
    // Enough rows to scroll: "Dock 000" .. "Dock 199", "mill 000" .. "mill 049".
    for (int i = 0; i < 200; ++i)
        names << QStringLiteral("Dock %1").arg(i, 3, 10, QLatin1Char('0'));
    for (int i = 0; i < 50; ++i)
        names << QStringLiteral("mill %1").arg(i, 3, 10, QLatin1Char('0'));
    names << QStringLiteral("Zephyr Row");
    return names;
}

// A million synthetic rows made on demand, counting what is read.
class MillionRoads : public CListSource {
public:
    int GetCount() const override { return 1000000; }
    QString GetText(int index) const override {
        ++reads;
        if (index < 0 || index >= GetCount())
            return QString();
        return QStringLiteral("Road %1").arg(index, 7, 10, QLatin1Char('0'));
    }
    bool IsSorted() const override { return true; }
    mutable int reads = 0;
};

// Records the keys that reach the dialog around the combo.
class Form : public QWidget {
public:
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent* event) override { keys << event->key(); }
};

} // namespace

class DropListComboTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void choosingByIndex();
    void withoutASourceNothingIsChosen();
    void listKeysMoveTheChoiceOnAClosedBox();
    void altArrowsAndF4OpenClosingKeysKeepTheChoice();
    void enterAndEscapeOnAClosedBoxGoToTheDialog();
    void typingSearchesWithTheCaretAfterTheMatch();
    void searchStartsAfreshAfterFourSeconds();
    void repeatingALetterWalksItsRows();
    void backspaceStepsBackToAnEarlierMatch();
    void aLetterNoRowStartsWithIsForgotten();
    void mouseOpensChoosesAndClosesOutside();
    void hoverMovesOnlyTheHighlight();
    void eventsThroughTheWindowsReachThePopup();
    void popupOpensBelowAboveOrAgainstTheScreenEdge();
    void draggingTheCornerFlipsSnapsAndIsRemembered();
    void aListTallerThanTheScreenShrinksToFit();
    void holdingTheButtonBelowTheListScrollsIt();
    void scrollBarAndWheelScrollWithoutChoosing();
    void aMillionRowsAreNeverCopied();
    void popupSlidesOpenToItsPlace();
    void namesForTheLogAndScreenReaders();
    void disablingTheBoxDisablesThePopup();

private:
    void showCombo(int x, int y, int comboHeight = -1);
    CComboDropList* popup() { return m_combo->DropList(); }
    int indexOf(const QString& text) const { return roadNames().indexOf(text); }

    CStringListSource m_roads;
    std::unique_ptr<Form> m_form;
    CDropListCombo* m_combo = nullptr;
    qint64 m_now = 0;
};

void DropListComboTest::initTestCase() {
    m_roads.SetItems(roadNames(), false);
    m_roads.Sort();
    QCOMPARE(m_roads.GetText(0), QStringLiteral("Abbey Road"));
    // The test names are already in order, so indexes in roadNames() are the source's.
    for (int i = 0; i < m_roads.GetCount(); ++i)
        QCOMPARE(m_roads.GetText(i), roadNames().at(i));
}

void DropListComboTest::init() {
    CComboDropList::SetSlideEnabled(false);
    m_form = std::make_unique<Form>();
    m_combo = new CDropListCombo(m_form.get());
    m_combo->SetItemSource(&m_roads);
    m_now = 100000;
    popup()->SetSearchClock([this] { return m_now; });
}

void DropListComboTest::cleanup() {
    m_form.reset();
    m_combo = nullptr;
    CComboDropList::SetSlideEnabled(true);
}

void DropListComboTest::showCombo(int x, int y, int comboHeight) {
    const int height = comboHeight > 0 ? comboHeight : m_combo->sizeHint().height();
    m_combo->setGeometry(10, 10, 220, height);
    m_form->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    m_form->setGeometry(x, y, 240, height + 20);
    m_form->show();
    m_form->activateWindow(); // no window manager does it under a bare X server
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    m_combo->setFocus();
    QTRY_VERIFY(m_combo->hasFocus());
}

void DropListComboTest::choosingByIndex() {
    QCOMPARE(m_combo->GetCurSel(), -1);
    QCOMPARE(m_combo->GetCount(), m_roads.GetCount());
    QCOMPARE(m_combo->SetCurSel(3), -1);
    QCOMPARE(m_combo->GetCurSel(), 3);
    QCOMPARE(m_combo->GetWindowText(), QStringLiteral("Acacia Avenue"));
    QCOMPARE(m_combo->count(), 1); // the box holds the chosen text only
    QCOMPARE(m_combo->SetCurSel(7), 3);
    QCOMPARE(m_combo->GetWindowText(), QStringLiteral("Cable Street"));

    // -1 (and any row outside the source) empties the field.
    QCOMPARE(m_combo->SetCurSel(-1), -1);
    QCOMPARE(m_combo->GetCurSel(), -1);
    QCOMPARE(m_combo->GetWindowText(), QString());
    QCOMPARE(m_combo->count(), 0);
    m_combo->SetCurSel(2);
    QCOMPARE(m_combo->SetCurSel(m_roads.GetCount()), -1);
    QCOMPARE(m_combo->GetCurSel(), -1);

    // SelectString finds ignoring case; an empty text selects the first row.
    QCOMPARE(m_combo->SelectString(0, QStringLiteral("BAKERY")), 5);
    QCOMPARE(m_combo->GetWindowText(), QStringLiteral("Bakery Close"));
    QCOMPARE(m_combo->SelectString(0, QStringLiteral("nowhere")), -1);
    QCOMPARE(m_combo->GetCurSel(), 5);
    QCOMPARE(m_combo->SelectString(0, QString()), 0);
    QCOMPARE(m_combo->GetCurSel(), 0);
    QCOMPARE(m_combo->FindString(6, QStringLiteral("ba")), 6);
    QCOMPARE(m_combo->FindString(7, QStringLiteral("ba")), 4); // wraps around
}

void DropListComboTest::withoutASourceNothingIsChosen() {
    m_combo->SetItemSource(nullptr);
    QCOMPARE(m_combo->GetCount(), 0);
    QCOMPARE(m_combo->FindString(0, QStringLiteral("a")), 0);
    QCOMPARE(m_combo->SetCurSel(0), -1);
    QCOMPARE(m_combo->GetCurSel(), -1);
    showCombo(50, 50);
    QTest::keyClick(m_combo, Qt::Key_Down);
    QTest::keyClicks(m_combo, QStringLiteral("ab"));
    QCOMPARE(m_combo->GetCurSel(), -1);
}

void DropListComboTest::listKeysMoveTheChoiceOnAClosedBox() {
    showCombo(50, 50);
    const int last = m_roads.GetCount() - 1;
    QTest::keyClick(m_combo, Qt::Key_Down); // nothing chosen yet: the first row
    QCOMPARE(m_combo->GetCurSel(), 0);
    QTest::keyClick(m_combo, Qt::Key_Up); // stays on the first row
    QCOMPARE(m_combo->GetCurSel(), 0);
    QTest::keyClick(m_combo, Qt::Key_Down);
    QTest::keyClick(m_combo, Qt::Key_Down);
    QCOMPARE(m_combo->GetCurSel(), 2);
    QCOMPARE(m_combo->GetWindowText(), QStringLiteral("abingdon way"));
    QTest::keyClick(m_combo, Qt::Key_PageDown); // a page is the visible rows less one
    QCOMPARE(m_combo->GetCurSel(), 2 + CComboDropList::kInitialRows - 1);
    QTest::keyClick(m_combo, Qt::Key_End);
    QCOMPARE(m_combo->GetCurSel(), last);
    QTest::keyClick(m_combo, Qt::Key_Down);
    QCOMPARE(m_combo->GetCurSel(), last);
    QTest::keyClick(m_combo, Qt::Key_PageUp);
    QCOMPARE(m_combo->GetCurSel(), last - CComboDropList::kInitialRows + 1);
    QTest::keyClick(m_combo, Qt::Key_Home);
    QCOMPARE(m_combo->GetCurSel(), 0);

    // Page Down near the end stops on the last row.
    m_combo->SetCurSel(last - 3);
    QTest::keyClick(m_combo, Qt::Key_Escape); // closed: nothing happens to the choice
    QTest::keyClick(m_combo, Qt::Key_PageDown);
    QCOMPARE(m_combo->GetCurSel(), last);
    QVERIFY(!m_combo->IsDroppedDown());
}

void DropListComboTest::altArrowsAndF4OpenClosingKeysKeepTheChoice() {
    showCombo(50, 50);
    m_combo->SetCurSel(4);
    QTest::keyClick(m_combo, Qt::Key_Down, Qt::AltModifier);
    QVERIFY(m_combo->IsDroppedDown());
    QCOMPARE(popup()->Highlighted(), 4);
    QCOMPARE(m_combo->GetCurSel(), 4); // opening chooses nothing

    // Keys now reach the open popup.
    QTest::keyClick(popup(), Qt::Key_Down);
    QTest::keyClick(popup(), Qt::Key_Down);
    QCOMPARE(m_combo->GetCurSel(), 6);
    QCOMPARE(popup()->Highlighted(), 6);
    QTest::keyClick(popup(), Qt::Key_Escape); // closes; Escape does not undo
    QVERIFY(!m_combo->IsDroppedDown());
    QCOMPARE(m_combo->GetCurSel(), 6);
    QCOMPARE(popup()->Highlighted(), -1);

    QTest::keyClick(m_combo, Qt::Key_F4);
    QVERIFY(m_combo->IsDroppedDown());
    QTest::keyClick(popup(), Qt::Key_F4);
    QVERIFY(!m_combo->IsDroppedDown());

    QTest::keyClick(m_combo, Qt::Key_PageUp, Qt::AltModifier);
    QVERIFY(m_combo->IsDroppedDown());
    QTest::keyClick(popup(), Qt::Key_Up);
    QTest::keyClick(popup(), Qt::Key_Return);
    QVERIFY(!m_combo->IsDroppedDown());
    QCOMPARE(m_combo->GetCurSel(), 5);

    // Tab closes the list and leaves the focus on the box.
    QTest::keyClick(m_combo, Qt::Key_Up, Qt::AltModifier);
    QVERIFY(m_combo->IsDroppedDown());
    QTest::keyClick(popup(), Qt::Key_Tab);
    QVERIFY(!m_combo->IsDroppedDown());
    QTRY_VERIFY(m_combo->hasFocus());
    QCOMPARE(m_combo->GetCurSel(), 5);

    // Other Alt combinations do nothing.
    QTest::keyClick(m_combo, Qt::Key_Home, Qt::AltModifier);
    QVERIFY(!m_combo->IsDroppedDown());
    QCOMPARE(m_combo->GetCurSel(), 5);
}

void DropListComboTest::enterAndEscapeOnAClosedBoxGoToTheDialog() {
    showCombo(50, 50);
    QTest::keyClick(m_combo, Qt::Key_Escape);
    QTest::keyClick(m_combo, Qt::Key_Return);
    QCOMPARE(m_form->keys, (QList<int>{Qt::Key_Escape, Qt::Key_Return}));
    QTest::keyClick(m_combo, Qt::Key_Down);
    QCOMPARE(m_form->keys.size(), 2); // list keys stay with the box
}

void DropListComboTest::typingSearchesWithTheCaretAfterTheMatch() {
    showCombo(50, 50);
    QTest::keyClick(m_combo, Qt::Key_F4);
    QVERIFY(m_combo->IsDroppedDown());
    QTest::keyClicks(popup(), QStringLiteral("ab"));
    // The first row beginning with "AB" in any capitals.
    QCOMPARE(m_combo->GetCurSel(), 0);
    QCOMPARE(m_combo->GetWindowText(), QStringLiteral("Abbey Road"));
    QCOMPARE(popup()->SearchText(), QStringLiteral("Ab")); // the row's own capitals
    QTest::keyClick(popup(), Qt::Key_I);
    QCOMPARE(m_combo->GetWindowText(), QStringLiteral("abingdon way"));
    QCOMPARE(popup()->SearchText(), QStringLiteral("abi"));
    QTest::keyClicks(popup(), QStringLiteral("NGDON W"));
    QCOMPARE(m_combo->GetCurSel(), 2);
    QCOMPARE(popup()->SearchText(), QStringLiteral("abingdon w"));

    // The caret stands right after the matched letters of the highlighted row.
    const QRect item = popup()->ItemRect(2);
    const QRect caret = popup()->CaretRect();
    QVERIFY(!caret.isNull());
    const QFontMetrics metrics(m_combo->font());
    QCOMPARE(caret.left(), item.left() + CComboDropList::kTextIndent +
                               metrics.horizontalAdvance(QStringLiteral("abingdon w")));
    QCOMPARE(caret.top(), item.top());
    QCOMPARE(caret.width(), 3);
    QCOMPARE(caret.height(), popup()->ItemHeight() - 2);

    // Typing on the closed box searches the same way.
    QTest::keyClick(popup(), Qt::Key_Escape);
    m_now += CComboDropList::kSearchResetMs;
    QTest::keyClicks(m_combo, QStringLiteral("bar"));
    QCOMPARE(m_combo->GetWindowText(), QStringLiteral("Barton Road"));
}

void DropListComboTest::searchStartsAfreshAfterFourSeconds() {
    showCombo(50, 50);
    QTest::keyClick(m_combo, Qt::Key_F4);
    QTest::keyClicks(popup(), QStringLiteral("ca"));
    QCOMPARE(m_combo->GetWindowText(), QStringLiteral("Cable Street"));
    m_now += CComboDropList::kSearchResetMs - 1; // a pause just short of four seconds
    QTest::keyClick(popup(), Qt::Key_N);
    QCOMPARE(m_combo->GetWindowText(), QStringLiteral("Canal Walk"));
    QCOMPARE(popup()->SearchText(), QStringLiteral("Can"));

    m_now += CComboDropList::kSearchResetMs;
    QCOMPARE(popup()->SearchText(), QString()); // the caret goes with it
    QVERIFY(popup()->CaretRect().isNull());
    QTest::keyClick(popup(), Qt::Key_Z);
    QCOMPARE(m_combo->GetWindowText(), QStringLiteral("Zephyr Row"));
    QCOMPARE(popup()->SearchText(), QStringLiteral("Z"));
}

void DropListComboTest::repeatingALetterWalksItsRows() {
    showCombo(50, 50);
    QTest::keyClick(m_combo, Qt::Key_B);
    QCOMPARE(m_combo->GetWindowText(), QStringLiteral("Baker Street"));
    QTest::keyClick(m_combo, Qt::Key_B); // no "bb": the next row beginning with "b"
    QCOMPARE(m_combo->GetWindowText(), QStringLiteral("Bakery Close"));
    QCOMPARE(popup()->SearchText(), QStringLiteral("B"));
    QTest::keyClick(m_combo, Qt::Key_B);
    QCOMPARE(m_combo->GetWindowText(), QStringLiteral("Barton Road"));
    QTest::keyClick(m_combo, Qt::Key_B); // past the last "b" row: back to the first
    QCOMPARE(m_combo->GetWindowText(), QStringLiteral("Baker Street"));
}

void DropListComboTest::backspaceStepsBackToAnEarlierMatch() {
    showCombo(50, 50);
    QTest::keyClicks(m_combo, QStringLiteral("bakery"));
    QCOMPARE(m_combo->GetWindowText(), QStringLiteral("Bakery Close"));
    QTest::keyClick(m_combo, Qt::Key_Backspace);
    QCOMPARE(popup()->SearchText(), QStringLiteral("Baker"));
    QCOMPARE(m_combo->GetWindowText(), QStringLiteral("Baker Street"));
    QTest::keyClicks(m_combo, QStringLiteral("\b\b\b\b"));
    QCOMPARE(popup()->SearchText(), QStringLiteral("B"));
    QTest::keyClick(m_combo, Qt::Key_Backspace); // nothing left to search for
    QCOMPARE(popup()->SearchText(), QString());
    QCOMPARE(m_combo->GetWindowText(), QStringLiteral("Baker Street"));
}

void DropListComboTest::aLetterNoRowStartsWithIsForgotten() {
    showCombo(50, 50);
    m_combo->SetCurSel(7);
    QTest::keyClick(m_combo, Qt::Key_Q);
    QCOMPARE(popup()->SearchText(), QString());
    QCOMPARE(m_combo->GetCurSel(), 7);
    // A full stop is searched for like any other character.
    QTest::keyClicks(m_combo, QStringLiteral("d."));
    QCOMPARE(m_combo->GetWindowText(), QStringLiteral("Dock 001"));
    QCOMPARE(popup()->SearchText(), QStringLiteral("D"));
}

void DropListComboTest::mouseOpensChoosesAndClosesOutside() {
    showCombo(50, 50);
    m_combo->SetCurSel(20);
    QTest::mouseClick(m_combo, Qt::LeftButton);
    QVERIFY(m_combo->IsDroppedDown());
    const int top = popup()->TopIndex();
    QVERIFY(top <= 20 && 20 < top + popup()->VisibleRows());

    QTest::mouseClick(popup(), Qt::LeftButton, {}, popup()->ItemRect(top + 2).center());
    QVERIFY(!m_combo->IsDroppedDown());
    QCOMPARE(m_combo->GetCurSel(), top + 2);
    QTRY_VERIFY(m_combo->hasFocus());

    // A click beside the open list closes it and chooses nothing.
    QTest::mouseClick(m_combo, Qt::LeftButton);
    QVERIFY(m_combo->IsDroppedDown());
    QTest::mouseClick(popup(), Qt::LeftButton, {}, QPoint(-20, popup()->height() / 2));
    QVERIFY(!m_combo->IsDroppedDown());
    QCOMPARE(m_combo->GetCurSel(), top + 2);

    // A double click closes too.
    QTest::mouseClick(m_combo, Qt::LeftButton);
    QVERIFY(m_combo->IsDroppedDown());
    QTest::mouseDClick(popup(), Qt::LeftButton, {}, popup()->ItemRect(top).center());
    QVERIFY(!m_combo->IsDroppedDown());
}

void DropListComboTest::hoverMovesOnlyTheHighlight() {
    showCombo(50, 50);
    m_combo->SetCurSel(0);
    QTest::mouseClick(m_combo, Qt::LeftButton);
    QCOMPARE(popup()->Highlighted(), 0);
    QTest::mouseMove(popup(), popup()->ItemRect(3).center());
    QCOMPARE(popup()->Highlighted(), 3);
    QCOMPARE(m_combo->GetCurSel(), 0);
    // The line between two rows belongs to the upper one.
    const QPoint boundary(popup()->ItemRect(5).center().x(),
                          CComboDropList::kBorder + 5 * popup()->ItemHeight());
    QCOMPARE(popup()->ItemAt(boundary), 4);
    // Enter closes without taking the hovered row.
    QTest::keyClick(popup(), Qt::Key_Return);
    QCOMPARE(m_combo->GetCurSel(), 0);
}

// Events given to the windows, not to the widgets, go through Qt's popup routing as a user's do:
// while the list is open it receives the keys and every click, also one on the box itself.
void DropListComboTest::eventsThroughTheWindowsReachThePopup() {
    showCombo(40, 100);
    QWindow* form = m_form->windowHandle();
    const QPoint onCombo = m_combo->mapTo(m_form.get(), m_combo->rect().center());
    QTest::mouseClick(form, Qt::LeftButton, {}, onCombo);
    QVERIFY(m_combo->IsDroppedDown());
    QTRY_VERIFY(popup()->windowHandle() && popup()->windowHandle()->isExposed());

    QTest::keyClick(form, Qt::Key_End);
    const int last = m_roads.GetCount() - 1;
    QCOMPARE(m_combo->GetCurSel(), last);
    // The keyboard focus stays with the box, so the highlight shows in the selection colour.
    const QImage shot = popup()->grab().toImage();
    const QRect row = popup()->ItemRect(last);
    const QPoint blank(row.right() - 2, row.center().y()); // right of the text
    QCOMPARE(shot.pixelColor(blank * shot.devicePixelRatio()),
             popup()->palette().color(QPalette::Highlight));
    QCOMPARE(shot.pixelColor(popup()->ItemRect(last - 1).topRight() + QPoint(-2, 2)),
             QColor(Qt::white));
    for (Qt::Key key : {Qt::Key_C, Qt::Key_A, Qt::Key_B})
        QTest::keyClick(form, key);
    QCOMPARE(m_combo->GetWindowText(), QStringLiteral("Cable Street"));
    QVERIFY(!popup()->CaretRect().isNull());

    // A click on the box while the list is open closes it, and does not open it again.
    QTest::mouseClick(form, Qt::LeftButton, {}, onCombo);
    QVERIFY(!m_combo->IsDroppedDown());
    QTest::qWait(50);
    QVERIFY(!m_combo->IsDroppedDown());

    QTest::mouseClick(form, Qt::LeftButton, {}, onCombo);
    QVERIFY(m_combo->IsDroppedDown());
    QTRY_VERIFY(popup()->windowHandle()->isExposed());
    const int top = popup()->TopIndex();
    QTest::mouseClick(popup()->windowHandle(), Qt::LeftButton, {},
                      popup()->ItemRect(top + 1).center());
    QVERIFY(!m_combo->IsDroppedDown());
    QCOMPARE(m_combo->GetCurSel(), top + 1);

    // Escape with the list open goes to the list, not to the form.
    QTest::keyClick(form, Qt::Key_F4);
    QVERIFY(m_combo->IsDroppedDown());
    QTest::keyClick(form, Qt::Key_Escape);
    QVERIFY(!m_combo->IsDroppedDown());
    QVERIFY(m_form->keys.isEmpty());
    QTRY_VERIFY(m_combo->hasFocus());
}

void DropListComboTest::popupOpensBelowAboveOrAgainstTheScreenEdge() {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const int H = screen.height();
    const int rowHeight = popup()->ItemHeight();
    const int L = CComboDropList::kInitialRows * rowHeight + 2 * CComboDropList::kBorder;

    // Room below: it opens below, as wide as the box.
    showCombo(40, 40);
    QRect box(m_combo->mapToGlobal(QPoint(0, 0)), m_combo->size());
    QTest::keyClick(m_combo, Qt::Key_F4);
    QVERIFY(popup()->OpensBelow());
    QCOMPARE(popup()->geometry(), QRect(box.left(), box.bottom() + 1, box.width(), L));
    QTest::keyClick(popup(), Qt::Key_Escape);
    m_form->hide();

    // Near the bottom of the screen: above the box.
    showCombo(40, H - m_combo->sizeHint().height() - 25);
    box = QRect(m_combo->mapToGlobal(QPoint(0, 0)), m_combo->size());
    QTest::keyClick(m_combo, Qt::Key_F4);
    QVERIFY(!popup()->OpensBelow());
    QCOMPARE(popup()->geometry(), QRect(box.left(), box.top() - L, box.width(), L));
    QTest::keyClick(popup(), Qt::Key_Escape);
    m_form->hide();

    // Too close to both edges, more room below: against the bottom of the screen.
    showCombo(40, 10, H - 90); // box from y = 20 to H - 70
    box = QRect(m_combo->mapToGlobal(QPoint(0, 0)), m_combo->size());
    QVERIFY(box.top() - L < 0 && box.bottom() + 1 + L > H);
    QTest::keyClick(m_combo, Qt::Key_F4);
    QVERIFY(!popup()->OpensBelow());
    QCOMPARE(popup()->geometry(), QRect(box.left(), H - 1 - L, box.width(), L));
    QTest::keyClick(popup(), Qt::Key_Escape);
    m_form->hide();

    // More room above: against the top of the screen.
    showCombo(40, 50, H - 90); // box from y = 60 to H - 30
    box = QRect(m_combo->mapToGlobal(QPoint(0, 0)), m_combo->size());
    QTest::keyClick(m_combo, Qt::Key_F4);
    QVERIFY(!popup()->OpensBelow());
    QCOMPARE(popup()->geometry(), QRect(box.left(), 1, box.width(), L));
    QCOMPARE(popup()->VisibleRows(), CComboDropList::kInitialRows);
}

void DropListComboTest::draggingTheCornerFlipsSnapsAndIsRemembered() {
    showCombo(40, 200);
    const QRect box(m_combo->mapToGlobal(QPoint(0, 0)), m_combo->size());
    QTest::keyClick(m_combo, Qt::Key_F4);
    QVERIFY(popup()->OpensBelow());
    QScrollBar* bar = popup()->ScrollBar();
    // The bottom-right corner lies over the end of the scroll bar.
    const QPoint corner(popup()->width() - 2, popup()->height() - 2);
    QTest::mousePress(bar, Qt::LeftButton, {}, bar->mapFrom(popup(), corner));
    QVERIFY(popup()->IsSizing());

    // Up past the box's bottom edge: the popup flips above the box.
    const QPoint above(box.right() + 40, box.top() - 100);
    QTest::mouseMove(bar, bar->mapFromGlobal(above));
    QVERIFY(!popup()->OpensBelow());
    QCOMPARE(popup()->geometry().bottom(), box.top() - 1);
    QCOMPARE(popup()->geometry().top(), above.y());
    QCOMPARE(popup()->geometry().right(), above.x() - 1);

    // Releasing snaps the height to whole rows, keeping the edge by the box.
    QTest::mouseRelease(bar, Qt::LeftButton, {}, bar->mapFromGlobal(above));
    QVERIFY(!popup()->IsSizing());
    const int rows = (100 - 2 * CComboDropList::kBorder) / popup()->ItemHeight();
    QCOMPARE(popup()->VisibleRows(), rows);
    QCOMPARE(popup()->geometry().height(),
             rows * popup()->ItemHeight() + 2 * CComboDropList::kBorder);
    QCOMPARE(popup()->geometry().bottom(), box.top() - 1);
    QVERIFY(m_combo->IsDroppedDown());

    // Down again past the box: it flips back below.
    const QPoint topCorner(popup()->width() - 2, 1);
    QTest::mousePress(bar, Qt::LeftButton, {}, bar->mapFrom(popup(), topCorner));
    QVERIFY(popup()->IsSizing());
    const QPoint below(box.right() + 10, box.bottom() + 150);
    QTest::mouseMove(bar, bar->mapFromGlobal(below));
    QVERIFY(popup()->OpensBelow());
    QCOMPARE(popup()->geometry().top(), box.bottom() + 1);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, bar->mapFromGlobal(below));
    const int rowsBelow = (150 - 2 * CComboDropList::kBorder) / popup()->ItemHeight();
    QCOMPARE(popup()->VisibleRows(), rowsBelow);

    // The next opening keeps that many rows.
    QTest::keyClick(popup(), Qt::Key_Escape);
    QTest::keyClick(m_combo, Qt::Key_F4);
    QCOMPARE(popup()->VisibleRows(), rowsBelow);
    QCOMPARE(popup()->height(), rowsBelow * popup()->ItemHeight() + 2 * CComboDropList::kBorder);
    // A page is now that many rows less one.
    QTest::keyClick(popup(), Qt::Key_Home);
    QTest::keyClick(popup(), Qt::Key_PageDown);
    QCOMPARE(m_combo->GetCurSel(), rowsBelow - 1);
}

void DropListComboTest::aListTallerThanTheScreenShrinksToFit() {
    const int H = QGuiApplication::primaryScreen()->geometry().height();
    const int h = popup()->ItemHeight();
    const int b = CComboDropList::kBorder;
    // Drag the list far below the screen's bottom, so it keeps more rows than the screen holds.
    showCombo(40, 200);
    QTest::keyClick(m_combo, Qt::Key_F4);
    QScrollBar* bar = popup()->ScrollBar();
    QTest::mousePress(bar, Qt::LeftButton, {},
                      bar->mapFrom(popup(), QPoint(popup()->width() - 2, popup()->height() - 2)));
    const QPoint far(popup()->geometry().right(), H + 400);
    QTest::mouseMove(bar, bar->mapFromGlobal(far));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, bar->mapFromGlobal(far));
    QVERIFY(popup()->VisibleRows() * h > H);
    QTest::keyClick(popup(), Qt::Key_Escape);

    // Near both edges with more room below: against the bottom, as many rows as fit.
    showCombo(40, 10, H - 90);
    QTest::keyClick(m_combo, Qt::Key_F4);
    int rows = (H - 3 * b - 1) / h;
    QCOMPARE(popup()->VisibleRows(), rows);
    QCOMPARE(popup()->geometry().bottom() + 1, H - b);
    QCOMPARE(popup()->geometry().height(), rows * h + 2 * b);
    QTest::keyClick(popup(), Qt::Key_Escape);

    // The same with more room above: from the top of the screen down, as many rows as fit.
    m_form->hide();
    showCombo(40, 50, H - 90);
    // Give it more rows than the screen holds again.
    QTest::keyClick(m_combo, Qt::Key_F4);
    QTest::mousePress(bar, Qt::LeftButton, {},
                      bar->mapFrom(popup(), QPoint(popup()->width() - 2, popup()->height() - 2)));
    const QPoint farAbove(popup()->geometry().right(), -2 * H);
    QTest::mouseMove(bar, bar->mapFromGlobal(farAbove));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, bar->mapFromGlobal(farAbove));
    QVERIFY(popup()->VisibleRows() * h > H);
    QTest::keyClick(popup(), Qt::Key_Escape);
    QTest::keyClick(m_combo, Qt::Key_F4);
    rows = (H - 1 - 2 * b) / h;
    QCOMPARE(popup()->geometry().top(), 1);
    QCOMPARE(popup()->VisibleRows(), rows);
    QVERIFY(popup()->geometry().bottom() < H);
}

void DropListComboTest::holdingTheButtonBelowTheListScrollsIt() {
    showCombo(40, 100);
    m_combo->SetCurSel(0);
    QTest::keyClick(m_combo, Qt::Key_F4);
    QCOMPARE(popup()->TopIndex(), 0);
    const QPoint inside = popup()->ItemRect(1).center();
    QTest::mousePress(popup(), Qt::LeftButton, {}, inside);
    QTest::mouseMove(popup(), QPoint(inside.x(), popup()->height() + 30));
    QVERIFY(popup()->Highlighted() >= 1);
    // The timer keeps it going while the button is held.
    QTRY_VERIFY(popup()->TopIndex() > 0);
    QCOMPARE(m_combo->GetCurSel(), 0); // scrolling moves the highlight only
    QTest::mouseRelease(popup(), Qt::LeftButton, {}, QPoint(inside.x(), popup()->height() + 30));
    QVERIFY(!m_combo->IsDroppedDown()); // let go outside: closed, nothing chosen
    QCOMPARE(m_combo->GetCurSel(), 0);
}

void DropListComboTest::scrollBarAndWheelScrollWithoutChoosing() {
    showCombo(40, 100);
    m_combo->SetCurSel(0);
    QTest::keyClick(m_combo, Qt::Key_F4);
    QScrollBar* bar = popup()->ScrollBar();
    const int rows = popup()->VisibleRows();
    QCOMPARE(bar->maximum(), m_roads.GetCount() - rows);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd); // a page is the rows less one
    QCOMPARE(popup()->TopIndex(), rows - 1);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(popup()->TopIndex(), rows);
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    QCOMPARE(popup()->TopIndex(), m_roads.GetCount() - rows);
    const QPoint at = popup()->ItemRect(popup()->TopIndex()).center();
    QWheelEvent up(at, popup()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(popup(), &up);
    QCOMPARE(popup()->TopIndex(), m_roads.GetCount() - rows - CComboDropList::kWheelRows);
    QCOMPARE(m_combo->GetCurSel(), 0);
    QVERIFY(m_combo->IsDroppedDown());
}

void DropListComboTest::aMillionRowsAreNeverCopied() {
    MillionRoads roads;
    m_combo->SetItemSource(&roads);
    showCombo(40, 100);
    QCOMPARE(m_combo->SelectString(0, QStringLiteral("road 0765432")), 765432);
    QCOMPARE(m_combo->count(), 1);
    roads.reads = 0;
    QTest::keyClick(m_combo, Qt::Key_F4);
    (void)popup()->grab(); // paint it
    QVERIFY2(roads.reads < 100, qPrintable(QString::number(roads.reads)));
    QCOMPARE(popup()->ScrollBar()->maximum(), 1000000 - popup()->VisibleRows());
    roads.reads = 0;
    QTest::keyClicks(popup(), QStringLiteral("road 09"));
    QCOMPARE(m_combo->GetCurSel(), 900000);
    QVERIFY2(roads.reads < 400, qPrintable(QString::number(roads.reads)));
    QTest::keyClick(popup(), Qt::Key_End);
    QCOMPARE(m_combo->GetWindowText(), QStringLiteral("Road 0999999"));
    QCOMPARE(popup()->TopIndex(), 1000000 - popup()->VisibleRows());
}

void DropListComboTest::popupSlidesOpenToItsPlace() {
    CComboDropList::SetSlideEnabled(true);
    showCombo(40, 100);
    QTest::keyClick(m_combo, Qt::Key_F4);
    QVERIFY(m_combo->IsDroppedDown());
    QVERIFY(popup()->IsSliding());
    const QRect target = popup()->TargetGeometry();
    QVERIFY(popup()->height() < target.height());
    QCOMPARE(popup()->geometry().top(), target.top()); // grows downward from its top
    QTRY_VERIFY(!popup()->IsSliding());
    QCOMPARE(popup()->geometry(), target);
}

void DropListComboTest::namesForTheLogAndScreenReaders() {
    QCOMPARE(kestrel::WindowClassName(m_combo), QStringLiteral("ComboBox"));
    QCOMPARE(kestrel::WindowClassName(popup()), QStringLiteral("CComboDropList"));
    m_combo->setAccessibleName(QStringLiteral("Road name"));
    m_combo->setAccessibleDescription(QStringLiteral("Choose the road"));
    showCombo(40, 100);
    m_combo->SetCurSel(4);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(m_combo);
    QVERIFY(iface);
    QCOMPARE(iface->role(), QAccessible::ComboBox);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Road name"));
    QCOMPARE(iface->text(QAccessible::Description), QStringLiteral("Choose the road"));
    QCOMPARE(iface->text(QAccessible::Value), QStringLiteral("Baker Street"));
    QVERIFY(iface->state().collapsed);
    // The screen reader's "show menu" opens our list, never the box's own.
    QAccessibleActionInterface* actions = iface->actionInterface();
    QVERIFY(actions);
    actions->doAction(QAccessibleActionInterface::showMenuAction());
    QVERIFY(m_combo->IsDroppedDown());
    QVERIFY(iface->state().expanded);
    actions->doAction(QAccessibleActionInterface::showMenuAction());
    QVERIFY(!m_combo->IsDroppedDown());
}

void DropListComboTest::disablingTheBoxDisablesThePopup() {
    showCombo(40, 100);
    m_combo->setEnabled(false);
    QVERIFY(!popup()->isEnabled());
    m_combo->setEnabled(true);
    QVERIFY(popup()->isEnabled());
}

QTEST_MAIN(DropListComboTest)
#include "DropListComboTest.moc"
