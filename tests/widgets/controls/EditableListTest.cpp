// The editable list: in-place text fields and drop-downs over the cells, by mouse and keyboard.

#include "TestForm.h"
#include "controls/EditableListCtrl.h"

#include <QtTest>
#include <QtWidgets>

class EditableListTest : public QObject {
    Q_OBJECT

    QWidget* m_form = nullptr;
    CEditableListCtrl* m_list = nullptr;
    QLineEdit* m_other = nullptr;

    void clickCell(int row, int column, QPoint offset = {}) {
        QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {},
                          m_list->GetSubItemRect(row, column).center() + offset);
    }
    // The editor that has taken the focus (an old one may not be gone yet).
    static CInPlaceEdit* focusedEdit() {
        CInPlaceEdit* edit = nullptr;
        (void)QTest::qWaitFor(
            [&edit] { return (edit = qobject_cast<CInPlaceEdit*>(QApplication::focusWidget())); },
            2000);
        return edit;
    }
    CInPlaceEdit* openEdit(int row, int column) {
        clickCell(row, column);
        return focusedEdit();
    }
    CInPlaceCombo* openCombo() {
        auto* combo = m_list->findChild<CInPlaceCombo*>();
        return combo && QTest::qWaitFor([combo] { return combo->view()->isVisible(); }) ? combo
                                                                                        : nullptr;
    }
    bool noEditor() const {
        return !m_list->findChild<CInPlaceEdit*>() && !m_list->findChild<CInPlaceCombo*>();
    }
    void focusList() {
        m_list->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), m_list);
    }

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

    // Enter stores, Escape cancels, a click on another cell or control stores; below the rows a
    // click opens nothing. Long text widens the field up to the list's edge.
    void textCellsByMouse() {
        CInPlaceEdit* edit = openEdit(1, 1);
        QVERIFY(edit);
        QCOMPARE(edit->text(), QStringLiteral("A1"));
        QTest::keyClick(edit, Qt::Key_End);
        QTest::keyClicks(edit, QStringLiteral("23"));
        QTest::keyClick(edit, Qt::Key_Return);
        QTRY_COMPARE(m_list->GetItemText(1, 1), QStringLiteral("A123"));
        QTRY_VERIFY(noEditor());
        QVERIFY((edit = openEdit(1, 1)));
        QTest::keyClicks(edit, QStringLiteral("xyz"));
        QTest::keyClick(edit, Qt::Key_Escape);
        QTRY_VERIFY(noEditor());
        QCOMPARE(m_list->GetItemText(1, 1), QStringLiteral("A123"));

        QVERIFY((edit = openEdit(0, 1)));
        QTest::keyClicks(edit, QStringLiteral("P"));
        CInPlaceEdit* second = openEdit(2, 1);
        QTRY_COMPARE(m_list->GetItemText(0, 1), QStringLiteral("PA0"));
        QVERIFY(second);
        QTest::keyClicks(second, QStringLiteral("Q"));
        QTest::mouseClick(m_other, Qt::LeftButton);
        QTRY_COMPARE(m_list->GetItemText(2, 1), QStringLiteral("QA2"));
        QTRY_VERIFY(noEditor());
        clickCell(2, 1, QPoint(0, 80));
        QCoreApplication::processEvents();
        QVERIFY(noEditor());

        // The last column reaches the list's edge already; this one stops short of it.
        m_list->InsertColumn(2, QStringLiteral("Note"), LVCFMT_LEFT, 60);
        QVERIFY((edit = openEdit(1, 1)));
        const int start = edit->width();
        QTest::keyClicks(edit, QStringLiteral("MMMMMMMMMMMM"));
        QVERIFY(edit->width() > start);
        QTest::keyClicks(edit, QString(60, QLatin1Char('M')));
        QCOMPARE(edit->geometry().right(), m_list->viewport()->width() - 1);
    }

    // A click on a role drops its choices open; a choice ends the edit at once. Delete (the
    // keypad's too) removes the selected row.
    void comboCellsAndDelete() {
        clickCell(0, 0);
        CInPlaceCombo* combo = openCombo();
        QVERIFY(combo);
        QCOMPARE(combo->currentText(), QStringLiteral("Architect"));
        QTest::keyClick(combo->view(), Qt::Key_Down);
        QTest::keyClick(combo->view(), Qt::Key_Down);
        QTest::keyClick(combo->view(), Qt::Key_Return);
        QTRY_COMPARE(m_list->GetItemText(0, 0), QStringLiteral("Land Surveyor"));
        QTRY_VERIFY(noEditor());

        focusList();
        m_list->SetItemSelected(1, true);
        QTest::keyClick(m_list, Qt::Key_Delete, Qt::KeypadModifier);
        QCOMPARE(m_list->GetItemCount(), 2);
        QCOMPARE(m_list->GetItemText(1, 1), QStringLiteral("A2"));
    }

    // F2 opens the keyboard's cell: the role's choices, then (Right) the number's text field.
    // Without a current cell it opens nothing.
    void f2OpensTheCurrentCell() {
        focusList();
        m_list->setCurrentIndex({});
        QTest::keyClick(m_list, Qt::Key_F2);
        QCoreApplication::processEvents();
        QVERIFY(noEditor());

        m_list->SetItemSelected(2, true);
        QTest::keyClick(m_list, Qt::Key_F2);
        CInPlaceCombo* combo = openCombo();
        QVERIFY(combo);
        QTest::keyClicks(combo->view(), QStringLiteral("Civil"));
        QTest::keyClick(combo->view(), Qt::Key_Return);
        QTRY_COMPARE(m_list->GetItemText(2, 0), QStringLiteral("Civil Engineer"));
        QTRY_VERIFY(noEditor());
        QTRY_COMPARE(QApplication::focusWidget(), m_list);
        QTest::keyClick(m_list, Qt::Key_Right);
        QTest::keyClick(m_list, Qt::Key_F2);
        CInPlaceEdit* edit = focusedEdit();
        QVERIFY(edit && edit->row() == 2 && edit->column() == 1);
        QCOMPARE(edit->text(), QStringLiteral("A2"));
    }
};

QTEST_MAIN(EditableListTest)
#include "EditableListTest.moc"
