// The tooltip bases: every control's tip from the string table, accessible texts, the view-only
// pass, the relay set with its application-wide hook, and the page/sheet set-up order.

#include "TestAppServices.h"
#include "TestForm.h"
#include "controls/ToolTipDialog.h"
#include "controls/ToolTipPropertyPage.h"
#include "controls/ToolTipPropertySheet.h"
#include "controls/ToolTipRelay.h"
#include "framework/ControlId.h"
#include "framework/DataExchange.h"
#include "framework/MessageBox.h"
#include "framework/WindowClass.h"
#include "sdk/StringTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtTest>

using kestrel::SetControlId;

namespace {

class CountingPage : public CToolTipPropertyPage {
public:
    CountingPage(int templateId, CToolTipHost* host) : CToolTipPropertyPage(templateId, host) {
        new QVBoxLayout(this);
    }
    int inits = 0;
    bool refuseToLeave = false;
    bool OnKillActive() override { return !refuseToLeave && CToolTipPropertyPage::OnKillActive(); }

protected:
    bool OnInitDialog() override {
        ++inits;
        return CToolTipPropertyPage::OnInitDialog();
    }
};

// A form with one control of every kind the pass knows, and a sheet with two nested pages.
class FormDialog : public CToolTipDialog {
public:
    FormDialog() : CToolTipDialog(999) {
        new QVBoxLayout(this);
        title = addControl<QLineEdit>(this, 1004);
        label = new QLabel(QStringLiteral("Project &title:"), this);
        SetControlId(label, -1);
        label->setBuddy(title);
        layout()->addWidget(label);
        description = addControl<QPlainTextEdit>(this, 1030);
        save = addControl<QPushButton>(this, 1055);
        save->setText(QStringLiteral("Ok"));
        quit = addControl<QPushButton>(this, 1056);
        quit->setText(QStringLiteral("Cancel"));
        partial = addControl<QCheckBox>(this, 1016);
        nric = addControl<QRadioButton>(this, 1033);
        category = addControl<QComboBox>(this, 1054);
        category->addItems({QStringLiteral("A"), QStringLiteral("B")});
        commencement = addControl<QDateEdit>(this, 1005);
        frame = addControl<QFrame>(this, 1003);
        roads = addControl<QTreeWidget>(this, 1059);
        roles = addControl<QTreeWidget>(this, 1060);
        lots = addControl<QTreeWidget>(this, 1020);
        dropList = addControl<QWidget>(this, 1024);
        kestrel::SetWindowClassName(dropList, QStringLiteral("CComboDropList"));
        formatted = addControl<QGroupBox>(this, 1046);
        formatted->setTitle(QStringLiteral("Formatted"));
        formatted->setCheckable(true);
        formatted->setChecked(true);
        auto* inner = new QVBoxLayout(formatted);
        line1 = new QLineEdit(formatted);
        SetControlId(line1, 1019);
        inner->addWidget(line1);

        sheet = new CToolTipPropertySheet(this, this);
        layout()->addWidget(sheet);
        firstPage = new CountingPage(131, this);
        firstPage->setWindowTitle(QStringLiteral("First"));
        pageEdit = addControl<QLineEdit>(firstPage, 1013);
        secondPage = new CountingPage(132, this);
        secondPage->setWindowTitle(QStringLiteral("Second"));
        hiddenEdit = addControl<QLineEdit>(secondPage, 1014);
        sheet->AddPage(firstPage);
        sheet->AddPage(secondPage);
    }

