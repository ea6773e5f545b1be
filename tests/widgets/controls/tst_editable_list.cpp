// The editable list: in-place text fields and drop-downs over the cells.

#include "TestForm.h"
#include "controls/EditableListCtrl.h"
#include "framework/ControlId.h"
#include "framework/WindowClass.h"

#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QVBoxLayout>
#include <QtTest>

namespace {
int roleColumnOnly(int column) {
    return column == 0 ? 1 : 0;
}
} // namespace

class EditableListTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void enterStoresTypedText();
    void enterStoresEmptyText();
    void escapeLeavesCellAlone();
    void clickOnAnotherCellStoresAndMovesOn();
    void clickBelowLastRowOpensNothing();
    void longTextWidensUpToTheListEdge();
    void comboChoiceIsStored();
    void comboWithoutMatchLeavesCellAlone();
    void deleteKeyRemovesMarkedRow();

private:
    CInPlaceEdit* openEdit(int row, int column);
    CInPlaceCombo* openCombo(int row);

    QWidget* m_form = nullptr;
    CEditableListCtrl* m_list = nullptr;
    QLineEdit* m_other = nullptr;
};

void EditableListTest::init() {
    m_form = new QWidget;
    new QVBoxLayout(m_form);
    m_list = addToForm<CEditableListCtrl>(m_form);
    m_other = addToForm<QLineEdit>(m_form);
    m_list->InsertColumn(0, QStringLiteral("Role"), LVCFMT_LEFT, 150);
    m_list->InsertColumn(1, QStringLiteral("Professional No."), LVCFMT_LEFT, 100);
    m_list->SetExtendedStyle(0x521);
    m_list->m_pfnIsComboColumn = roleColumnOnly;
    m_list->m_comboItems = {QStringLiteral("Architect"), QStringLiteral("Civil Engineer"),
                            QStringLiteral("Land Surveyor")};
    for (int r = 0; r < 3; ++r) {
        m_list->InsertItem(r, r == 0 ? QStringLiteral("Architect") : QString());
        m_list->SetItemText(r, 1, QStringLiteral("A%1").arg(r));
    }
    m_form->resize(320, 240);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
}

void EditableListTest::cleanup() {
    delete m_form;
}

CInPlaceEdit* EditableListTest::openEdit(int row, int column) {
    QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {},
                      m_list->GetSubItemRect(row, column).center());
    // The new editor is the one that takes the focus (an old one may not be gone yet).
    CInPlaceEdit* edit = nullptr;
    if (!QTest::qWaitFor(
            [&edit] { return (edit = qobject_cast<CInPlaceEdit*>(QApplication::focusWidget())); },
            2000)) {
        qWarning("no text field took the focus");
    }
    return edit;
}

CInPlaceCombo* EditableListTest::openCombo(int row) {
    QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {},
                      m_list->GetSubItemRect(row, 0).center());
    auto* combo = m_list->findChild<CInPlaceCombo*>();
    if (combo && !QTest::qWaitFor([combo] { return combo->view()->isVisible(); }, 2000)) {
        qWarning("the drop-down did not open");
    }
    return combo;
}

void EditableListTest::enterStoresTypedText() {
    CInPlaceEdit* edit = openEdit(1, 1);
    QVERIFY(edit);
    QCOMPARE(edit->text(), QStringLiteral("A1"));
    QCOMPARE(kestrel::GetControlId(edit), 4660);
    QCOMPARE(kestrel::WindowClassName(edit), QStringLiteral("Edit"));
    QCOMPARE(edit->cursorPosition(), 0);
    QVERIFY(!edit->hasSelectedText());
    QCOMPARE(edit->geometry().topLeft(), m_list->GetSubItemRect(1, 1).topLeft());
    QCOMPARE(edit->width(), m_list->GetColumnWidth(1));
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClicks(edit, QStringLiteral("23"));
    QTest::keyClick(edit, Qt::Key_Return);
    QTRY_COMPARE(m_list->GetItemText(1, 1), QStringLiteral("A123"));
    QTRY_COMPARE(QApplication::focusWidget(), m_list);
    QTRY_VERIFY(!m_list->findChild<CInPlaceEdit*>());
}

void EditableListTest::enterStoresEmptyText() {
    CInPlaceEdit* edit = openEdit(2, 1);
    QVERIFY(edit);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClick(edit, Qt::Key_Enter);
    QTRY_COMPARE(m_list->GetItemText(2, 1), QString());
}

