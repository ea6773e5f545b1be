// The record table, the record list and the list exchange functions.

#include "TestForm.h"
#include "controls/ListExchange.h"
#include "controls/RecordListCtrl.h"
#include "controls/RecordTable.h"
#include "framework/DataExchange.h"
#include "framework/MessageBox.h"

#include <QtTest>
#include <QtWidgets>
#include <stdexcept>

namespace {

constexpr int kListId = 1020;

QStringList cells(const RecordRow& row) {
    QStringList all;
    for (int column = 0; column < row.GetColumnCount(); ++column)
        all << row.GetCell(column);
    return all;
}

QStringList column(const RecordTable& table, int column) {
    QStringList all;
    for (int row = 0; row < table.GetRowCount(); ++row)
        all << table.GetCell(row, column);
    return all;
}

} // namespace

class RecordListTest : public QObject {
    Q_OBJECT

    QWidget* m_form = nullptr;
    CRecordListCtrl* m_list = nullptr;
    QLineEdit* m_edit = nullptr;
    kestrel::ScriptedAnswerer* m_answerer = nullptr;

    QStringList listColumn(int column) const {
        QStringList all;
        for (int row = 0; row < m_list->GetItemCount(); ++row)
            all << m_list->GetItemText(row, column);
        return all;
    }
    int selected() const { return GetSelectedListItem(m_form, kListId); }

private slots:
    void init() {
        m_answerer = new kestrel::ScriptedAnswerer;
        m_form = new QWidget;
        new QVBoxLayout(m_form);
        m_edit = addToForm<QLineEdit>(m_form);
        m_list = addControl<CRecordListCtrl>(m_form, kListId);
        m_list->InsertColumn(0, QStringLiteral("MK/TS"), LVCFMT_LEFT, 120);
        m_list->InsertColumn(1, QStringLiteral("Plot No"), LVCFMT_LEFT, 70);
        m_list->InsertColumn(2, QStringLiteral("Lot No"), LVCFMT_LEFT, 70);
        m_list->SetExtendedStyle(m_list->GetExtendedStyle() | 0xD61);
        m_form->resize(400, 300);
        for (int r = 0; r < 4; ++r)
            m_list->SetItemText(m_list->InsertItem(r, QStringLiteral("MK%1").arg(r)), 1,
                                QStringLiteral("P%1").arg(r));
        m_form->show();
        QVERIFY(QTest::qWaitForWindowActive(m_form));
    }
    void cleanup() {
        delete m_form;
        delete m_answerer;
    }

