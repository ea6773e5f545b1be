// The record table, the record list and the list exchange functions.

#include "TestForm.h"
#include "controls/ListExchange.h"
#include "controls/RecordListCtrl.h"
#include "controls/RecordTable.h"
#include "framework/ControlId.h"
#include "framework/DataExchange.h"
#include "framework/MessageBox.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QtTest>
#include <stdexcept>
#include <vector>

namespace {
constexpr int kListId = 1020;
const QColor kGrey(238, 238, 238);
const QColor kBlue(0, 0, 255);
} // namespace

class RecordListTest : public QObject {
    Q_OBJECT

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
        for (int r = 0; r < 4; ++r) {
            const int item = m_list->InsertItem(r, QStringLiteral("MK%1").arg(r));
            m_list->SetItemText(item, 1, QStringLiteral("P%1").arg(r));
        }
        m_form->show();
        QVERIFY(QTest::qWaitForWindowActive(m_form));
    }
    void cleanup() {
        delete m_form;
        delete m_answerer;
    }

    void tableReadsOutsideRaiseAndRoundTripsThroughTheList() {
        RecordTable table(3);
        for (int r = 0; r < 3; ++r) {
            RecordRow& row = table.AppendRow();
            row.SetCell(0, QStringLiteral("MK%1").arg(r));
            row.SetCell(2, QStringLiteral("L%1").arg(r));
            row.SetItemData(static_cast<RecordItemData>(0xABCD0000u + r));
        }
        for (auto [row, column] : {std::pair{3, 0}, std::pair{0, 3}, std::pair{-1, 0}}) {
            try {
                table.GetCell(row, column);
                QFAIL("no out-of-range error");
            } catch (const std::out_of_range& error) {
                QCOMPARE(QString::fromLatin1(error.what()), QStringLiteral("Array out of bound"));
            }
        }
        CDataExchange load(m_form, false); // the four rows from before are replaced
        QCOMPARE(DDX_ListTable(&load, kListId, table), 1);
        QCOMPARE(m_list->GetItemCount(), 3);
        QCOMPARE(m_list->GetItemText(2, 2), QStringLiteral("L2"));
        RecordTable back(3);
        back.AppendRow();
        CDataExchange save(m_form, true);
        QCOMPARE(DDX_ListTable(&save, kListId, back), 1);
        QCOMPARE(back, table);
    }

    // A table handed to the list and back is a copy: changing one side later leaves the other as
    // it was, whichever side changes and however the rows got there.
    void exchangedTablesAreIndependentCopies() {
        RecordTable page(3);
        for (int r = 0; r < 3; ++r) {
            page.AppendRow().SetCell(0, QStringLiteral("T%1").arg(r));
            page.SetItemData(r, static_cast<RecordItemData>(r + 1));
        }
        CDataExchange load(m_form, false);
        CDataExchange save(m_form, true);
        QCOMPARE(DDX_ListTable(&load, kListId, page), 1);
        page.SetCell(0, 0, QStringLiteral("changed in the table"));
        page.AppendRow();
        QCOMPARE(m_list->GetItemText(0, 0), QStringLiteral("T0"));
        QCOMPARE(m_list->GetItemCount(), 3);

        QCOMPARE(DDX_ListTable(&save, kListId, page), 1);
        QCOMPARE(page.GetRowCount(), 3);
        QCOMPARE(page.GetCell(0, 0), QStringLiteral("T0"));
        const RecordTable saved = page;
        m_list->SetItemText(1, 2, QStringLiteral("changed in the list"));
        m_list->SetItemData(1, 99);
        m_list->DeleteItem(0);
        QCOMPARE(page, saved);
        QCOMPARE(page.GetCell(1, 2), QString());

        // Loading the same table again changes nothing the list shows; saving gives what it shows.
        QCOMPARE(DDX_ListTable(&save, kListId, page), 1);
        QCOMPARE(DDX_ListTable(&load, kListId, page), 1);
        QCOMPARE(m_list->GetItemCount(), 2);
        QCOMPARE(m_list->GetItemText(0, 2), QStringLiteral("changed in the list"));
        QCOMPARE(page.GetItemData(0), RecordItemData(99));
        QCOMPARE(page.GetItemData(1), RecordItemData(3));

        // A table of another width takes the columns both have.
        RecordTable narrow(1);
        QCOMPARE(DDX_ListTable(&save, kListId, narrow), 1);
        QCOMPARE(narrow.GetRowCount(), 2);
        QCOMPARE(narrow.GetCell(1, 0), QStringLiteral("T2"));
        QCOMPARE(narrow.GetItemData(1), RecordItemData(3));
        RecordTable wide(5);
        wide.AppendRow().SetCell(4, QStringLiteral("not shown"));
        wide.GetRow(0).SetCell(1, QStringLiteral("shown"));
        QCOMPARE(DDX_ListTable(&load, kListId, wide), 1);
        QCOMPARE(m_list->GetItemCount(), 1);
        QCOMPARE(m_list->GetItemText(0, 1), QStringLiteral("shown"));
        QCOMPARE(m_list->GetItemText(0, 4), QString());
    }

    // The table itself: rows inserted and removed anywhere, reads outside it refused.
    void tableRowsInsertAndRemoveAnywhere() {
        RecordTable table(2);
        table.AppendRow().SetCell(0, QStringLiteral("b"));
        table.InsertRow(0).SetCell(0, QStringLiteral("a"));
        table.InsertRow(2).SetCell(0, QStringLiteral("c"));
        QCOMPARE(table.GetRowCount(), 3);
        QCOMPARE(table.GetCell(0, 0) + table.GetCell(1, 0) + table.GetCell(2, 0),
                 QStringLiteral("abc"));
        table.RemoveRow(1);
        QCOMPARE(table.GetCell(1, 0), QStringLiteral("c"));
        for (int bad : {-1, 3})
            QVERIFY_THROWS_EXCEPTION(std::out_of_range, table.InsertRow(bad));
        for (int bad : {-1, 2})
            QVERIFY_THROWS_EXCEPTION(std::out_of_range, table.RemoveRow(bad));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, table.SetCell(0, 2, QStringLiteral("x")));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, table.SetItemData(2, 1));
        const RecordTable copy = table;
        table.RemoveAll();
        QCOMPARE(copy.GetRowCount(), 2);
        QVERIFY(table.IsEmpty());
    }

    // A row keeps every cell exactly, whatever order the cells are set in and whatever their
    // length: growing, shrinking and emptying one cell leaves its neighbours as they were.
    void rowCellsKeepTheirTextThroughEveryChange() {
        const QString huge(70000, QLatin1Char('x')); // a loaded cell is never cut
        const QString astral = QStringLiteral("\U0001F600 e\u0301 \u05E9\u05DC\u05D5\u05DD");
        RecordRow row(4);
        QCOMPARE(row.GetCell(3), QString());
        row.SetCell(2, QStringLiteral("two"));
        row.SetCell(0, huge);
        row.SetCell(3, astral);
        row.SetCell(1, QStringLiteral("one"));
        row.SetCell(2, QStringLiteral("a longer two"));
        QCOMPARE(row.GetCell(0), huge);
        QCOMPARE(row.GetCell(1), QStringLiteral("one"));
        QCOMPARE(row.GetCell(2), QStringLiteral("a longer two"));
        QCOMPARE(row.GetCell(3), astral);
        row.SetCell(0, QString());
        row.SetCell(2, row.CellView(3)); // from its own text
        QCOMPARE(row.GetCell(0), QString());
        QCOMPARE(row.GetCell(1), QStringLiteral("one"));
        QCOMPARE(row.GetCell(2), astral);
        QCOMPARE(row.GetCell(3), astral);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, row.CellView(4));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, row.SetCell(-1, QString()));

        // A row filled at once takes the texts given and empties the cells after them.
        RecordRow filled(4);
        filled.SetCell(3, QStringLiteral("before"));
        const QString given[] = {QStringLiteral("a"), QString(), astral, huge, huge};
        const QStringView views[] = {given[0], given[1], given[2], given[3], given[4]};
        filled.AssignCells(views, 3);
        QCOMPARE(filled.GetCell(0) + filled.GetCell(1) + filled.GetCell(2) + filled.GetCell(3),
                 QStringLiteral("a") + astral);
        filled.AssignCells(views, 5); // beyond the row's columns: ignored
        QCOMPARE(filled.GetCell(3), huge);
        filled.AssignCells(views, 0);
        QVERIFY(filled == RecordRow(4));

        // Rows with the same cells are equal however they were built; a copy changes alone.
        RecordRow same(4);
        same.SetCell(3, astral);
        same.SetCell(2, astral);
        same.SetCell(1, QStringLiteral("one"));
        QVERIFY(row == same);
        RecordRow copy = row;
        copy.SetCell(1, QStringLiteral("changed"));
        QCOMPARE(row.GetCell(1), QStringLiteral("one"));
        QVERIFY(!(copy == row));
        copy.SetCell(1, QStringLiteral("one"));
        copy.SetItemData(1);
        QVERIFY(!(copy == row));
    }

    // Outside its rows and columns the list answers empty and changes nothing; it never throws.
    // A row filled from UTF-8, Latin-1 and UTF-16 at once holds what a string made from each
    // would: every length (fields are read in words), beyond ASCII at either end or nowhere,
    // and broken UTF-8 decoded as QString::fromUtf8 decodes it.
    void rowFilledFromAnyEncodingHoldsWhatAStringWould() {
        std::vector<QByteArray> utf8;
        for (int length = 0; length <= 40; ++length) {
            const QByteArray ascii =
                QByteArray("abcdefghijklmnopqrstuvwxyz0123456789ABCDE").left(length);
            utf8.push_back(ascii);
            if (length > 0) {
                utf8.push_back("\xC3\xA9" + ascii.mid(1));
                utf8.push_back(ascii.chopped(1) + "\xF0\x9F\x98\x80");
                utf8.push_back(ascii.chopped(1) + "\x80");     // a stray continuation byte
                utf8.push_back(ascii.chopped(1) + "\xE2\x82"); // cut short at the end
            }
        }
        const QByteArray latin1("Caf\xE9 cr\xE8me");
        const QString utf16 = QStringLiteral("\u05E9\u05DC\u05D5\u05DD \U0001F600");
        for (const QByteArray& bytes : utf8) {
            RecordRow row(5);
            const QAnyStringView cells[] = {QAnyStringView(bytes.constData(), bytes.size()),
                                            QLatin1StringView(latin1), utf16,
                                            QAnyStringView(bytes.constData(), bytes.size())};
            row.AssignCells(cells, 4);
            const QString expected = QString::fromUtf8(bytes);
            QCOMPARE(row.GetCell(0), expected);
            QCOMPARE(row.GetCell(1), QString::fromLatin1(latin1));
            QCOMPARE(row.GetCell(2), utf16);
            QCOMPARE(row.GetCell(3), expected);
            QCOMPARE(row.GetCell(4), QString());
            RecordRow same(5);
            const QString texts[] = {expected, QString::fromLatin1(latin1), utf16, expected};
            const QStringView views[] = {texts[0], texts[1], texts[2], texts[3]};
            same.AssignCells(views, 4);
            QVERIFY(row == same);
        }
        RecordRow empty(3);
        const QAnyStringView none[] = {QAnyStringView(), QAnyStringView("", 0)};
        empty.AssignCells(none, 2);
        QVERIFY(empty == RecordRow(3));
    }

    void readsAndWritesOutsideTheListAreHarmless() {
        const int rows = m_list->GetItemCount();
        m_list->SetItemData(rows - 1, 7);
        for (auto [row, column] :
             {std::pair{-1, 0}, std::pair{rows, 0}, std::pair{0, 3}, std::pair{0, -1}}) {
            QCOMPARE(m_list->GetItemText(row, column), QString());
            QVERIFY(!m_list->SetItemText(row, column, QStringLiteral("x")));
        }
        for (int row : {-1, rows}) {
            QCOMPARE(m_list->GetItemData(row), RecordItemData(0));
            QVERIFY(!m_list->SetItemData(row, 1));
            QVERIFY(!m_list->DeleteItem(row));
            QVERIFY(!m_list->SetItemSelected(row, true));
        }
        QCOMPARE(m_list->GetItemData(rows - 1), RecordItemData(7));
        // The headings are the columns' own; the rows have none.
        QCOMPARE(m_list->model()->headerData(1, Qt::Horizontal).toString(),
                 QStringLiteral("Plot No"));
        QVERIFY(!m_list->model()->headerData(1, Qt::Vertical).isValid());
        QVERIFY(!m_list->model()->headerData(3, Qt::Horizontal).isValid());
        QCOMPARE(m_list->GetItemCount(), rows);
        // A row inserted past the end lands at the end.
        QCOMPARE(m_list->InsertItem(rows + 5, QStringLiteral("last")), rows);
        QCOMPARE(m_list->GetItemText(rows, 0), QStringLiteral("last"));
        QCOMPARE(m_list->InsertItem(-1, QString()), -1);
        QVERIFY(!m_list->SetColumnWidth(m_list->GetColumnCount(), 10));
        QVERIFY(!m_list->SetColumnWidth(0, -1));
        QVERIFY(m_list->DeleteAllItems());
        QCOMPARE(m_list->GetItemCount(), 0);
    }

    void selectedRowIsFoundAfterAGivenRow() {
        QCOMPARE(m_list->GetNextSelectedItem(), -1);
        m_list->SetItemSelected(2, true);
        QCOMPARE(m_list->GetNextSelectedItem(-1), 2);
        QCOMPARE(m_list->GetNextSelectedItem(1), 2);
        QCOMPARE(m_list->GetNextSelectedItem(2), -1);
        m_list->SetItemSelected(0, true); // one row at a time
        QCOMPARE(m_list->GetNextSelectedItem(), 0);
        QCOMPARE(m_list->GetNextSelectedItem(0), -1);
        m_list->SetItemSelected(0, false);
        QCOMPARE(GetSelectedListItem(m_form, kListId), -1);
    }

    // Drawing only reads: the current row is selected when the page says the rows changed, not
    // as a side effect of a repaint.
    void paintingSelectsNothingRedrawSelectsTheCurrentRow() {
        m_list->m_nCurrentItem = 3;
        m_list->viewport()->grab();
        QCOMPARE(m_list->GetNextSelectedItem(), -1);
        m_list->RedrawList();
        QCOMPARE(m_list->GetNextSelectedItem(), 3);
        m_list->SetItemSelected(1, true);
        m_list->RedrawList(); // another selected row stays selected
        QCOMPARE(m_list->GetNextSelectedItem(), 1);
        m_list->DeselectAll();
        m_list->m_nCurrentItem = 4; // past the end: nothing to select
        m_list->RedrawList();
        QCOMPARE(m_list->GetNextSelectedItem(), -1);
    }

    void deleteAsksAndKeepsRowOnNo() {
        m_list->SetItemSelected(1, true);
        m_answerer->queueAnswer(kestrel::IDNO);
        QCOMPARE(DeleteSelectedListItem(m_form, kListId, true), 0);
        QCOMPARE(m_list->GetItemCount(), 4);
        QCOMPARE(m_answerer->messages().size(), size_t(1));
        QCOMPARE(m_answerer->messages().front().text,
                 QStringLiteral("Confirm delete selected record?"));
        m_answerer->queueAnswer(kestrel::IDYES);
        QCOMPARE(DeleteSelectedListItem(m_form, kListId, true), 1);
        QCOMPARE(m_list->GetItemCount(), 3);
        QCOMPARE(m_list->GetItemText(1, 0), QStringLiteral("MK2"));
    }

    void clickOrEnterActivatesArrowsOnlySelect() {
        QSignalSpy activated(m_list, &CRecordListCtrl::itemActivated);
        QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {},
                          m_list->GetSubItemRect(2, 1).center());
        QCOMPARE(activated.count(), 1);
        QCOMPARE(activated.front().front().toInt(), 2);
        QTest::keyClick(m_list, Qt::Key_Down);
        QCOMPARE(GetSelectedListItem(m_form, kListId), 3);
        QCOMPARE(activated.count(), 1);
        // Enter, the keypad's Enter and Space activate the row the keyboard is on.
        QTest::keyClick(m_list, Qt::Key_Return);
        QCOMPARE(activated.count(), 2);
        QCOMPARE(activated.back().front().toInt(), 3);
        QTest::keyClick(m_list, Qt::Key_Up);
        QTest::keyClick(m_list, Qt::Key_Enter, Qt::KeypadModifier);
        QTest::keyClick(m_list, Qt::Key_Space);
        QCOMPARE(activated.count(), 4);
        QCOMPARE(activated.back().front().toInt(), 2);
    }

    void currentRowWhiteOnBlueOthersGrey() {
        m_list->m_nCurrentItem = 1;
        m_edit->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), m_edit);
        m_list->RedrawList();
        QCOMPARE(m_list->GetRowPaint(1).text, QColor(255, 255, 255));
        QCOMPARE(pixelOfRow(1), kBlue);
        QCOMPARE(pixelOfRow(0), kGrey);
        // Another row selected (with the keyboard) stays selected but is painted grey.
        m_list->SetItemSelected(2, true);
        QCOMPARE(pixelOfRow(2), kGrey);
        QCOMPARE(pixelOfRow(1), kBlue);
        QCOMPARE(GetSelectedListItem(m_form, kListId), 2);
    }

    void headersDoNotSortAndZeroWidthColumnStaysHidden() {
        m_list->SetItemText(0, 0, QStringLiteral("zz"));
        QCOMPARE(m_list->InsertColumn(3, QStringLiteral("Key"), LVCFMT_LEFT, 0), 3);
        QVERIFY(m_list->isColumnHidden(3));
        QHeaderView* header = m_list->horizontalHeader();
        const int y = header->height() / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionPosition(0) + 10, y));
        QCOMPARE(m_list->GetItemText(0, 0), QStringLiteral("zz"));
        QCOMPARE(m_list->GetNextSelectedItem(), -1);
        // Dragging the last visible column's edge widens that column; the hidden one stays shut.
        const int edge = header->sectionViewportPosition(2) + header->sectionSize(2) - 1;
        QTest::mousePress(header->viewport(), Qt::LeftButton, {}, QPoint(edge, y));
        QTest::mouseMove(header->viewport(), QPoint(edge + 20, y));
        QTest::mouseMove(header->viewport(), QPoint(edge + 40, y));
        QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, QPoint(edge + 40, y));
        QVERIFY(m_list->GetColumnWidth(2) > 70);
        QVERIFY(m_list->isColumnHidden(3));
        QCOMPARE(m_list->GetColumnWidth(3), 0);
    }

private:
    QColor pixelOfRow(int row) {
        const QRect cell = m_list->GetSubItemRect(row, 1);
        const QImage image = m_list->viewport()->grab().toImage();
        return image.pixelColor(cell.center() + QPoint(cell.width() / 2 - 4, 0));
    }

    QWidget* m_form = nullptr;
    CRecordListCtrl* m_list = nullptr;
    QLineEdit* m_edit = nullptr;
    kestrel::ScriptedAnswerer* m_answerer = nullptr;
};

QTEST_MAIN(RecordListTest)
#include "RecordListTest.moc"