    QLineEdit* title;
    QLabel* label;
    QPlainTextEdit* description;
    QPushButton* save;
    QPushButton* quit;
    QCheckBox* partial;
    QRadioButton* nric;
    QComboBox* category;
    QDateEdit* commencement;
    QFrame* frame;
    QTreeWidget* roads;
    QTreeWidget* roles;
    QTreeWidget* lots;
    QWidget* dropList;
    QGroupBox* formatted;
    QLineEdit* line1;
    CToolTipPropertySheet* sheet;
    CountingPage* firstPage;
    QLineEdit* pageEdit;
    CountingPage* secondPage;
    QLineEdit* hiddenEdit;
};

// A page with one exchanged field, at most five characters.
class DataPage : public CToolTipPropertyPage {
public:
    explicit DataPage(CToolTipHost* host) : CToolTipPropertyPage(133, host) {
        new QVBoxLayout(this);
        field = addControl<QPlainTextEdit>(this, 1030);
    }
    QString m_strText = QStringLiteral("abc");
    QPlainTextEdit* field;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Text(pDX, 1030, m_strText);
        DDV_MaxChars(pDX, m_strText, 5);
    }
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
    void tipsComeFromTheStringTableWithAccessibleTexts() {
        TestAppServices services(false);
        FormDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        QCOMPARE(dialog.title->toolTip(), GetRCString(1004));
        QCOMPARE(dialog.title->accessibleDescription(), GetRCString(1004));
        QCOMPARE(dialog.title->accessibleName(), QStringLiteral("Project title:"));
        // "Save && Quit" reads with one ampersand; a button is named by its caption.
        QCOMPARE(dialog.save->toolTip(), QStringLiteral("Save & Quit"));
        QCOMPARE(dialog.save->accessibleName(), QStringLiteral("Ok"));
        QCOMPARE(dialog.quit->accessibleDescription(), QStringLiteral("Quit without saving"));
        QCOMPARE(dialog.formatted->accessibleName(), QStringLiteral("Formatted"));
        // A control nested in the group box is still the dialog's own.
        QCOMPARE(dialog.line1->toolTip(), GetRCString(1019));
        // No string for the frame, and the unnamed label is skipped.
        QVERIFY(dialog.frame->toolTip().isEmpty());
        QVERIFY(dialog.label->toolTip().isEmpty());
        QVERIFY(!dialog.ToolTip().HasTool(dialog.frame));
        // The visible page attached its own controls; the other page waits for its first show.
        QCOMPARE(dialog.pageEdit->toolTip(), GetRCString(1013));
        QVERIFY(dialog.hiddenEdit->toolTip().isEmpty());
        dialog.sheet->SetActivePage(1);
        QCOMPARE(dialog.hiddenEdit->toolTip(), GetRCString(1014));
        // Nothing was logged and nothing changed state outside a view-only run.
        QVERIFY(services.log.isEmpty());
        QVERIFY(!dialog.title->isReadOnly());
        QVERIFY(dialog.save->isEnabled());
        QVERIFY(dialog.roads->isEnabled());
    }

    void viewOnlyPassLogsClassesAndLocksTheForm() {
        TestAppServices services(true);
        FormDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        // The dialog's own controls come first: it is set up before anything inside it is shown.
        const QStringList dialogClasses = {
            QStringLiteral("Edit"),           QStringLiteral("Edit"),
            QStringLiteral("Button"),         QStringLiteral("Button"),
            QStringLiteral("Button"),         QStringLiteral("Button"),
            QStringLiteral("ComboBox"),       QStringLiteral("SysDateTimePick32"),
            QStringLiteral("Static"),         QStringLiteral("SysListView32"),
            QStringLiteral("SysListView32"),  QStringLiteral("SysListView32"),
            QStringLiteral("CComboDropList"), QStringLiteral("Button"),
            QStringLiteral("Edit"),
        };
        QCOMPARE(services.log.mid(0, dialogClasses.size()), dialogClasses);
        // Then the visible page's one edit; the hidden page has not been visited yet.
        QCOMPARE(services.log.mid(dialogClasses.size()), QStringList{QStringLiteral("Edit")});

        // Edits: read-only but enabled, so their text can still be selected.
        QVERIFY(dialog.title->isReadOnly() && dialog.title->isEnabled());
        QVERIFY(dialog.description->isReadOnly() && dialog.description->isEnabled());
        QVERIFY(dialog.line1->isReadOnly() && dialog.line1->isEnabled());
        QVERIFY(dialog.pageEdit->isReadOnly());
        // Buttons, boxes, pickers and drop lists disabled, except Quit without saving.
        QVERIFY(!dialog.save->isEnabled());
        QVERIFY(dialog.quit->isEnabled());
        QVERIFY(!dialog.partial->isEnabled());
        QVERIFY(!dialog.nric->isEnabled());
        QVERIFY(!dialog.category->isEnabled());
        QVERIFY(!dialog.commencement->isEnabled());
        QVERIFY(!dialog.dropList->isEnabled());
        // The road and role lists are locked; other lists stay usable for looking at records.
        QVERIFY(!dialog.roads->isEnabled());
        QVERIFY(!dialog.roles->isEnabled());
        QVERIFY(dialog.lots->isEnabled());
        QVERIFY(dialog.frame->isEnabled());
        // A check-box group keeps its check, but the controls inside stay readable.
        QVERIFY(dialog.formatted->isEnabled());
        QVERIFY2(dialog.formatted->isChecked(), "checked before the click");
        QTest::mouseClick(dialog.formatted, Qt::LeftButton, {}, QPoint(10, 5));
        QVERIFY(dialog.formatted->isChecked());

        services.log.clear();
        dialog.sheet->SetActivePage(1);
        QCOMPARE(services.log, QStringList{QStringLiteral("Edit")});
        QVERIFY(dialog.hiddenEdit->isReadOnly());
    }

