// The record-list editor with a binding of the smallest kind (one text field), to pin down what
// pages with records of their own build on: the order of the calls into the binding and its
// hooks, the item data of new rows, and the duplicate text a page may replace.

#include "controls/HoverButton.h"
#include "controls/RecordListCtrl.h"
#include "framework/ControlId.h"
#include "framework/MessageBox.h"
#include "pages/RecordListEditor.h"

#include <QLineEdit>
#include <QVBoxLayout>
#include <QtTest>

namespace {

constexpr int kListId = 2000;

// One field ("name"), unique names, and a log of every call the editor makes.
class NameForm : public QWidget, public CRecordListBinding {
public:
    NameForm() : editor(this, *this) {
        kestrel::MarkAsForm(this);
        auto* layout = new QVBoxLayout(this);
        name = new QLineEdit(this);
        list = new CRecordListCtrl(this);
        kestrel::SetControlId(list, kListId);
        list->InsertColumn(0, QStringLiteral("Name"), 0, 120);
        layout->addWidget(name);
        for (CHoverButton** button : {&update, &remove, &reset, &saveAsNew}) {
            *button = new CHoverButton(QStringLiteral("Update"), this);
            layout->addWidget(*button);
        }
        layout->addWidget(list);
        editor.Attach(list, update, remove, reset, saveAsNew);
        editor.ResetForm(false, true);
    }

    bool IsFormEditedForNew() override { return !name->text().isEmpty(); }
    bool FormDiffersFromRow(int row) override { return name->text() != list->GetItemText(row, 0); }
    void ClearForm() override {
        calls << QStringLiteral("clear");
        name->clear();
    }
    void LoadRowIntoForm(int row) override {
        calls << QStringLiteral("load %1").arg(row);
        name->setText(list->GetItemText(row, 0));
    }
    void CheckForm(RecordCheckResult& result) override {
        if (name->text().isEmpty())
            result.Add(QStringLiteral("Name is mandatory"), name);
    }
    bool IsDuplicateOfRow(int row) override {
        return list->GetItemText(row, 0).compare(name->text(), Qt::CaseInsensitive) == 0;
    }
    QWidget* DuplicateFocus() override { return name; }
    QString DuplicateText() override { return QStringLiteral("Names must be unique"); }
    void MoveFormIntoRow(int row) override {
        calls << QStringLiteral("move %1").arg(row);
        list->SetItemText(row, 0, name->text());
        name->clear();
    }
    void BringForward(QWidget* control) override {
        calls << QStringLiteral("forward");
        CRecordListBinding::BringForward(control);
    }
    RecordItemData NewRowItemData() override { return ++madeData; }
    void RecordStored(int row) override {
        calls << QStringLiteral("stored %1 current %2").arg(row).arg(editor.CurrentItem());
    }
    void BeforeSaveAsNew() override {
        calls << QStringLiteral("save as new, current %1").arg(editor.CurrentItem());
    }
    void RowDeleted(int row, RecordItemData data) override {
        calls << QStringLiteral("deleted %1 data %2").arg(row).arg(data);
    }

    void store(const QString& text) {
        name->setText(text);
        QTest::mouseClick(saveAsNew, Qt::LeftButton);
    }
    void clickRow(int row) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->GetSubItemRect(row, 0).center());
    }

    QLineEdit* name;
    CRecordListCtrl* list;
    CHoverButton* update = nullptr;
    CHoverButton* remove = nullptr;
    CHoverButton* reset = nullptr;
    CHoverButton* saveAsNew = nullptr;
    CRecordListEditor editor;
    QStringList calls;
    RecordItemData madeData = 40;
};

} // namespace

class RecordListEditorTest : public QObject {
    Q_OBJECT

private slots:
    void newRowsGetTheirItemDataAndAreReportedBeforeTheFormIsCleared() {
        kestrel::ScriptedAnswerer answers;
        NameForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.calls.clear();
        form.store(QStringLiteral("ANN"));
        form.store(QStringLiteral("BOB"));
        QCOMPARE(form.list->GetItemCount(), 2);
        QCOMPARE(form.list->GetItemData(0), RecordItemData(41));
        QCOMPARE(form.list->GetItemData(1), RecordItemData(42));
        QCOMPARE(form.calls.mid(0, 4), (QStringList{"save as new, current -1", "move 0",
                                                    "stored 0 current -1", "clear"}));

        // Updating a loaded row keeps its data and makes none.
        form.clickRow(1);
        form.name->setText(QStringLiteral("BOBBY"));
        form.calls.clear();
        QTest::mouseClick(form.update, Qt::LeftButton);
        QCOMPARE(form.calls, (QStringList{"move 1", "stored 1 current 1", "clear"}));
        QCOMPARE(form.list->GetItemData(1), RecordItemData(42));
        QCOMPARE(form.madeData, RecordItemData(42));
        QVERIFY(answers.messages().empty());
    }

    void failedChecksBringTheControlForwardBeforeTheBox() {
        kestrel::ScriptedAnswerer answers;
        NameForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.store(QStringLiteral("ANN"));
        form.calls.clear();
        form.store(QString());
        QCOMPARE(form.calls, (QStringList{"save as new, current -1", "forward"}));
        QCOMPARE(answers.lastText(), QStringLiteral("Name is mandatory\n"));

        // The page's own duplicate text follows the row number.
        form.store(QStringLiteral("ann"));
        QCOMPARE(answers.lastText(), QStringLiteral("Record number: 1\nNames must be unique"));
        QCOMPARE(form.list->GetItemCount(), 1);
        QCOMPARE(form.name->text(), QStringLiteral("ann"));
    }

    void saveAsNewSeesTheLoadedRowAndDeletionHandsBackItsData() {
        kestrel::ScriptedAnswerer answers;
        NameForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.store(QStringLiteral("ANN"));
        form.store(QStringLiteral("BOB"));
        form.clickRow(0);
        QCOMPARE(form.editor.CurrentItem(), 0);
        form.name->setText(QStringLiteral("CAROL"));
        form.calls.clear();
        QTest::mouseClick(form.saveAsNew, Qt::LeftButton);
        QCOMPARE(form.calls.value(0), QStringLiteral("save as new, current 0"));
        QCOMPARE(form.list->GetItemCount(), 3);
        QCOMPARE(form.list->GetItemText(0, 0), QStringLiteral("ANN")); // the original stays

        form.clickRow(1);
        answers.queueAnswer(kestrel::IDYES);
        form.calls.clear();
        QTest::mouseClick(form.remove, Qt::LeftButton);
        QCOMPARE(form.calls.value(0), QStringLiteral("deleted 1 data 42"));
        QCOMPARE(form.editor.CurrentItem(), -1);
    }
};

QTEST_MAIN(RecordListEditorTest)
#include "tst_record_list_editor.moc"
