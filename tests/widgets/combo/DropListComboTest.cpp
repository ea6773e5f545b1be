// The drop-list combo as a user meets it: real key presses and mouse clicks on the box and its
// popup, the incremental search with its caret and pause, where the popup opens, resizing it by
// its corner, and record-list cells moved to and from it as the address and site pages do.
#include "controls/DropListCombo.h"
#include "controls/ComboDropList.h"
#include "controls/DropListExchange.h"
#include "controls/ListCtrl.h"
#include "controls/ListExchange.h"
#include "controls/ListSource.h"
#include "framework/ControlId.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>
#include <tuple>

namespace {

QStringList roadNames() {
    QStringList names = {"Abbey Road",    "ABBOTT LANE",  "abingdon way",
                         "Acacia Avenue", "Baker Street", "Bakery Close",
                         "Barton Road",   "Cable Street", "Canal Walk"};
    for (int i = 0; i < 200; ++i) // enough rows to scroll
        names << QStringLiteral("Dock %1").arg(i, 3, 10, QLatin1Char('0'));
    return names << QStringLiteral("Zephyr Row");
}

// A million synthetic rows made on demand, counting what is read.
class MillionRoads : public CListSource {
public:
    int GetCount() const override { return 1000000; }
    QString GetText(int index) const override {
        ++reads;
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
    void init() {
        CComboDropList::SetSlideEnabled(false);
        m_form = std::make_unique<Form>();
        m_combo = new CDropListCombo(m_form.get());
        m_combo->SetItemSource(&m_roads);
        m_now = 100000;
        popup()->SetSearchClock([this] { return m_now; });
    }
    void cleanup() { m_form.reset(); }

    void choosingByIndexAndListCells() {
        QCOMPARE(m_combo->SetCurSel(3), -1);
        QCOMPARE(m_combo->GetWindowText(), "Acacia Avenue");
        QCOMPARE(m_combo->SetCurSel(7), 3);
        QCOMPARE(m_combo->SetCurSel(m_roads.GetCount()), -1); // outside the source: empty
        QCOMPARE(m_combo->GetWindowText(), QString());

        // A cell chooses the first road it begins; a cell matching none changes nothing.
        const int listId = 1010, comboId = 1024, missing = 4242;
        QWidget* page = m_form.get();
        kestrel::MarkAsForm(page);
        kestrel::SetControlId(m_combo, comboId);
        auto* list = new CListCtrl(page);
        kestrel::SetControlId(list, listId);
        list->InsertColumn(0, QStringLiteral("No."));
        list->InsertColumn(1, QStringLiteral("Road"));
        list->InsertItem(0, QStringLiteral("1"));
        list->SetItemText(0, 1, QStringLiteral("BAKER"));
        QCOMPARE(ListCellToDropListCombo(page, listId, comboId, 0, 1), 1);
        QCOMPARE(m_combo->GetWindowText(), QStringLiteral("Baker Street"));
        list->SetItemText(0, 1, QStringLiteral("Nowhere Lane"));
        QCOMPARE(ListCellToDropListCombo(page, listId, comboId, 0, 1), 0);
        QCOMPARE(m_combo->GetCurSel(), 4);
        QCOMPARE(ListCellToDropListCombo(page, missing, comboId, 0, 1), 0);
        QCOMPARE(ListCellToDropListCombo(page, listId, missing, 0, 1), 0);
        // The choice goes into the cell, the box keeping it; nothing chosen empties the cell.
        page->show();
        m_combo->SetCurSel(8);
        QCOMPARE(ComboToListCell(page, listId, m_combo, 0, 1, false), 1);
        QCOMPARE(list->GetItemText(0, 1), QStringLiteral("Canal Walk"));
        QCOMPARE(m_combo->GetCurSel(), 8);
        m_combo->SetCurSel(-1); // (a choice moved and cleared: the project pages' roads)
        QCOMPARE(ComboToListCell(page, listId, comboId, 0, 1, true), 1);
        QCOMPARE(list->GetItemText(0, 1), QString());
        QCOMPARE(DropListComboToListCell(page, listId, missing, 0, 1, true), 0);
    }

    // On the closed box the list keys choose and Enter and Escape go to the dialog; Alt+Down or
    // Alt+Up open the list, where the keys choose at once, Escape closes without undoing, and
    // Enter and Tab close it leaving the focus on the box.
    void keysOnTheClosedAndTheOpenBox() {
        showCombo(50, 50);
        const int last = m_roads.GetCount() - 1;
        const int page = CComboDropList::kInitialRows - 1; // the visible rows less one
        QTest::keyClick(m_combo, Qt::Key_Escape);
        QTest::keyClick(m_combo, Qt::Key_Return);
        QCOMPARE(m_form->keys, (QList<int>{Qt::Key_Escape, Qt::Key_Return}));
        // On the open list or the box, the key, what is then chosen and whether the list is open.
        const std::tuple<bool, Qt::Key, Qt::KeyboardModifier, int, bool> steps[] = {
            {false, Qt::Key_Down, Qt::NoModifier, 0, false},
            {false, Qt::Key_Up, Qt::NoModifier, 0, false},
            {false, Qt::Key_PageDown, Qt::NoModifier, page, false},
            {false, Qt::Key_End, Qt::NoModifier, last, false},
            {false, Qt::Key_Down, Qt::NoModifier, last, false},
            {false, Qt::Key_PageUp, Qt::NoModifier, last - page, false},
            {false, Qt::Key_Home, Qt::NoModifier, 0, false},
            {false, Qt::Key_Down, Qt::AltModifier, 0, true},
            {true, Qt::Key_Down, Qt::NoModifier, 1, true},
            {true, Qt::Key_Escape, Qt::NoModifier, 1, false},
            {false, Qt::Key_Up, Qt::AltModifier, 1, true},
            {true, Qt::Key_Up, Qt::NoModifier, 0, true},
            {true, Qt::Key_Return, Qt::NoModifier, 0, false},
            {false, Qt::Key_Down, Qt::AltModifier, 0, true},
            {true, Qt::Key_Tab, Qt::NoModifier, 0, false},
        };
        for (const auto& [onList, key, modifier, chosen, open] : steps) {
            QTest::keyClick(onList ? static_cast<QWidget*>(popup()) : m_combo, key, modifier);
            QCOMPARE(m_combo->GetCurSel(), chosen);
            QCOMPARE(m_combo->IsDroppedDown(), open);
        }
        for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_PageDown, Qt::Key_Home})
            QVERIFY(!m_form->keys.contains(key)); // the list keys stay with the box
        QTRY_VERIFY(m_combo->hasFocus());
    }

