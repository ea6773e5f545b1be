// The record table, the record list and the list exchange functions.

#include "TestForm.h"
#include "controls/ListExchange.h"
#include "controls/RecordListCtrl.h"
#include "controls/RecordTable.h"
#include "framework/ControlId.h"
#include "framework/DataExchange.h"
#include "framework/MessageBox.h"
#include "framework/WindowClass.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QtTest>
#include <stdexcept>

namespace {
constexpr int kListId = 1020;
constexpr int kEditId = 1015;
constexpr int kCheckId = 1016;
constexpr int kComboId = 1018;
} // namespace

class RecordListTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void tableReadsOutsideRaise();
    void tableCopiesByValue();
    void tableRoundTripsThroughTheList();
    void savingAnEmptyListEmptiesTheTable();
    void missingWindowsMakeExchangesNoOps();
    void cellToControlExchanges();
    void comboSearchStartsAfterTheFirstItem();
    void deleteAsksAndKeepsRowOnNo();
    void clickActivatesKeyboardDoesNot();
    void currentRowColours();
    void noCurrentRowPaintsAllGrey();
    void headersNeitherSortNorSelect();
    void zeroWidthColumnStaysHidden();

private:
    void fill(int rows);
    QColor pixelOfRow(int row);

    QWidget* m_form = nullptr;
    CRecordListCtrl* m_list = nullptr;
    QLineEdit* m_edit = nullptr;
    QCheckBox* m_check = nullptr;
    QComboBox* m_combo = nullptr;
    kestrel::ScriptedAnswerer* m_answerer = nullptr;
};

void RecordListTest::init() {
    m_answerer = new kestrel::ScriptedAnswerer;
    m_form = new QWidget;
    new QVBoxLayout(m_form);
    m_edit = addControl<QLineEdit>(m_form, kEditId);
    m_check = addControl<QCheckBox>(m_form, kCheckId, QStringLiteral("Partial Lot"));
    m_combo = addControl<QComboBox>(m_form, kComboId);
    m_list = addControl<CRecordListCtrl>(m_form, kListId);
    m_list->InsertColumn(0, QStringLiteral("MK/TS"), LVCFMT_LEFT, 120);
    m_list->InsertColumn(1, QStringLiteral("Plot No"), LVCFMT_LEFT, 70);
    m_list->InsertColumn(2, QStringLiteral("Lot No"), LVCFMT_LEFT, 70);
    m_list->SetExtendedStyle(m_list->GetExtendedStyle() | 0xD61);
    m_form->resize(400, 300);
}

void RecordListTest::cleanup() {
    delete m_form;
    delete m_answerer;
}

void RecordListTest::fill(int rows) {
    for (int r = 0; r < rows; ++r) {
        const int item = m_list->InsertItem(m_list->GetItemCount(), QStringLiteral("MK%1").arg(r));
        m_list->SetItemText(item, 1, QStringLiteral("P%1").arg(r));
        m_list->SetItemText(item, 2, QStringLiteral("L%1").arg(r));
        m_list->SetItemData(item, static_cast<RecordItemData>(100 + r));
    }
}

QColor RecordListTest::pixelOfRow(int row) {
    const QRect cell = m_list->GetSubItemRect(row, 1);
    const QImage image = m_list->viewport()->grab().toImage();
    return image.pixelColor(cell.center() + QPoint(cell.width() / 2 - 4, 0));
}

void RecordListTest::tableReadsOutsideRaise() {
    RecordTable table(2);
    table.AppendRow().SetCell(1, QStringLiteral("b"));
    QCOMPARE(table.GetCell(0, 1), QStringLiteral("b"));
    QCOMPARE(table.GetCell(0, 0), QString());
    QCOMPARE(table.GetItemData(0), RecordItemData(0));
    for (auto [row, column] : {std::pair{1, 0}, std::pair{0, 2}, std::pair{-1, 0}}) {
        try {
            table.GetCell(row, column);
            QFAIL("no out-of-range error");
        } catch (const std::out_of_range& error) {
            QCOMPARE(QString::fromLatin1(error.what()), QStringLiteral("Array out of bound"));
        }
    }
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, table.SetCell(0, 5, QStringLiteral("x")));
}

