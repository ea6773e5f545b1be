// The tooltip bases (every control's tip and accessible description from the string table, the
// view-only pass, the relay set with its application-wide hook) and the info window (where the
// note goes, how it stays on the screen, how long it stays, and that it never takes the focus).

#include "TestAppServices.h"
#include "TestForm.h"
#include "controls/InfoWindow.h"
#include "controls/ToolTipDialog.h"
#include "controls/ToolTipRelay.h"
#include "framework/ControlId.h"
#include "sdk/StringTable.h"

#include <QtTest>
#include <QtWidgets>

namespace {

// A form with one control of every kind the pass treats differently.
struct FormDialog : CToolTipDialog {
    FormDialog() : CToolTipDialog(999) {}
    QLayout* layout = new QVBoxLayout(this); // first: the controls below are stacked in it
    QLineEdit* title = addControl<QLineEdit>(this, 1004);
    QLabel* label = addControl<QLabel>(this, -1, QStringLiteral("Project &title:"));
    QPlainTextEdit* description = addControl<QPlainTextEdit>(this, 1030);
    QPushButton* save = addControl<QPushButton>(this, 1055);
    QPushButton* quit = addControl<QPushButton>(this, 1056);
    QCheckBox* partial = addControl<QCheckBox>(this, 1016);
    QComboBox* category = addControl<QComboBox>(this, 1054);
    QDateEdit* commencement = addControl<QDateEdit>(this, 1005);
    QFrame* frame = addControl<QFrame>(this, 1003);
    QTreeWidget* roads = addControl<QTreeWidget>(this, 1059);
    QTreeWidget* roles = addControl<QTreeWidget>(this, 1060);
    QTreeWidget* lots = addControl<QTreeWidget>(this, 1020);
};

class NamedRelay : public CToolTipRelay {
public:
    long RelayEvent(QWidget*, QEvent*) override { return 0; }
    QWidget* GetRelayWnd() const override { return nullptr; }
};

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

class TipsAndNoteTest : public QObject {
    Q_OBJECT
private slots:
    // Each numbered control's tip and accessible description come from the string table ("&&"
    // reads as one "&"); no string, or no number, no tip. The relay takes a mouse event for a
    // tool, its inner parts included, and no other. Outside a view-only run nothing is logged and
    // nothing is locked; a view-only run logs each control's class and locks the form, but edits
    // stay enabled (their text can still be selected), and so do Quit without saving and lists
    // other than roads and roles.
    void tipsAndTheViewOnlyPass() {
        for (const bool viewOnly : {false, true}) {
            TestAppServices services(viewOnly);
            FormDialog dialog;
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            for (QWidget* control : std::initializer_list<QWidget*>{
                     dialog.title, dialog.description, dialog.partial, dialog.roads}) {
                const QString text = GetRCString(kestrel::GetControlId(control));
                QVERIFY(!text.isEmpty() && control->toolTip() == text);
                QCOMPARE(control->accessibleDescription(), text);
            }
            QCOMPARE(dialog.save->toolTip(), QStringLiteral("Save & Quit"));
            QCOMPARE(dialog.quit->accessibleDescription(), QStringLiteral("Quit without saving"));
            QVERIFY(dialog.frame->toolTip().isEmpty() && !dialog.ToolTip().HasTool(dialog.frame));
            QVERIFY(dialog.label->toolTip().isEmpty() && !dialog.ToolTip().HasTool(dialog.label));
            QMouseEvent move(QEvent::MouseMove, QPointF(1, 1), QPointF(1, 1), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
            QCOMPARE(dialog.RelayEvent(dialog.title, &move), 1L);
            QCOMPARE(dialog.RelayEvent(dialog.description->viewport(), &move), 1L);
            QCOMPARE(dialog.RelayEvent(dialog.label, &move), 0L);
            QCOMPARE(dialog.title->isReadOnly(), viewOnly);
            QCOMPARE(dialog.description->isReadOnly(), viewOnly);
            QVERIFY(dialog.title->isEnabled() && dialog.description->isEnabled());
            QVERIFY(dialog.quit->isEnabled() && dialog.lots->isEnabled());
            QVERIFY(dialog.frame->isEnabled());
            for (QWidget* locked :
                 std::initializer_list<QWidget*>{dialog.save, dialog.partial, dialog.category,
                                                 dialog.commencement, dialog.roads, dialog.roles})
                QVERIFY2(locked->isEnabled() != viewOnly,
                         qPrintable(locked->metaObject()->className()));
            QCOMPARE(services.log,
                     (viewOnly ? QStringList{"Edit", "Edit", "Button", "Button", "Button",
                                             "ComboBox", "SysDateTimePick32", "Static",
                                             "SysListView32", "SysListView32", "SysListView32"}
                               : QStringList()));
        }
    }

    // The relay set: null refused, twice changes nothing, the hook installed while any is set.
    void relaySetCodesAndHook() {
        NamedRelay a, b;
        QCOMPARE(RegisterToolTipRelay(nullptr), -1L);
        QCOMPARE(UnregisterToolTipRelay(nullptr), -1L);
        QCOMPARE(UnregisterToolTipRelay(&a), E_INVALIDARG);
        QVERIFY(!ToolTipRelayHookInstalled());
        QCOMPARE(RegisterToolTipRelay(&a), 0L);
        QCOMPARE(RegisterToolTipRelay(&a), 0L);
        QCOMPARE(RegisteredToolTipRelayCount(), 1);
        QCOMPARE(RegisterToolTipRelay(&b), 0L);
        QCOMPARE(UnregisterToolTipRelay(&a), 0L);
        QVERIFY(ToolTipRelayHookInstalled());
        QCOMPARE(UnregisterToolTipRelay(&b), 0L);
        QCOMPARE(RegisteredToolTipRelayCount(), 0);
        QVERIFY(!ToolTipRelayHookInstalled());
        QCOMPARE(UnregisterToolTipRelay(&a), E_INVALIDARG);
    }

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
        // window. The user keeps typing where they were; three seconds on, the note goes by
        // itself.
        QVERIFY(!note->isWindow() && note->window() == &form.window);
        QElapsedTimer shown;
        shown.start();
        QTRY_VERIFY_WITH_TIMEOUT(!note->isVisible(), 5000);
        QVERIFY(shown.elapsed() >= 2500);
        QVERIFY(form.field->hasFocus());
        QCOMPARE(QApplication::activeWindow(), &form.window);
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

QTEST_MAIN(TipsAndNoteTest)
#include "TipsAndNoteTest.moc"
