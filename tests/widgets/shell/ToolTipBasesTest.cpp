// The tooltip bases: every control's tip and accessible description from the string table, the
// view-only pass, and the relay set with its application-wide hook.

#include "TestAppServices.h"
#include "TestForm.h"
#include "controls/ToolTipDialog.h"
#include "controls/ToolTipRelay.h"
#include "framework/ControlId.h"
#include "sdk/StringTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// A form with one control of every kind the pass treats differently.
class FormDialog : public CToolTipDialog {
public:
    FormDialog() : CToolTipDialog(999) {
        new QVBoxLayout(this);
        title = addControl<QLineEdit>(this, 1004);
        label = addControl<QLabel>(this, -1, QStringLiteral("Project &title:"));
        description = addControl<QPlainTextEdit>(this, 1030);
        save = addControl<QPushButton>(this, 1055);
        quit = addControl<QPushButton>(this, 1056);
        partial = addControl<QCheckBox>(this, 1016);
        category = addControl<QComboBox>(this, 1054);
        commencement = addControl<QDateEdit>(this, 1005);
        frame = addControl<QFrame>(this, 1003);
        roads = addControl<QTreeWidget>(this, 1059);
        roles = addControl<QTreeWidget>(this, 1060);
        lots = addControl<QTreeWidget>(this, 1020);
    }
    QLineEdit* title;
    QLabel* label;
    QPlainTextEdit* description;
    QPushButton *save, *quit;
    QCheckBox* partial;
    QComboBox* category;
    QDateEdit* commencement;
    QFrame* frame;
    QTreeWidget *roads, *roles, *lots;
};

class NamedRelay : public CToolTipRelay {
public:
    long RelayEvent(QWidget*, QEvent*) override { return 0; }
    QWidget* GetRelayWnd() const override { return nullptr; }
};

} // namespace

class TestToolTipBases : public QObject {
    Q_OBJECT
private slots:
    void tipsComeFromTheStringTable() {
        TestAppServices services(false);
        FormDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        for (QWidget* control : std::initializer_list<QWidget*>{dialog.title, dialog.description,
                                                                dialog.partial, dialog.roads}) {
            const QString text = GetRCString(kestrel::GetControlId(control));
            QVERIFY(!text.isEmpty());
            QCOMPARE(control->toolTip(), text);
            QCOMPARE(control->accessibleDescription(), text);
        }
        // "Save && Quit" reads with one ampersand.
        QCOMPARE(dialog.save->toolTip(), QStringLiteral("Save & Quit"));
        QCOMPARE(dialog.quit->accessibleDescription(), QStringLiteral("Quit without saving"));
        // No string for the frame, and the unnumbered label is skipped.
        QVERIFY(GetRCString(1003).isEmpty());
        QVERIFY(dialog.frame->toolTip().isEmpty() && !dialog.ToolTip().HasTool(dialog.frame));
        QVERIFY(dialog.label->toolTip().isEmpty() && !dialog.ToolTip().HasTool(dialog.label));
        // The relay takes a mouse event for a tool, its inner parts included, and no other.
        QMouseEvent move(QEvent::MouseMove, QPointF(1, 1), QPointF(1, 1), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCOMPARE(dialog.RelayEvent(dialog.title, &move), 1L);
        QCOMPARE(dialog.RelayEvent(dialog.description->viewport(), &move), 1L);
        QCOMPARE(dialog.RelayEvent(dialog.label, &move), 0L);
        // Outside a view-only run nothing is logged and nothing changes state.
        QVERIFY(services.log.isEmpty());
        QVERIFY(!dialog.title->isReadOnly() && !dialog.description->isReadOnly());
        for (QWidget* control : dialog.findChildren<QWidget*>()) {
            QVERIFY(control->isEnabled());
        }
    }

    void viewOnlyPassLogsClassesAndLocksTheForm() {
        TestAppServices services(true);
        FormDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        QCOMPARE(services.log, (QStringList{"Edit", "Edit", "Button", "Button", "Button",
                                            "ComboBox", "SysDateTimePick32", "Static",
                                            "SysListView32", "SysListView32", "SysListView32"}));
        // Edits: read-only but enabled, so their text can still be selected.
        QVERIFY(dialog.title->isReadOnly() && dialog.title->isEnabled());
        QVERIFY(dialog.description->isReadOnly() && dialog.description->isEnabled());
        for (QWidget* locked :
             std::initializer_list<QWidget*>{dialog.save, dialog.partial, dialog.category,
                                             dialog.commencement, dialog.roads, dialog.roles}) {
            QVERIFY2(!locked->isEnabled(), qPrintable(locked->metaObject()->className()));
        }
        // Quit without saving, and lists other than roads and roles, stay usable.
        QVERIFY(dialog.quit->isEnabled() && dialog.lots->isEnabled() && dialog.frame->isEnabled());
    }

    void relaySetCodesAndHook() {
        NamedRelay a;
        NamedRelay b;
        QCOMPARE(RegisterToolTipRelay(nullptr), -1L);
        QCOMPARE(UnregisterToolTipRelay(nullptr), -1L);
        QCOMPARE(UnregisterToolTipRelay(&a), E_INVALIDARG);
        QVERIFY(!ToolTipRelayHookInstalled());

        QCOMPARE(RegisterToolTipRelay(&a), 0L);
        QVERIFY(ToolTipRelayHookInstalled());
        QCOMPARE(RegisterToolTipRelay(&a), 0L); // twice changes nothing
        QCOMPARE(RegisteredToolTipRelayCount(), 1);
        QCOMPARE(RegisterToolTipRelay(&b), 0L);
        QCOMPARE(UnregisterToolTipRelay(&a), 0L);
        QVERIFY(ToolTipRelayHookInstalled()); // b still needs it
        QCOMPARE(UnregisterToolTipRelay(&b), 0L);
        QCOMPARE(RegisteredToolTipRelayCount(), 0);
        QVERIFY(!ToolTipRelayHookInstalled());
        QCOMPARE(UnregisterToolTipRelay(&a), E_INVALIDARG);
    }
};

QTEST_MAIN(TestToolTipBases)
#include "ToolTipBasesTest.moc"