void RecordListTest::tableCopiesByValue() {
    RecordTable table(1);
    table.AppendRow().SetCell(0, QStringLiteral("a"));
    table.SetItemData(0, 7);
    RecordTable copy = table;
    table.SetCell(0, 0, QStringLiteral("changed"));
    QCOMPARE(copy.GetCell(0, 0), QStringLiteral("a"));
    QCOMPARE(copy.GetItemData(0), RecordItemData(7));
    table.RemoveAll();
    QCOMPARE(table.GetRowCount(), 0);
    QCOMPARE(copy.GetRowCount(), 1);
}

void RecordListTest::tableRoundTripsThroughTheList() {
    RecordTable table(3);
    for (int r = 0; r < 3; ++r) {
        RecordRow& row = table.AppendRow();
        row.SetCell(0, QStringLiteral("MK%1").arg(r));
        row.SetCell(2, QStringLiteral("L%1").arg(r));
        row.SetItemData(static_cast<RecordItemData>(0xABCD0000u + r));
    }
    fill(5); // rows from before are replaced
    CDataExchange load(m_form, false);
    QCOMPARE(DDX_ListTable(&load, kListId, table), 1);
    QCOMPARE(m_list->GetItemCount(), 3);
    QCOMPARE(m_list->GetItemText(2, 2), QStringLiteral("L2"));
    QCOMPARE(m_list->GetItemData(1), RecordItemData(0xABCD0001u));

    RecordTable back(3);
    back.AppendRow();
    CDataExchange save(m_form, true);
    QCOMPARE(DDX_ListTable(&save, kListId, back), 1);
    QCOMPARE(back, table);
}

void RecordListTest::savingAnEmptyListEmptiesTheTable() {
    RecordTable table(3);
    table.AppendRow();
    CDataExchange save(m_form, true);
    QCOMPARE(DDX_ListTable(&save, kListId, table), 1);
    QCOMPARE(table.GetRowCount(), 0);
    QCOMPARE(GetSelectedListItem(m_form, kListId), -1);
    QCOMPARE(DeleteSelectedListItem(m_form, kListId, true), 0);
    QVERIFY(m_answerer->messages().empty());
}

void RecordListTest::missingWindowsMakeExchangesNoOps() {
    fill(1);
    QString text = QStringLiteral("keep");
    QCOMPARE(SetListCellText(m_form, 999, text, 0, 0, true), 0);
    QCOMPARE(text, QStringLiteral("keep"));
    QCOMPARE(EditToListCell(m_form, kListId, 999, 0, 0, true), 0);
    QCOMPARE(m_list->GetItemText(0, 0), QStringLiteral("MK0"));
    QCOMPARE(GetSelectedListItem(m_form, 999), -1);
    RecordTable table(3);
    table.AppendRow();
    CDataExchange save(m_form, true);
    QCOMPARE(DDX_ListTable(&save, 999, table), 0);
    QCOMPARE(table.GetRowCount(), 1);
}

void RecordListTest::cellToControlExchanges() {
    fill(2);
    QString text = QStringLiteral("new plot");
    QCOMPARE(SetListCellText(m_form, kListId, text, 1, 1, true), 1);
    QCOMPARE(text, QString());
    QString read;
    QCOMPARE(GetListCellText(m_form, kListId, read, 1, 1), 1);
    QCOMPARE(read, QStringLiteral("new plot"));

    m_edit->setText(QStringLiteral("12A"));
    QCOMPARE(EditToListCell(m_form, kListId, kEditId, 0, 2, true), 1);
    QCOMPARE(m_list->GetItemText(0, 2), QStringLiteral("12A"));
    QCOMPARE(m_edit->text(), QString());
    QCOMPARE(ListCellToEdit(m_form, kListId, kEditId, 1, 0), 1);
    QCOMPARE(m_edit->text(), QStringLiteral("MK1"));

    m_check->setChecked(true);
    QCOMPARE(CheckToListCell(m_form, kListId, kCheckId, 0, 1, true), 1);
    QCOMPARE(m_list->GetItemText(0, 1), QStringLiteral("Y"));
    QVERIFY(!m_check->isChecked());
    QCOMPARE(CheckToListCell(m_form, kListId, kCheckId, 1, 1, false), 1);
    QCOMPARE(m_list->GetItemText(1, 1), QStringLiteral("N"));
    for (auto [cell, ticked] : {std::pair{"y", true}, std::pair{"Y", true}, std::pair{"", false},
                                std::pair{"N", false}}) {
        m_list->SetItemText(0, 1, QString::fromLatin1(cell));
        m_check->setChecked(!ticked);
        QCOMPARE(ListCellToCheck(m_form, kListId, kCheckId, 0, 1), 1);
        QCOMPARE(m_check->isChecked(), ticked);
    }

    m_combo->addItems({QStringLiteral("MK01 Alpha"), QStringLiteral("MK02 Beta")});
    m_combo->setCurrentIndex(1);
    QCOMPARE(ComboToListCell(m_form, kListId, kComboId, 0, 0, true), 1);
    QCOMPARE(m_list->GetItemText(0, 0), QStringLiteral("MK02 Beta"));
    QCOMPARE(m_combo->currentIndex(), -1);
}