    void windowClassNamesFollowTheWidgetKind() {
        QWidget parent;
        QCOMPARE(kestrel::WindowClassName(new QLineEdit(&parent)), QStringLiteral("Edit"));
        QCOMPARE(kestrel::WindowClassName(new QPlainTextEdit(&parent)), QStringLiteral("Edit"));
        QCOMPARE(kestrel::WindowClassName(new QCheckBox(&parent)), QStringLiteral("Button"));
        QCOMPARE(kestrel::WindowClassName(new QGroupBox(&parent)), QStringLiteral("Button"));
        QCOMPARE(kestrel::WindowClassName(new QComboBox(&parent)), QStringLiteral("ComboBox"));
        QCOMPARE(kestrel::WindowClassName(new QDateEdit(&parent)),
                 QStringLiteral("SysDateTimePick32"));
        QCOMPARE(kestrel::WindowClassName(new QTreeWidget(&parent)),
                 QStringLiteral("SysListView32"));
        QCOMPARE(kestrel::WindowClassName(new QLabel(&parent)), QStringLiteral("Static"));
        QCOMPARE(kestrel::WindowClassName(new QFrame(&parent)), QStringLiteral("Static"));
        QCOMPARE(kestrel::WindowClassName(new QWidget(&parent)), QString());
        auto* combo = new QComboBox(&parent);
        kestrel::SetWindowClassName(combo, QStringLiteral("CComboDropList"));
        QCOMPARE(kestrel::WindowClassName(combo), QStringLiteral("CComboDropList"));
    }

    void relaySetCodesAndHook() {
        NamedRelay a;
        NamedRelay b;
        QCOMPARE(RegisterToolTipRelay(nullptr), -1L);
        QCOMPARE(UnregisterToolTipRelay(nullptr), -1L);
        QCOMPARE(UnregisterToolTipRelay(&a), E_INVALIDARG);
        QCOMPARE(static_cast<std::uint32_t>(E_INVALIDARG), 0x80070057u);
        QVERIFY(!ToolTipRelayHookInstalled());

        QCOMPARE(RegisterToolTipRelay(&a), 0L);
        QVERIFY(ToolTipRelayHookInstalled());
        QCOMPARE(RegisterToolTipRelay(&a), 0L); // twice changes nothing
        QCOMPARE(RegisteredToolTipRelayCount(), 1);
        QCOMPARE(RegisterToolTipRelay(&b), 0L);
        QCOMPARE(UnregisterToolTipRelay(&a), 0L);
        QVERIFY(ToolTipRelayHookInstalled()); // b still needs it
        QCOMPARE(UnregisterToolTipRelay(&b), 0L);
        QVERIFY(!ToolTipRelayHookInstalled());
        QCOMPARE(UnregisterToolTipRelay(&a), E_INVALIDARG);
    }