    void typingSearchesWithTheCaretAfterTheMatch() {
        showCombo(50, 50);
        QTest::keyClick(m_combo, Qt::Key_F4);
        QTest::keyClicks(popup(), QStringLiteral("abingdon w"));
        QCOMPARE(m_combo->GetCurSel(), 2);
        QCOMPARE(popup()->SearchText(), QStringLiteral("abingdon w")); // the row's own capitals
        QCOMPARE(popup()->CaretRect().left(), // right after the matched letters
                 popup()->ItemRect(2).left() + CComboDropList::kTextIndent +
                     m_combo->fontMetrics().horizontalAdvance(QStringLiteral("abingdon w")));
        QTest::keyClick(popup(), Qt::Key_Escape);
        m_now += CComboDropList::kSearchResetMs; // the closed box searches the same way
        QTest::keyClicks(m_combo, QStringLiteral("ca"));
        QCOMPARE(m_combo->GetWindowText(), QStringLiteral("Cable Street"));
        m_now += CComboDropList::kSearchResetMs - 1; // a pause just short of four seconds
        QTest::keyClick(m_combo, Qt::Key_N);
        QCOMPARE(popup()->SearchText(), QStringLiteral("Can"));
        m_now += CComboDropList::kSearchResetMs;
        QCOMPARE(popup()->SearchText(), QString()); // the caret goes with it
        QVERIFY(popup()->CaretRect().isNull());
        QTest::keyClick(m_combo, Qt::Key_Z);
        QCOMPARE(m_combo->GetWindowText(), QStringLiteral("Zephyr Row"));
    }

    void popupOpensBelowAboveOrAgainstTheScreenEdge() {
        const int H = QGuiApplication::primaryScreen()->geometry().height();
        const int L =
            CComboDropList::kInitialRows * popup()->ItemHeight() + 2 * CComboDropList::kBorder;
        const int h = m_combo->sizeHint().height();
        // The form's top, the box's height, whether the list opens below, and its top on the
        // screen (-1: just below the box, -2: just above it).
        const std::tuple<int, int, bool, int> places[] = {
            {40, -1, true, -1},             // room below
            {H - h - 25, -1, false, -2},    // near the bottom: above the box
            {10, H - 90, false, H - 1 - L}, // both edges, more room below: against the bottom
            {50, H - 90, false, 1},         // more room above: against the top
        };
        for (const auto& [formY, comboHeight, below, placeTop] : places) {
            showCombo(40, formY, comboHeight);
            const QRect box(m_combo->mapToGlobal(QPoint(0, 0)), m_combo->size());
            QTest::keyClick(m_combo, Qt::Key_F4);
            QCOMPARE(popup()->OpensBelow(), below);
            const int top = placeTop == -1   ? box.bottom() + 1
                            : placeTop == -2 ? box.top() - L
                                             : placeTop;
            QCOMPARE(popup()->geometry(), QRect(box.left(), top, box.width(), L));
            QTest::keyClick(popup(), Qt::Key_Escape);
            m_form->hide();
        }
    }

