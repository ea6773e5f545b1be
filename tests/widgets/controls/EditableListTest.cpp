// The editable list: in-place text fields and drop-downs over the cells.

#include "TestForm.h"
#include "controls/EditableListCtrl.h"

#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QVBoxLayout>
#include <QtTest>

class EditableListTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_form = new QWidget;
        new QVBoxLayout(m_form);
        m_list = addToForm<CEditableListCtrl>(m_form);
        m_other = addToForm<QLineEdit>(m_form);
        m_list->InsertColumn(0, QStringLiteral("Role"), LVCFMT_LEFT, 150);
        m_list->InsertColumn(1, QStringLiteral("Professional No."), LVCFMT_LEFT, 100);
        m_list->SetExtendedStyle(0x521);
        m_list->m_pfnIsComboColumn = [](int column) { return column == 0 ? 1 : 0; };
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
    void cleanup() { delete m_form; }

    void enterStoresEscapeCancels() {
        CInPlaceEdit* edit = openEdit(1, 1);
        QVERIFY(edit);
        QCOMPARE(edit->text(), QStringLiteral("A1"));
        QTest::keyClick(edit, Qt::Key_End);
        QTest::keyClicks(edit, QStringLiteral("23"));
        QTest::keyClick(edit, Qt::Key_Return);
        QTRY_COMPARE(m_list->GetItemText(1, 1), QStringLiteral("A123"));
        QTRY_VERIFY(!m_list->findChild<CInPlaceEdit*>());

        edit = openEdit(1, 1);
        QVERIFY(edit);
        QTest::keyClicks(edit, QStringLiteral("xyz"));
        QTest::keyClick(edit, Qt::Key_Escape);
        QTRY_VERIFY(!m_list->findChild<CInPlaceEdit*>());
        QCOMPARE(m_list->GetItemText(1, 1), QStringLiteral("A123"));
    }

    void clickElsewhereStoresAndBelowTheRowsOpensNothing() {
        CInPlaceEdit* edit = openEdit(0, 1);
        QVERIFY(edit);
        QTest::keyClicks(edit, QStringLiteral("P"));
        CInPlaceEdit* second = openEdit(2, 1);
        QTRY_COMPARE(m_list->GetItemText(0, 1), QStringLiteral("PA0"));
        QVERIFY(second);
        QTest::keyClicks(second, QStringLiteral("Q"));
        QTest::mouseClick(m_other, Qt::LeftButton); // another control stores too
        QTRY_COMPARE(m_list->GetItemText(2, 1), QStringLiteral("QA2"));
        QTRY_VERIFY(!m_list->findChild<CInPlaceEdit*>());

        const QRect last = m_list->GetSubItemRect(2, 1);
        QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, last.center() + QPoint(0, 80));
        QTest::qWait(20);
        QVERIFY(!m_list->findChild<CInPlaceEdit*>());
        QVERIFY(!m_list->findChild<CInPlaceCombo*>());
    }

    void longTextWidensUpToTheListEdge() {
        // The last column reaches the list's edge already; this one stops short of it.
        m_list->InsertColumn(2, QStringLiteral("Note"), LVCFMT_LEFT, 60);
        CInPlaceEdit* edit = openEdit(1, 1);
        QVERIFY(edit);
        const int start = edit->width();
        QTest::keyClicks(edit, QStringLiteral("MMMMMMMMMMMM"));
        QVERIFY(edit->width() > start);
        QTest::keyClicks(edit, QString(60, QLatin1Char('M')));
        QCOMPARE(edit->geometry().right(), m_list->viewport()->width() - 1);
    }

    void comboChoiceIsStoredAndDeleteRemovesTheRow() {
        QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {},
                          m_list->GetSubItemRect(0, 0).center());
        auto* combo = m_list->findChild<CInPlaceCombo*>();
        QVERIFY(combo);
        QTRY_VERIFY(combo->view()->isVisible());
        QCOMPARE(combo->currentText(), QStringLiteral("Architect"));
        // Choosing the third role in the open drop-down ends the edit at once.
        QTest::keyClick(combo->view(), Qt::Key_Down);
        QTest::keyClick(combo->view(), Qt::Key_Down);
        QTest::keyClick(combo->view(), Qt::Key_Return);
        QTRY_COMPARE(m_list->GetItemText(0, 0), QStringLiteral("Land Surveyor"));
        QTRY_VERIFY(!m_list->findChild<CInPlaceCombo*>());

        m_list->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), m_list);
        m_list->SetItemSelected(1, true);
        QTest::keyClick(m_list, Qt::Key_Delete);
        QCOMPARE(m_list->GetItemCount(), 2);
        QCOMPARE(m_list->GetItemText(1, 1), QStringLiteral("A2"));
        // The keypad's Delete is the same key.
        m_list->SetItemSelected(0, true);
        QTest::keyClick(m_list, Qt::Key_Delete, Qt::KeypadModifier);
        QCOMPARE(m_list->GetItemCount(), 1);
        QCOMPARE(m_list->GetItemText(0, 1), QStringLiteral("A2"));
    }

    void f2OpensTheCurrentCellForTheKeyboard() {
        m_list->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), m_list);
        m_list->SetItemSelected(2, true);
        // The marked row opens at its role: its choices drop open and the keys choose one.
        QTest::keyClick(m_list, Qt::Key_F2);
        auto* combo = m_list->findChild<CInPlaceCombo*>();
        QVERIFY(combo);
        QTRY_VERIFY(combo->view()->isVisible());
        QTest::keyClicks(combo->view(), QStringLiteral("Civil"));
        QTest::keyClick(combo->view(), Qt::Key_Return);
        QTRY_COMPARE(m_list->GetItemText(2, 0), QStringLiteral("Civil Engineer"));
        QTRY_VERIFY(!m_list->findChild<CInPlaceCombo*>());

        // Right moves to the number's cell of the same row; F2 opens its text field.
        QTRY_COMPARE(QApplication::focusWidget(), m_list);
        QTest::keyClick(m_list, Qt::Key_Right);
        QTest::keyClick(m_list, Qt::Key_F2);
        CInPlaceEdit* edit = nullptr;
        QTRY_VERIFY((edit = qobject_cast<CInPlaceEdit*>(QApplication::focusWidget())));
        QCOMPARE(edit->row(), 2);
        QCOMPARE(edit->column(), 1);
        QTest::keyClick(edit, Qt::Key_End);
        QTest::keyClicks(edit, QStringLiteral("7"));
        QTest::keyClick(edit, Qt::Key_Return);
        QTRY_COMPARE(m_list->GetItemText(2, 1), QStringLiteral("A27"));
        QCOMPARE(m_list->GetItemText(2, 0), QStringLiteral("Civil Engineer"));
    }

    void f2WithoutACurrentCellOpensNothing() {
        m_list->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), m_list);
        m_list->setCurrentIndex({});
        QTest::keyClick(m_list, Qt::Key_F2);
        QTest::qWait(20);
        QVERIFY(!m_list->findChild<CInPlaceEdit*>());
        QVERIFY(!m_list->findChild<CInPlaceCombo*>());
    }

private:
    CInPlaceEdit* openEdit(int row, int column) {
        QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {},
                          m_list->GetSubItemRect(row, column).center());
        // The new editor is the one that takes the focus (an old one may not be gone yet).
        CInPlaceEdit* edit = nullptr;
        (void)QTest::qWaitFor(
            [&edit] { return (edit = qobject_cast<CInPlaceEdit*>(QApplication::focusWidget())); },
            2000);
        return edit;
    }

    QWidget* m_form = nullptr;
    CEditableListCtrl* m_list = nullptr;
    QLineEdit* m_other = nullptr;
};

QTEST_MAIN(EditableListTest)
#include "EditableListTest.moc"