    void dialogRelaysMouseOverNestedControlsWhileSetUp() {
        TestAppServices services(false);
        {
            FormDialog dialog;
            QCOMPARE(RegisteredToolTipRelayCount(), 0);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QCOMPARE(RegisteredToolTipRelayCount(), 1);
            // A control of a nested page is seen by the dialog's tooltip through the hook.
            QTest::mouseMove(dialog.pageEdit, QPoint(3, 3));
            QTRY_COMPARE(dialog.ToolTip().CurrentTool(), static_cast<QWidget*>(dialog.pageEdit));
            QTest::mouseMove(dialog.title, QPoint(3, 3));
            QTRY_COMPARE(dialog.ToolTip().CurrentTool(), static_cast<QWidget*>(dialog.title));
        }
        // Gone with the dialog, and the hook with it.
        QCOMPARE(RegisteredToolTipRelayCount(), 0);
        QVERIFY(!ToolTipRelayHookInstalled());
    }

    void modalRunEndsTheRelay() {
        TestAppServices services(false);
        FormDialog dialog;
        QTimer::singleShot(0, &dialog, [&dialog] {
            QCOMPARE(RegisteredToolTipRelayCount(), 1);
            dialog.EndDialog(7);
        });
        QCOMPARE(dialog.DoModal(), 7);
        QCOMPARE(RegisteredToolTipRelayCount(), 0);
        QVERIFY(!dialog.ToolTip().IsWindow());
        QVERIFY(dialog.title->toolTip().isEmpty());
    }

    void pagesExchangeTheirDataWhenLeftAndEntered() {
        TestAppServices services(false);
        kestrel::ScriptedAnswerer answers;
        FormDialog dialog;
        auto* data = new DataPage(&dialog);
        dialog.sheet->insertTab(0, data, QStringLiteral("Data"));
        dialog.sheet->setCurrentIndex(0);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.sheet->GetActivePage(), data);
        QCOMPARE(data->field->toPlainText(), QStringLiteral("abc")); // set up from the member

        data->field->setPlainText(QStringLiteral("too long"));
        QVERIFY(!dialog.sheet->SetActivePage(1)); // the check keeps the page
        QCOMPARE(answers.messages().size(), size_t(1));
        QCOMPARE(dialog.sheet->GetActivePage(), data);

        data->field->setPlainText(QStringLiteral("xy"));
        QVERIFY(dialog.sheet->SetActivePage(1));
        QCOMPARE(data->m_strText, QStringLiteral("xy"));
        data->m_strText = QStringLiteral("z");
        QVERIFY(dialog.sheet->SetActivePage(0)); // entered again: controls from the members
        QCOMPARE(data->field->toPlainText(), QStringLiteral("z"));
        QVERIFY(data->UpdateData(false));
    }

    void pagesAreSetUpOnceOnFirstShowAndMayRefuseToBeLeft() {
        TestAppServices services(false);
        FormDialog dialog;
        QCOMPARE(dialog.firstPage->inits, 0);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.firstPage->inits, 1);
        QCOMPARE(dialog.secondPage->inits, 0);
        QVERIFY(dialog.sheet->SetActivePage(dialog.secondPage));
        QVERIFY(dialog.sheet->SetActivePage(0));
        QVERIFY(dialog.sheet->SetActivePage(1));
        QCOMPARE(dialog.firstPage->inits, 1);
        QCOMPARE(dialog.secondPage->inits, 1);

        dialog.secondPage->refuseToLeave = true;
        QVERIFY(!dialog.sheet->SetActivePage(0));
        QCOMPARE(dialog.sheet->GetActivePage(), dialog.secondPage);
        QVERIFY(!dialog.sheet->SetActivePage(5));
        // A page's controls are its own: not found from the dialog.
        QCOMPARE(GetDlgItem(&dialog, 1013), nullptr);
        QCOMPARE(GetDlgItem(dialog.firstPage, 1013), static_cast<QWidget*>(dialog.pageEdit));
    }
};

QTEST_MAIN(TestToolTipBases)
#include "tst_tooltip_bases.moc"