    void draggingTheCornerFlipsAndSnaps() {
        showCombo(40, 200);
        const QRect box(m_combo->mapToGlobal(QPoint(0, 0)), m_combo->size());
        QTest::keyClick(m_combo, Qt::Key_F4);
        QScrollBar* bar = popup()->ScrollBar();
        // The bottom-right corner lies over the end of the scroll bar.
        const QPoint corner(popup()->width() - 2, popup()->height() - 2);
        QTest::mousePress(bar, Qt::LeftButton, {}, bar->mapFrom(popup(), corner));
        QVERIFY(popup()->IsSizing());
        // Up past the box's bottom edge: the popup flips above the box.
        const QPoint above(box.right() + 40, box.top() - 100);
        QTest::mouseMove(bar, bar->mapFromGlobal(above));
        QVERIFY(!popup()->OpensBelow());
        QCOMPARE(popup()->geometry().top(), above.y());
        // Releasing snaps the height to whole rows, keeping the edge by the box.
        QTest::mouseRelease(bar, Qt::LeftButton, {}, bar->mapFromGlobal(above));
        const int rows = (100 - 2 * CComboDropList::kBorder) / popup()->ItemHeight();
        QCOMPARE(popup()->VisibleRows(), rows);
        QCOMPARE(popup()->geometry().height(),
                 rows * popup()->ItemHeight() + 2 * CComboDropList::kBorder);
        QCOMPARE(popup()->geometry().bottom(), box.top() - 1);
    }

    void aMillionRowsOpenReadingFewRows() {
        MillionRoads roads;
        m_combo->SetItemSource(&roads);
        showCombo(40, 100);
        QCOMPARE(m_combo->SetCurSel(765432), -1);
        roads.reads = 0;
        QTest::keyClick(m_combo, Qt::Key_F4);
        (void)popup()->grab(); // paint it
        QVERIFY2(roads.reads < 100, qPrintable(QString::number(roads.reads)));
        QTest::keyClick(popup(), Qt::Key_End);
        QCOMPARE(m_combo->GetWindowText(), QStringLiteral("Road 0999999"));
    }

    // To a screen reader the box gives its road as its value and text, and its open list as a
    // child whose items are the roads, the chosen one selected.
    void aScreenReaderHearsTheRoadAndTheOpenList() {
        const QStringList names = {"ADAM AVENUE", "ADAM CIRCLE", "ADAM CLOSE", "ADAM GARDENS"};
        CStringListSource four(names, true);
        m_combo->SetItemSource(&four);
        showCombo(50, 50);
        m_combo->SetCurSel(2);
        QAccessibleInterface* box = QAccessible::queryAccessibleInterface(m_combo);
        QCOMPARE(box->role(), QAccessible::ComboBox);
        QCOMPARE(box->text(QAccessible::Value), QStringLiteral("ADAM CLOSE"));
        QTest::keyClick(m_combo, Qt::Key_Down, Qt::AltModifier);
        QAccessibleInterface* list = box->child(0);
        QCOMPARE(list->role(), QAccessible::List);
        QCOMPARE(list->parent()->object(), m_combo);
        m_combo->setAccessibleName(QStringLiteral("Road Name"));
        QCOMPARE(list->text(QAccessible::Name), QStringLiteral("Road Name")); // named as its box
        QCOMPARE(list->childCount(), 4);                                      // all in view
        for (int i = 0; i < list->childCount(); ++i) {
            QAccessibleInterface* row = list->child(i);
            QCOMPARE(row->role(), QAccessible::ListItem);
            QCOMPARE(row->text(QAccessible::Name), names.at(i));
            QCOMPARE(row->state().selected, i == 2);
            QCOMPARE(list->indexOfChild(row), i);
        }
        QTest::keyClick(m_combo, Qt::Key_Down);
        QVERIFY(list->child(3)->state().selected);
        QCOMPARE(box->textInterface()->text(0, -1), QStringLiteral("ADAM GARDENS"));
        QTest::keyClick(m_combo, Qt::Key_Escape);
        QCOMPARE(list->childCount(), 0);
    }

private:
    void showCombo(int x, int y, int comboHeight = -1) {
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
    CComboDropList* popup() { return m_combo->DropList(); }

    CStringListSource m_roads{roadNames(), true};
    std::unique_ptr<Form> m_form;
    CDropListCombo* m_combo = nullptr;
    qint64 m_now = 0;
};

QTEST_MAIN(DropListComboTest)
#include "DropListComboTest.moc"