void RecordListTest::comboSearchStartsAfterTheFirstItem() {
    fill(1);
    m_combo->addItems({QStringLiteral("Alpha"), QStringLiteral("Alp"), QStringLiteral("Beta")});
    m_list->SetItemText(0, 0, QStringLiteral("alp"));
    QCOMPARE(ListCellToCombo(m_form, kListId, kComboId, 0, 0), 1);
    QCOMPARE(m_combo->currentIndex(), 1);
    m_list->SetItemText(0, 0, QStringLiteral("ALPHA"));
    QCOMPARE(ListCellToCombo(m_form, kListId, kComboId, 0, 0), 1);
    QCOMPARE(m_combo->currentIndex(), 0);
    m_list->SetItemText(0, 0, QStringLiteral("Gamma"));
    QCOMPARE(ListCellToCombo(m_form, kListId, kComboId, 0, 0), 0);
    QCOMPARE(m_combo->currentIndex(), 0);
}

void RecordListTest::deleteAsksAndKeepsRowOnNo() {
    fill(3);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    m_list->SetItemSelected(1, true);
    m_answerer->queueAnswer(kestrel::IDNO);
    QCOMPARE(DeleteSelectedListItem(m_form, kListId, true), 0);
    QCOMPARE(m_list->GetItemCount(), 3);
    QCOMPARE(m_answerer->messages().size(), size_t(1));
    const auto& asked = m_answerer->messages().front();
    QCOMPARE(asked.text, QStringLiteral("Confirm delete selected record?"));
    QCOMPARE(asked.caption, QStringLiteral("Message"));
    QCOMPARE(asked.buttons, unsigned(kestrel::MB_YESNO));
    QCOMPARE(asked.icon, unsigned(kestrel::MB_ICONQUESTION));
    QTRY_COMPARE(QApplication::focusWidget(), m_list);

    m_answerer->queueAnswer(kestrel::IDYES);
    QCOMPARE(DeleteSelectedListItem(m_form, kListId, true), 1);
    QCOMPARE(m_list->GetItemCount(), 2);
    QCOMPARE(m_list->GetItemText(1, 0), QStringLiteral("MK2"));

    m_list->SetItemSelected(0, true);
    QCOMPARE(DeleteSelectedListItem(m_form, kListId, false), 1);
    QCOMPARE(m_list->GetItemText(0, 0), QStringLiteral("MK2"));
    QCOMPARE(m_answerer->messages().size(), size_t(2));
}

void RecordListTest::clickActivatesKeyboardDoesNot() {
    fill(4);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    QSignalSpy activated(m_list, &CRecordListCtrl::itemActivated);

    QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {},
                      m_list->GetSubItemRect(2, 1).center());
    QCOMPARE(activated.count(), 1);
    QCOMPARE(activated.front().front().toInt(), 2);
    QCOMPARE(GetSelectedListItem(m_form, kListId), 2);

    QTest::keyClick(m_list, Qt::Key_Down);
    QCOMPARE(GetSelectedListItem(m_form, kListId), 3);
    QTest::keyClick(m_list, Qt::Key_Return);
    QCOMPARE(activated.count(), 1);

    // Below the last row there is nothing to activate.
    const QRect last = m_list->GetSubItemRect(3, 0);
    QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, last.center() + QPoint(0, 60));
    QCOMPARE(activated.count(), 1);
}

