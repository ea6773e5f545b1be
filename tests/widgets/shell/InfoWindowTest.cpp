// The info window: where the note goes, how it stays on the screen, how long it stays, and that
// it never takes the focus.

#include "controls/InfoWindow.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>
#include <QtTest>

namespace {

// A frameless window whose one field sits at a chosen screen position, with room above it (and
// to its left, when asked) for the note, shown with the focus.
struct FieldWindow {
    static constexpr int kRoomAbove = 40;
    explicit FieldWindow(QPoint fieldPos, int roomLeft = 0) {
        window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(roomLeft, kRoomAbove, 0, 0);
        layout->addWidget(field);
        window.setGeometry(
            QRect(fieldPos - QPoint(roomLeft, kRoomAbove), QSize(roomLeft + 200, 24 + kRoomAbove)));
        CreateInfoWindow(&window);
        window.show();
        window.activateWindow();
        focused = QTest::qWaitForWindowActive(&window);
        field->setFocus();
    }
    QRect fieldOnScreen() const { return QRect(field->mapToGlobal(QPoint(0, 0)), field->size()); }

    QWidget window;
    QLineEdit* field = new QLineEdit(&window);
    bool focused = false;
};

QRect noteOnScreen() {
    return QRect(InfoWindow()->mapToGlobal(QPoint(0, 0)), InfoWindow()->size());
}

} // namespace

class TestInfoWindow : public QObject {
    Q_OBJECT
private slots:
    void noteSitsAboveTheFieldAndNeverTakesTheFocus() {
        {
            QWidget owner;
            QLineEdit field(&owner);
            CreateInfoWindow(&owner); // never shown: no window of the program has the focus
            QVERIFY(!QApplication::focusWidget());
            ShowInfo(&field, QStringLiteral("nobody sees this"));
            QVERIFY(!InfoWindow()->isVisible());
        }
        FieldWindow form(QPoint(100, 200));
        QVERIFY(form.focused && form.field->hasFocus());
        ShowInfo(form.field, QStringLiteral("one line"));
        const int oneLine = InfoWindow()->height();
        ShowInfo(form.field, QStringLiteral("one line\nand another"));
        CInfoWindow* note = InfoWindow();
        QVERIFY(note->isVisible() && note->text() == QStringLiteral("one line\nand another"));
        QVERIFY(note->height() - oneLine >= QFontMetrics(form.window.font()).lineSpacing() - 1);
        const QRect field = form.fieldOnScreen();
        QCOMPARE(noteOnScreen().left(), field.left());
        QVERIFY(noteOnScreen().bottom() < field.top());
        QVERIFY(field.top() - noteOnScreen().bottom() <= 3);

        // Drawn by the form's window over its field: above it, and above no other program's
        // window.
        QVERIFY(!note->isWindow() && note->window() == &form.window);

        // The user keeps typing where they were, also once the note has settled.
        QTest::qWait(200);
        QVERIFY(form.field->hasFocus());
        QCOMPARE(QApplication::activeWindow(), &form.window);

        // Three seconds, then gone by itself.
        QTest::qWait(2300);
        QVERIFY(note->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!note->isVisible(), 1500);
    }

    void noteIsKeptOnTheScreen() {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        // At the very top the note moves down to y = 0, over the field.
        {
            FieldWindow form(QPoint(50, screen.top()));
            QVERIFY(form.focused);
            ShowInfo(form.field, QStringLiteral("top"));
            QCOMPARE(noteOnScreen().top(), screen.top());
            QCOMPARE(noteOnScreen().left(), form.fieldOnScreen().left());
        }
        // Off the right edge: shifted left by the excess.
        FieldWindow form(QPoint(screen.right() - 60, 300), 340);
        QVERIFY(form.focused);
        ShowInfo(form.field, QStringLiteral("a rather long message that needs room"));
        QCOMPARE(noteOnScreen().right(), screen.right());
    }
};

QTEST_MAIN(TestInfoWindow)
#include "InfoWindowTest.moc"