void EditableListTest::escapeLeavesCellAlone() {
    CInPlaceEdit* edit = openEdit(1, 1);
    QVERIFY(edit);
    QTest::keyClicks(edit, QStringLiteral("xyz"));
    QTest::keyClick(edit, Qt::Key_Escape);
    QCOMPARE(m_list->GetItemText(1, 1), QStringLiteral("A1"));
    QTRY_VERIFY(!m_list->findChild<CInPlaceEdit*>());
    QCOMPARE(QApplication::focusWidget(), m_list);
}

void EditableListTest::clickOnAnotherCellStoresAndMovesOn() {
    CInPlaceEdit* edit = openEdit(0, 1);
    QVERIFY(edit);
    QTest::keyClicks(edit, QStringLiteral("P"));
    QPointer<CInPlaceEdit> first(edit);
    CInPlaceEdit* second = openEdit(2, 1);
    QTRY_COMPARE(m_list->GetItemText(0, 1), QStringLiteral("PA0"));
    QVERIFY(second);
    QCOMPARE(second->row(), 2);
    QTRY_VERIFY(!first);

    // A click on another control stores too.
    QTest::keyClicks(second, QStringLiteral("Q"));
    QTest::mouseClick(m_other, Qt::LeftButton);
    QTRY_COMPARE(m_list->GetItemText(2, 1), QStringLiteral("QA2"));
}

void EditableListTest::clickBelowLastRowOpensNothing() {
    const QRect last = m_list->GetSubItemRect(2, 1);
    QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, last.center() + QPoint(0, 80));
    QTest::qWait(20);
    QVERIFY(!m_list->findChild<CInPlaceEdit*>());
    QVERIFY(!m_list->findChild<CInPlaceCombo*>());
    QVERIFY(!m_list->EditSubItem(3, 1));
    QVERIFY(!m_list->EditSubItem(-1, 1));
}

void EditableListTest::longTextWidensUpToTheListEdge() {
    CInPlaceEdit* edit = openEdit(1, 1);
    QVERIFY(edit);
    const int start = edit->width();
    QTest::keyClicks(edit, QStringLiteral("MMMMMMMMMMMM"));
    QVERIFY(edit->width() > start);
    QTest::keyClicks(edit, QString(60, QLatin1Char('M')));
    QCOMPARE(edit->geometry().right(), m_list->viewport()->width() - 1);
    QTest::keyClick(edit, Qt::Key_Return);
    QTRY_COMPARE(m_list->GetItemText(1, 1).size(), 2 + 72);
}

void EditableListTest::comboChoiceIsStored() {
    CInPlaceCombo* combo = openCombo(0);
    QVERIFY(combo);
    QCOMPARE(combo->currentText(), QStringLiteral("Architect"));
    QCOMPARE(combo->count(), 3);
    QCOMPARE(kestrel::GetControlId(combo), 4661);
    QCOMPARE(kestrel::WindowClassName(combo), QStringLiteral("ComboBox"));
    // Choosing the third role with the keyboard in the open drop-down ends the edit at once.
    QTest::keyClick(combo->view(), Qt::Key_Down);
    QTest::keyClick(combo->view(), Qt::Key_Down);
    QTest::keyClick(combo->view(), Qt::Key_Return);
    QTRY_COMPARE(m_list->GetItemText(0, 0), QStringLiteral("Land Surveyor"));
    QTRY_VERIFY(!m_list->findChild<CInPlaceCombo*>());
}

void EditableListTest::comboWithoutMatchLeavesCellAlone() {
    m_list->SetItemText(1, 0, QStringLiteral("Gardener"));
    CInPlaceCombo* combo = openCombo(1);
    QVERIFY(combo);
    QCOMPARE(combo->currentIndex(), -1);
    QTest::keyClick(combo->view(), Qt::Key_Escape);
    QTRY_VERIFY(!m_list->findChild<CInPlaceCombo*>());
    QCOMPARE(m_list->GetItemText(1, 0), QStringLiteral("Gardener"));
}

void EditableListTest::deleteKeyRemovesMarkedRow() {
    m_list->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), m_list);
    m_list->SetSelectionMark(-1);
    QTest::keyClick(m_list, Qt::Key_Delete);
    QCOMPARE(m_list->GetItemCount(), 3);

    m_list->SetItemSelected(1, true);
    QTest::keyClick(m_list, Qt::Key_Delete);
    QCOMPARE(m_list->GetItemCount(), 2);
    QCOMPARE(m_list->GetItemText(1, 1), QStringLiteral("A2"));
}

QTEST_MAIN(EditableListTest)
#include "tst_editable_list.moc"
