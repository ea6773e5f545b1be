// The info window: where the note goes, how it stays on the screen, how long it stays, and that
// it never takes the focus.

#include "controls/InfoWindow.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// A window with one field, placed so the field sits at a chosen screen position.
struct FieldWindow {
    explicit FieldWindow(QPoint fieldPos) {
        window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        field = new QLineEdit(&window);
        layout->addWidget(field);
        window.setGeometry(QRect(fieldPos, QSize(200, 24)));
        CreateInfoWindow(&window);
    }
    bool showAndFocus() {
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window)) {
            return false;
        }
        field->setFocus();
        return field->hasFocus();
    }
    QRect fieldOnScreen() const { return QRect(field->mapToGlobal(QPoint(0, 0)), field->size()); }

    QWidget window;
    QLineEdit* field;
};

QRect screenArea() {
    return QGuiApplication::primaryScreen()->geometry();
}

} // namespace

class TestInfoWindow : public QObject {
    Q_OBJECT
private slots:
    void noteSitsDirectlyAboveTheFieldAndNeverTakesTheFocus() {
        FieldWindow form(QPoint(100, 200));
        QVERIFY(form.showAndFocus());
        ShowInfo(form.field, QStringLiteral(" Invalid postal code "));

        CInfoWindow* note = InfoWindow();
        QVERIFY(note);
        QVERIFY(note->isVisible());
        QCOMPARE(note->text(), QStringLiteral(" Invalid postal code "));
        QCOMPARE(note->backgroundColor(), QColor(255, 160, 160));
        const QRect field = form.fieldOnScreen();
        const QRect placed = note->geometry();
        QCOMPARE(placed.left(), field.left());
        QVERIFY(placed.bottom() < field.top());
        QVERIFY(field.top() - placed.bottom() <= 3);
        const QFontMetrics metrics(form.window.font());
        QVERIFY(placed.width() >= metrics.horizontalAdvance(note->text()));
        QVERIFY(placed.height() >= metrics.height());

        // The user keeps typing where they were, also once the note has settled.
        QTest::qWait(200);
        QVERIFY(form.field->hasFocus());
        QCOMPARE(QApplication::activeWindow(), &form.window);
        QVERIFY(note->testAttribute(Qt::WA_ShowWithoutActivating));
        QVERIFY(note->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
        QVERIFY(!note->isEnabled());
        HideInfo();
        QVERIFY(!note->isVisible());
    }

    void twoLinesMakeATallerNote() {
        FieldWindow form(QPoint(100, 300));
        QVERIFY(form.showAndFocus());
        ShowInfo(form.field, QStringLiteral("one line"));
        const int oneLine = InfoWindow()->height();
        ShowInfo(form.field, QStringLiteral("one line\nand another"));
        const int twoLines = InfoWindow()->height();
        const QFontMetrics metrics(form.window.font());
        QVERIFY2(twoLines - oneLine >= metrics.lineSpacing() - 1,
                 qPrintable(QStringLiteral("%1 vs %2").arg(oneLine).arg(twoLines)));
        // Still above the field.
        QVERIFY(InfoWindow()->geometry().bottom() < form.fieldOnScreen().top());
    }

    void noteIsKeptOnTheScreen() {
        const QRect screen = screenArea();
        // A field at the very top: the note moves down to y = 0, over the field.
        {
            FieldWindow form(QPoint(50, screen.top()));
            QVERIFY(form.showAndFocus());
            ShowInfo(form.field, QStringLiteral("top"));
            QCOMPARE(InfoWindow()->geometry().top(), screen.top());
            QCOMPARE(InfoWindow()->geometry().left(), form.fieldOnScreen().left());
        }
        // A field whose note would run off the right edge is shifted left by the excess.
        {
            FieldWindow form(QPoint(screen.right() - 60, 300));
            QVERIFY(form.showAndFocus());
            ShowInfo(form.field, QStringLiteral("a rather long message that needs room"));
            QCOMPARE(InfoWindow()->geometry().right(), screen.right());
            QVERIFY(InfoWindow()->geometry().left() < form.fieldOnScreen().left());
        }
        // Off the left edge: moved right to the edge.
        {
            FieldWindow form(QPoint(screen.left() - 40, 300));
            QVERIFY(form.showAndFocus());
            ShowInfo(form.field, QStringLiteral("left"));
            QCOMPARE(InfoWindow()->geometry().left(), screen.left());
        }
    }

    void nothingIsShownWithoutAFocusedWidget() {
        QWidget owner;
        QLineEdit field(&owner);
        CreateInfoWindow(&owner); // never shown: no window of the program has the focus
        QVERIFY(!QApplication::focusWidget());
        ShowInfo(&field, QStringLiteral("nobody sees this"));
        QVERIFY(!InfoWindow()->isVisible());
        ShowInfo(nullptr, QStringLiteral("no anchor"));
        QVERIFY(!InfoWindow()->isVisible());
    }

    void hidesAfterThreeSecondsAndAReplacementRestartsTheClock() {
        FieldWindow form(QPoint(100, 200));
        QVERIFY(form.showAndFocus());
        ShowInfo(form.field, QStringLiteral("first"));
        QTest::qWait(2000);
        QVERIFY(InfoWindow()->isVisible());
        ShowInfo(form.field, QStringLiteral("second"));
        QTest::qWait(1500); // past three seconds since the first note
        QVERIFY(InfoWindow()->isVisible());
        QCOMPARE(InfoWindow()->text(), QStringLiteral("second"));
        QTRY_VERIFY_WITH_TIMEOUT(!InfoWindow()->isVisible(), 2500);
        QVERIFY(!InfoWindow()->timerRunning());
    }

    void withoutAnInfoWindowNothingHappens() {
        {
            auto* owner = new QWidget;
            CreateInfoWindow(owner);
            delete owner; // the note goes with its owner
        }
        QVERIFY(!InfoWindow());
        QLineEdit field;
        ShowInfo(&field, QStringLiteral("x"));
        HideInfo();
        CreateInfoWindow(nullptr);
        QVERIFY(!InfoWindow());
    }
};

QTEST_MAIN(TestInfoWindow)
#include "tst_info_window.moc"