    // Rows inserted and removed anywhere, and nothing outside the table. A row keeps every cell
    // exactly whatever order the cells are set in and whatever their length (a loaded cell is
    // never cut); filled at once it takes the texts given and empties the cells after them.
    void tableAndRowsKeepEveryCell() {
        RecordTable table(2);
        table.AppendRow().SetCell(0, QStringLiteral("b"));
        table.InsertRow(0).SetCell(0, QStringLiteral("a"));
        table.InsertRow(2).SetCell(0, QStringLiteral("c"));
        table.RemoveRow(1);
        QCOMPARE(column(table, 0), QStringList({"a", "c"}));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, table.GetCell(2, 0));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, table.GetCell(0, 2));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, table.InsertRow(3));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, table.InsertRow(-1));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, table.RemoveRow(2));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, table.SetCell(2, 0, QStringLiteral("x")));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, table.SetItemData(-1, 1));
        const RecordTable copy = table;
        table.RemoveAll();
        QVERIFY(table.IsEmpty() && copy.GetRowCount() == 2);

        const QString huge(70000, QLatin1Char('x'));
        const QString astral = QStringLiteral("\U0001F600 e\u0301 \u05E9\u05DC\u05D5\u05DD");
        RecordRow row(4);
        row.SetCell(2, QStringLiteral("two"));
        row.SetCell(0, huge);
        row.SetCell(3, astral);
        row.SetCell(2, row.CellView(3)); // from its own text
        QCOMPARE(cells(row), QStringList({huge, "", astral, astral}));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, row.CellView(4));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, row.SetCell(-1, QString()));
        const QString given[] = {QStringLiteral("a"), QString(), astral, huge, huge};
        const QStringView views[] = {given[0], given[1], given[2], given[3], given[4]};
        row.AssignCells(views, 3);
        QCOMPARE(cells(row), QStringList({"a", "", astral, ""}));
        row.AssignCells(views, 5); // beyond the row's columns: ignored
        QCOMPARE(row.GetCell(3), huge);
        RecordRow same = row;
        same.SetItemData(1);
        QVERIFY(!(same == row) && !(row == RecordRow(4)));
        row.AssignCells(views, 0);
        QVERIFY(row == RecordRow(4));
    }

    // A row filled from UTF-8, Latin-1 and UTF-16 at once holds what a string made from each
    // would: every length (fields are read in words), beyond ASCII at either end or nowhere,
    // and broken UTF-8 decoded as QString::fromUtf8 decodes it.
    void rowFilledFromAnyEncodingHoldsWhatAStringWould() {
        const QByteArray latin1("Caf\xE9 cr\xE8me");
        const QString utf16 = QStringLiteral("\u05E9\u05DC\u05D5\u05DD \U0001F600");
        for (int length = 0; length <= 40; ++length) {
            const QByteArray ascii =
                QByteArray("abcdefghijklmnopqrstuvwxyz0123456789ABCDE").left(length);
            const QByteArray most = ascii.left(length - 1);
            // Plain, beyond ASCII first or last, a stray continuation byte, cut short at the end.
            for (const QByteArray& bytes :
                 {ascii, "\xC3\xA9" + ascii.mid(1), most + "\xF0\x9F\x98\x80", most + "\x80",
                  most + "\xE2\x82"}) {
                const QAnyStringView any[] = {QAnyStringView(bytes.constData(), bytes.size()),
                                              QLatin1StringView(latin1), utf16,
                                              QAnyStringView(bytes.constData(), bytes.size())};
                const QString text = QString::fromUtf8(bytes);
                RecordRow row(5);
                row.AssignCells(any, 4);
                QCOMPARE(cells(row),
                         QStringList({text, QString::fromLatin1(latin1), utf16, text, ""}));
            }
        }
        RecordRow empty(3);
        const QAnyStringView none[] = {QAnyStringView(), QAnyStringView("", 0)};
        empty.AssignCells(none, 2);
        QVERIFY(empty == RecordRow(3));
    }

    // A table handed to the list and back is a copy: changing one side later leaves the other as
    // it was. A table of another width takes the columns both have.
    void exchangedTablesAreIndependentCopies() {
        RecordTable page(3);
        for (int r = 0; r < 3; ++r) {
            page.AppendRow().SetCell(0, QStringLiteral("T%1").arg(r));
            page.SetItemData(r, static_cast<RecordItemData>(r + 1));
        }
        CDataExchange load(m_form, false), save(m_form, true);
        QCOMPARE(DDX_ListTable(&load, kListId, page), 1); // the four rows are replaced
        const RecordTable loaded = page;
        page.SetCell(0, 0, QStringLiteral("changed in the table"));
        page.AppendRow();
        QCOMPARE(listColumn(0), QStringList({"T0", "T1", "T2"}));
        RecordTable back(3);
        back.AppendRow();
        QCOMPARE(DDX_ListTable(&save, kListId, back), 1);
        QCOMPARE(back, loaded);
        m_list->SetItemText(1, 2, QStringLiteral("changed in the list"));
        m_list->SetItemData(1, 99);
        m_list->DeleteItem(0);
        QCOMPARE(back, loaded);
        // Saving gives what the list shows; loading that again changes nothing it shows.
        QCOMPARE(DDX_ListTable(&save, kListId, page), 1);
        QCOMPARE(DDX_ListTable(&load, kListId, page), 1);
        QCOMPARE(listColumn(2), QStringList({"changed in the list", ""}));
        QCOMPARE(QList<RecordItemData>({page.GetItemData(0), page.GetItemData(1)}),
                 QList<RecordItemData>({99, 3}));

        RecordTable narrow(1), wide(5);
        QCOMPARE(DDX_ListTable(&save, kListId, narrow), 1);
        QCOMPARE(column(narrow, 0), QStringList({"T1", "T2"}));
        QCOMPARE(narrow.GetItemData(1), RecordItemData(3));
        wide.AppendRow().SetCell(4, QStringLiteral("not shown"));
        wide.SetCell(0, 1, QStringLiteral("shown"));
        QCOMPARE(DDX_ListTable(&load, kListId, wide), 1);
        QCOMPARE(listColumn(1), QStringList({"shown"}));
        QCOMPARE(m_list->GetItemText(0, 4), QString());
    }

    // Outside its rows and columns the list answers empty and changes nothing; it never throws.
    void readsAndWritesOutsideTheListAreHarmless() {
        const int rows = m_list->GetItemCount();
        for (auto [row, column] :
             {std::pair{-1, 0}, std::pair{rows, 0}, std::pair{0, 3}, std::pair{0, -1}}) {
            QCOMPARE(m_list->GetItemText(row, column), QString());
            QVERIFY(!m_list->SetItemText(row, column, QStringLiteral("x")));
        }
        for (int row : {-1, rows}) {
            QCOMPARE(m_list->GetItemData(row), RecordItemData(0));
            QVERIFY(!m_list->SetItemData(row, 1) && !m_list->DeleteItem(row));
            QVERIFY(!m_list->SetItemSelected(row, true) && !m_list->EnsureVisible(row));
        }
        QCOMPARE(m_list->model()->headerData(1, Qt::Horizontal).toString(), "Plot No");
        QVERIFY(!m_list->model()->headerData(1, Qt::Vertical).isValid());
        QVERIFY(!m_list->model()->headerData(3, Qt::Horizontal).isValid());
        QCOMPARE(m_list->InsertItem(rows + 5, QStringLiteral("last")), rows); // lands at the end
        QCOMPARE(m_list->InsertItem(-1, QString()), -1);
        QVERIFY(!m_list->SetColumnWidth(m_list->GetColumnCount(), 10));
        QCOMPARE(m_list->InsertColumn(3, QStringLiteral("Key"), LVCFMT_LEFT, 0), 3);
        QVERIFY(m_list->isColumnHidden(3)); // a column of no width stays hidden
        QCOMPARE(m_list->GetColumnWidth(3), 0);
        QVERIFY(m_list->DeleteAllItems());
        QCOMPARE(m_list->GetItemCount(), 0);
    }

    // One row selected at a time, found after a given row. Drawing only reads: the current row
    // is selected when the page says the rows changed, not as a side effect of a repaint. Delete
    // asks first.
    void selectionRedrawAndDelete() {
        m_list->SetItemSelected(2, true);
        QCOMPARE(m_list->GetNextSelectedItem(1), 2);
        QCOMPARE(m_list->GetNextSelectedItem(2), -1);
        m_list->SetItemSelected(0, true);
        QCOMPARE(m_list->GetNextSelectedItem(), 0);
        m_list->SetItemSelected(0, false);
        m_list->m_nCurrentItem = 0;
        m_list->viewport()->grab();
        QCOMPARE(selected(), -1);
        m_list->RedrawList();
        QCOMPARE(selected(), 0);
        m_list->SetItemSelected(1, true);
        m_list->RedrawList(); // another selected row stays selected
        QCOMPARE(selected(), 1);
        m_list->DeselectAll();
        m_list->m_nCurrentItem = 4; // past the end: nothing to select
        m_list->RedrawList();
        QCOMPARE(selected(), -1);

        // No keeps the row. (Yes: the record pages' delete.)
        m_list->SetItemSelected(1, true);
        m_answerer->queueAnswer(kestrel::IDNO);
        QCOMPARE(DeleteSelectedListItem(m_form, kListId, true), 0);
        QCOMPARE(m_answerer->lastText(), "Confirm delete selected record?");
        QCOMPARE(m_list->GetItemCount(), 4);
    }

    // A click, Enter and the keypad's Enter (and Space) activate a row; the arrows only select. The
    // current row is white on blue, every other row grey, a selected one too.
    void mouseKeysAndColours() {
        QSignalSpy activated(m_list, &CRecordListCtrl::itemActivated);
        QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {},
                          m_list->GetSubItemRect(2, 1).center());
        QTest::keyClick(m_list, Qt::Key_Down);
        QCOMPARE(selected(), 3);
        QTest::keyClick(m_list, Qt::Key_Return);
        QTest::keyClick(m_list, Qt::Key_Up);
        QTest::keyClick(m_list, Qt::Key_Enter, Qt::KeypadModifier);
        m_list->DeselectAll(); // the keyboard's row, not selected, is selected by Enter
        QTest::keyClick(m_list, Qt::Key_Return);
        QCOMPARE(selected(), 2);
        QList<int> rows;
        for (const QList<QVariant>& signal : activated)
            rows << signal.front().toInt();
        QCOMPARE(rows, QList<int>({2, 3, 2, 2}));
        // Home and End go to the first and last row.
        QTest::keyClick(m_list, Qt::Key_End);
        QCOMPARE(selected(), m_list->GetItemCount() - 1);
        QTest::keyClick(m_list, Qt::Key_Home);
        QCOMPARE(selected(), 0);

        // Away from the list the current row is white on blue, every other row grey.
        m_list->m_nCurrentItem = 1;
        m_edit->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), m_edit);
        const QRect cell = m_list->GetSubItemRect(1, 1);
        QCOMPARE(
            m_list->viewport()->grab().toImage().pixelColor(cell.right() - 4, cell.center().y()),
            QColor(0, 0, 255));
        QCOMPARE(m_list->GetRowPaint(1).text, QColor(255, 255, 255));
        QCOMPARE(m_list->GetRowPaint(2).background, QColor(238, 238, 238));
        // In the list, the selected current row looks like any selection.
        m_list->SetItemSelected(1, true);
        m_list->setFocus();
        QTRY_VERIFY(m_list->GetRowPaint(1).systemColors);
    }
};

QTEST_MAIN(RecordListTest)
#include "RecordListTest.moc"