void RecordListTest::currentRowColours() {
    fill(3);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    m_list->m_nCurrentItem = 1;
    m_edit->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), m_edit);

    // Painting a list without selection selects the current row.
    QCOMPARE(m_list->GetNextSelectedItem(), -1);
    m_list->RedrawList();
    QTRY_COMPARE(m_list->GetNextSelectedItem(), 1);

    const CRecordListCtrl::RowPaint current = m_list->GetRowPaint(1);
    QVERIFY(!current.systemColors);
    QCOMPARE(current.background, QColor(0, 0, 255));
    QCOMPARE(current.text, QColor(255, 255, 255));
    QCOMPARE(pixelOfRow(1), QColor(0, 0, 255));
    QCOMPARE(pixelOfRow(0), QColor(238, 238, 238));

    // Another row selected (with the keyboard) stays selected but is painted grey.
    m_list->SetItemSelected(2, true);
    QCOMPARE(pixelOfRow(2), QColor(238, 238, 238));
    QCOMPARE(pixelOfRow(1), QColor(0, 0, 255));
    QCOMPARE(GetSelectedListItem(m_form, kListId), 2);

    // In the focused list a selected current row has the system's selection colours.
    m_list->SetItemSelected(1, true);
    m_list->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), m_list);
    QVERIFY(m_list->GetRowPaint(1).systemColors);
    const QColor highlight = m_list->palette().color(QPalette::Active, QPalette::Highlight);
    QCOMPARE(pixelOfRow(1), highlight);
    QCOMPARE(pixelOfRow(0), QColor(238, 238, 238));
}

void RecordListTest::noCurrentRowPaintsAllGrey() {
    fill(3);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    m_list->m_nCurrentItem = -1;
    m_list->RedrawList();
    for (int row = 0; row < 3; ++row) {
        QCOMPARE(pixelOfRow(row), QColor(238, 238, 238));
    }
    QCOMPARE(m_list->GetNextSelectedItem(), -1);
}

void RecordListTest::headersNeitherSortNorSelect() {
    m_list->InsertItem(0, QStringLiteral("b"));
    m_list->InsertItem(1, QStringLiteral("a"));
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    QHeaderView* header = m_list->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionPosition(0) + 10, header->height() / 2));
    QCOMPARE(m_list->GetItemText(0, 0), QStringLiteral("b"));
    QCOMPARE(m_list->GetNextSelectedItem(), -1);
}

void RecordListTest::zeroWidthColumnStaysHidden() {
    QCOMPARE(m_list->InsertColumn(3, QStringLiteral("Key"), LVCFMT_LEFT, 0), 3);
    QVERIFY(m_list->isColumnHidden(3));
    QCOMPARE(m_list->GetColumnWidth(3), 0);
    QCOMPARE(m_list->GetColumnWidth(1), 70);
    QCOMPARE(kestrel::WindowClassName(m_list), QStringLiteral("SysListView32"));
    fill(1);
    m_list->SetItemText(0, 3, QStringLiteral("hidden"));
    QCOMPARE(m_list->GetItemText(0, 3), QStringLiteral("hidden"));

    // Dragging the last visible column's edge widens that column; the hidden one stays shut.
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    QHeaderView* header = m_list->horizontalHeader();
    const int edge = header->sectionViewportPosition(2) + header->sectionSize(2) - 1;
    const int y = header->height() / 2;
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, QPoint(edge, y));
    QTest::mouseMove(header->viewport(), QPoint(edge + 20, y));
    QTest::mouseMove(header->viewport(), QPoint(edge + 40, y));
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, QPoint(edge + 40, y));
    QVERIFY(m_list->GetColumnWidth(2) > 70);
    QVERIFY(m_list->isColumnHidden(3));
    QCOMPARE(m_list->GetColumnWidth(3), 0);
}

QTEST_MAIN(RecordListTest)
#include "tst_record_list.moc"
