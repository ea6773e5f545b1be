// The land lots and addresses pages driven as a user drives them: typing into the fields,
// clicking rows and buttons, answering the boxes (scripted). Covers the record-list editing
// pattern: store checks, duplicates, the loaded row, delete, and the unsaved-edits question.
// After every edit the page's table (what is written to the file) must hold what the list shows.

#include "TestForm.h"
#include "TestRecord.h"
#include "controls/DropListCombo.h"
#include "controls/HoverButton.h"
#include "controls/InfoWindow.h"
#include "pages/project/PropPageProjectAddress.h"
#include "sdk/XmlHelpers.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

using kestrel::IDYES;
using Lots = CPropPageProjectMukimTS;
using Addresses = CPropPageProjectAddress;

namespace {

const QString kDuplicate = QStringLiteral("Duplicate record detected. Please verify data\n");
const QString kEdited = QStringLiteral("Data has been edited.\nDo you want to discard changes?");

// A group of records in a project file, each record given as "element=text|element=text".
pugi::xml_node MakeGroup(pugi::xml_document& doc, const char* group, const char* record,
                         const QStringList& records) {
    pugi::xml_node node = doc.append_child("krroot").append_child(group);
    for (const QString& cells : records) {
        pugi::xml_node r = node.append_child(record);
        for (const QString& cell : cells.split('|'))
            r.append_child(cell.section('=', 0, 0).toUtf8().constData())
                .text()
                .set(cell.section('=', 1).toUtf8().constData());
    }
    return node;
}

} // namespace

class RecordPagesTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<RecordDialog> m_record;
    CRecordPage* m_page = nullptr;

    // A new record in the dialog, its road table of three roads, with `page` in front.
    template <class P> void show(P* (CPropPageProjectInfo::*page)() const, bool viewOnly = false) {
        m_record.reset(); // before the next services register themselves
        m_record = std::make_unique<RecordDialog>(
            m_dir.filePath("new.xml"), viewOnly ? "VIEW_PROJ" : "NEW_PROJ",
            QStringList{"ADAM ROAD", "ADAM STREET", "ALBERT WALK"});
        m_page = (m_record->project()->*page)();
        m_record->openProject(m_page);
    }
    Lots* lots() { return m_record->lots(); }
    Addresses* addresses() { return m_record->project()->AddressPage(); }
    kestrel::ScriptedAnswerer& answers() { return m_record->answers; }
    template <class W = QLineEdit> W* ctl(int id) { return Control<W>(m_page, id); }
    QComboBox* mukim() { return ctl<QComboBox>(Lots::IDC_MUKIM_TS); }
    QCheckBox* partial() { return ctl<QCheckBox>(Lots::IDC_PARTIAL_LOT); }
    CRecordListCtrl* list() {
        return ctl<CRecordListCtrl>(m_page == lots() ? Lots::IDC_LOT_LIST
                                                     : Addresses::IDC_ADDRESS_LIST);
    }
    void click(int id) { QTest::mouseClick(ctl<QWidget>(id), Qt::LeftButton); }
    const kestrel::ScriptedAnswerer::Message& box() { return answers().messages().back(); }
    int boxes() { return int(answers().messages().size()); }
    void expectBox(int count, const QString& text, QWidget* focus = nullptr) {
        QCOMPARE(boxes(), count);
        QCOMPARE(box().text, text);
        if (focus)
            QCOMPARE(box().focusWhenShown, focus);
    }

    void addLot(const QString& mukimTS, const QString& lot, const QString& plot = {},
                bool isPartial = false) {
        mukim()->setCurrentIndex(mukim()->findText(mukimTS));
        Type(ctl(Lots::IDC_LOT_NO), lot);
        Type(ctl(Lots::IDC_PLOT_NO), plot);
        if (isPartial)
            QTest::mouseClick(partial(), Qt::LeftButton);
        click(Lots::IDC_SAVE_AS_NEW);
    }
    void loadLots(const QStringList& rows) {
        QStringList records;
        for (const QString& lot : rows) {
            const QStringList c = lot.split('|');
            records << "mk_ts_code=" + c[0] + "|plot_no=" + c[1] + "|lot_no=" + c[2] +
                           "|part_lot_flag=" + c[3];
        }
        pugi::xml_document doc;
        lots()->ReadXml(doc, MakeGroup(doc, "lotmkts_group", "lotmkts", records));
        lots()->UpdateData(false);
    }
    // Update waits for a loaded row; its caption and its blue text are the page's own.
    void expectUpdate(bool enabled, const QString& caption = QStringLiteral("Update")) {
        auto* update = ctl<CHoverButton>(Lots::IDC_UPDATE);
        QCOMPARE(update->isEnabled(), enabled);
        QCOMPARE(update->text(), caption);
        for (int slot : {1, 3, 5})
            QCOMPARE(update->GetStateColor(slot), QColor(0, 0, 255));
    }
    // The page's table holds exactly what the list shows, row for row.
    void agree(const char* step) {
        m_page->UpdateData(true);
        const RecordTable& table =
            m_page == lots() ? lots()->GetRecordTable() : addresses()->GetRecordTable();
        QCOMPARE(table.GetRowCount(), list()->GetItemCount());
        for (int row = 0; row < table.GetRowCount(); ++row)
            for (int column = 0; column < list()->GetColumnCount(); ++column)
                QVERIFY2(table.GetCell(row, column) == list()->GetItemText(row, column), step);
    }
    void deleteSelected() {
        answers().queueAnswer(IDYES);
        click(Lots::IDC_DELETE);
    }

private slots:
    void cleanup() { m_record.reset(); }

    // The checks run in one box before anything is stored; then the duplicate rule: Mukim/TS
    // and lot, letter case aside, never the loaded row against itself.
    void lotChecksAndDuplicates() {
        show(&CPropPageProjectInfo::LotPage);
        expectUpdate(false);
        click(Lots::IDC_SAVE_AS_NEW);
        expectBox(1, "Mukim/ TS is mandatory\nLot number is mandatory\n", mukim());
        QCOMPARE(box().caption, "Input Error");
        QCOMPARE(box().icon, unsigned(kestrel::MB_ICONERROR));
        addLot("MUKIM 17", "", "p-1");
        expectBox(2, "Lot number is mandatory\n", ctl(Lots::IDC_LOT_NO));
        QCOMPARE(list()->GetItemCount(), 0);
        // The form kept its values: the lot completes the record, upper-cased.
        Type(ctl(Lots::IDC_LOT_NO), "12a");
        QTest::mouseClick(partial(), Qt::LeftButton);
        click(Lots::IDC_SAVE_AS_NEW);
        QCOMPARE(boxes(), 2);
        QCOMPARE(RowText(list(), 0), "MUKIM 17|P-1|12A|Y");
        QCOMPARE(mukim()->currentIndex(), -1);
        QVERIFY(ctl(Lots::IDC_LOT_NO)->text().isEmpty() && !partial()->isChecked());
        QVERIFY(ctl(Lots::IDC_PLOT_NO)->text().isEmpty());
        expectUpdate(false);

        // A file may hold lower-case letters the form cannot type.
        loadLots({"MK01||1|N", "MK17||12b|N"});
        addLot("MUKIM 17", "12B", "7", true); // another plot, partial: the same lot
        expectBox(3, "Record number: 2\n" + kDuplicate, mukim());
        QCOMPARE(ctl(Lots::IDC_PLOT_NO)->text(), "7");
        mukim()->setCurrentIndex(mukim()->findText("MUKIM 18")); // another Mukim/TS
        click(Lots::IDC_SAVE_AS_NEW);
        QCOMPARE(boxes(), 3);
        QCOMPARE(list()->GetItemCount(), 3);
        agree("added");

        ClickRow(list(), 1);
        QCOMPARE(MarkedRow(list()), 1);
        expectUpdate(true);
        Type(ctl(Lots::IDC_PLOT_NO), "9");
        click(Lots::IDC_UPDATE);
        QCOMPARE(boxes(), 3);
        QCOMPARE(RowText(list(), 1), "MUKIM 17|9|12b|N");
        QCOMPARE(MarkedRow(list()), -1);
        expectUpdate(false);
        agree("updated");
        // Saved as new unchanged, a loaded row is a copy of its own row; the refused form is a
        // new record now: nothing to update.
        ClickRow(list(), 0);
        click(Lots::IDC_SAVE_AS_NEW);
        expectBox(4, "Record number: 1\n" + kDuplicate);
        QCOMPARE(list()->GetItemCount(), 3);
        expectUpdate(false);
        QCOMPARE(MarkedRow(list()), -1);
    }

    // Delete above the loaded row, at it, and reading again: the loaded record follows its row.
    void deletingAboveAndAtTheLoadedRowAndReadingAgain() {
        show(&CPropPageProjectInfo::LotPage);
        loadLots({"MK01||1|N", "MK02|5|2|Y", "MK03||3|N"});
        agree("loaded");
        ClickRow(list(), 2);
        // The keyboard selects without loading.
        list()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(list(), Qt::Key_Up);
        QTest::keyClick(list(), Qt::Key_Up);
        QCOMPARE(list()->GetNextSelectedItem(), 0);
        QCOMPARE(MarkedRow(list()), 2);
        deleteSelected();
        expectBox(1, "Confirm delete selected record?");
        QCOMPARE(MarkedRow(list()), 1);
        QCOMPARE(ctl(Lots::IDC_LOT_NO)->text(), "3");
        expectUpdate(true);
        agree("deleted above the loaded row");
        // Update writes the record back to its moved row.
        Type(ctl(Lots::IDC_PLOT_NO), "4");
        click(Lots::IDC_UPDATE);
        QCOMPARE(boxes(), 1);
        // The stored record leaves the form empty for the next one.
        QVERIFY(ctl(Lots::IDC_LOT_NO)->text().isEmpty() &&
                ctl(Lots::IDC_PLOT_NO)->text().isEmpty());
        QCOMPARE(RowText(list(), 0) + "/" + RowText(list(), 1), "MUKIM 02|5|2|Y/MUKIM 03|4|3|N");
        agree("updated a moved row");
        ClickRow(list(), 1);
        deleteSelected(); // the loaded row itself
        QCOMPARE(MarkedRow(list()), -1);
        QCOMPARE(list()->GetItemCount(), 1);
        QVERIFY(ctl(Lots::IDC_LOT_NO)->text().isEmpty());
        agree("deleted the loaded row");
        loadLots({"MK05||50|N"});
        QCOMPARE(RowText(list(), 0), "MUKIM 05||50|N");
        agree("read again");
    }

    // Row 0 is a row like any other; edits stay unless the user discards them.
    void editsAtRowZeroAreKeptUnlessDiscarded() {
        show(&CPropPageProjectInfo::LotPage);
        loadLots({"MK01||1|N", "MK02||2|N"});
        ClickRow(list(), 0);
        QCOMPARE(ctl(Lots::IDC_LOT_NO)->text(), "1");
        click(Lots::IDC_RESET); // unchanged: no question
        QCOMPARE(boxes(), 0);
        QVERIFY(ctl(Lots::IDC_LOT_NO)->text().isEmpty());
        ClickRow(list(), 0);
        Type(ctl(Lots::IDC_LOT_NO), "A");
        ClickRow(list(), 0); // the row already loaded: the edits stay, nothing is asked
        QCOMPARE(boxes(), 0);
        QCOMPARE(ctl(Lots::IDC_LOT_NO)->text(), "1A");
        click(Lots::IDC_UPDATE);
        QCOMPARE(boxes(), 0);
        QCOMPARE(RowText(list(), 0) + "/" + RowText(list(), 1), "MUKIM 01||1A|N/MUKIM 02||2|N");
        agree("row 0 updated");

        ClickRow(list(), 0);
        Type(ctl(Lots::IDC_LOT_NO), "X");
        ClickRow(list(), 1); // the queue is empty: the answer is No
        expectBox(1, kEdited);
        QCOMPARE(box().caption, "Alert");
        QCOMPARE(box().buttons, unsigned(kestrel::MB_YESNO));
        QCOMPARE(box().icon, unsigned(kestrel::MB_ICONQUESTION));
        QCOMPARE(ctl(Lots::IDC_LOT_NO)->text(), "1AX");
        QCOMPARE(MarkedRow(list()), 0);
        QCOMPARE(list()->GetNextSelectedItem(), 0);
        answers().queueAnswer(IDYES);
        ClickRow(list(), 1);
        QCOMPARE(MarkedRow(list()), 1);
        QCOMPARE(ctl(Lots::IDC_LOT_NO)->text(), "2");
        QCOMPARE(RowText(list(), 0), "MUKIM 01||1A|N");
        click(Lots::IDC_RESET); // loaded, unchanged: cleared without a question
        QCOMPARE(boxes(), 2);
        QCOMPARE(MarkedRow(list()), -1);

        // In a new record the partial box alone, ticked, counts as an edit.
        QVERIFY(lots()->ResetLotForm(true, false));
        QTest::mouseClick(partial(), Qt::LeftButton);
        QVERIFY(!lots()->ResetLotForm(true, false));
        click(Lots::IDC_RESET);
        expectBox(3, kEdited);
        QVERIFY(partial()->isChecked()); // No keeps it
        ClickRow(list(), 0); // and a click on a row, answered No, leaves no row selected
        expectBox(4, kEdited);
        QVERIFY(partial()->isChecked());
        QCOMPARE(list()->GetNextSelectedItem(), -1);
        QCOMPARE(MarkedRow(list()), -1);
        answers().queueAnswer(IDYES);
        click(Lots::IDC_RESET);
        QVERIFY(!partial()->isChecked());
    }

    void viewOnlyPageLoadsRowsIntoReadOnlyFields() {
        show(&CPropPageProjectInfo::LotPage, true);
        loadLots({"MK01||1|N", "MK02|3|2|Y"});
        QVERIFY(ctl(Lots::IDC_LOT_NO)->isReadOnly() && !mukim()->isEnabled());
        ClickRow(list(), 1);
        QCOMPARE(MarkedRow(list()), 1);
        QCOMPARE(mukim()->currentText(), "MUKIM 02");
        QCOMPARE(ctl(Lots::IDC_LOT_NO)->text(), "2");
        QVERIFY(partial()->isChecked());
        expectUpdate(false, QStringLiteral("Modify"));
        QCOMPARE(boxes(), 0);
    }

    // The checks in one box, the postal code's own rule (also on leaving the field), and the
    // duplicate rule: all six values, letter case aside, never the loaded row.
    void addressChecksPostalCodeAndDuplicates() {
        CPostalCodeValidator validator;
        for (QString text : {"123456", "12345", "1234567", "12345a", "", "12 456"})
            QCOMPARE(validator.CheckFormat(text),
                     text == "123456" ? QString() : QStringLiteral("Invalid postal code"));
        show(&CPropPageProjectInfo::AddressPage);
        auto* road = ctl<CDropListCombo>(Addresses::IDC_ROAD_NAME);
        QLineEdit* postal = ctl(Addresses::IDC_POSTAL_CODE);
        click(Addresses::IDC_SAVE_AS_NEW);
        expectBox(1, "Road name is mandatory\nPostal code is mandatory\n", road);
        QCOMPARE(box().caption, "Input Error");
        QCOMPARE(box().icon, unsigned(kestrel::MB_ICONERROR));
        // Letters are refused; a short postal code is reported as invalid, not as missing.
        Type(postal, "1a2345");
        QCOMPARE(postal->text(), "12345");
        click(Addresses::IDC_SAVE_AS_NEW);
        expectBox(2, "Road name is mandatory\nInvalid postal code\n");
        Type(road, "ALB");
        QCOMPARE(road->GetWindowText(), "ALBERT WALK");
        click(Addresses::IDC_SAVE_AS_NEW);
        expectBox(3, "Invalid postal code\n", postal);
        QCOMPARE(list()->GetItemCount(), 0);
        // On leaving the field the info window says so and the focus comes back.
        CreateInfoWindow(addresses());
        Type(postal, "");
        QTest::mouseClick(ctl(Addresses::IDC_BUILDING_NAME), Qt::LeftButton);
        QTRY_VERIFY(InfoWindow()->isVisible());
        QCOMPARE(InfoWindow()->text(), " Invalid postal code ");
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(postal));
        QTest::keyClick(postal, Qt::Key_End);
        QTest::keyClicks(postal, "6");
        QTest::mouseClick(ctl(Addresses::IDC_BUILDING_NAME), Qt::LeftButton);
        QTRY_VERIFY(!InfoWindow()->isVisible());

        pugi::xml_document doc;
        addresses()->ReadXml(doc, MakeGroup(doc, "address_group", "address",
                                            {"building_name=abc tower|house_block_no=10|"
                                             "level_no=5|unit_no=12b|road_code=R01047|"
                                             "postal_code=123456"}));
        addresses()->UpdateData(false);
        QCOMPARE(RowText(list(), 0), "abc tower|10|5|12b|ADAM ROAD|123456");
        for (const auto& [id, text] : {std::pair{Addresses::IDC_BUILDING_NAME, "ABC TOWER"},
                                       {Addresses::IDC_HOUSE_BLOCK_NO, "10"},
                                       {Addresses::IDC_LEVEL_NO, "5"},
                                       {Addresses::IDC_UNIT_NO, "12B"},
                                       {Addresses::IDC_POSTAL_CODE, "123456"}})
            Type(ctl(id), text, true);
        // By keyboard: the combo's typed search runs on for a few seconds after the last key.
        road->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(road, Qt::Key_Home);
        QCOMPARE(road->GetWindowText(), "ADAM ROAD");
        click(Addresses::IDC_SAVE_AS_NEW);
        expectBox(4, "Record number: 1\n" + kDuplicate, ctl(Addresses::IDC_BUILDING_NAME));
        QCOMPARE(list()->GetItemCount(), 1);
        Type(ctl(Addresses::IDC_UNIT_NO), "13", true); // another unit is another address
        click(Addresses::IDC_SAVE_AS_NEW);
        QCOMPARE(boxes(), 4);
        QCOMPARE(RowText(list(), 1), "ABC TOWER|10|5|13|ADAM ROAD|123456");
        agree("address added");
        ClickRow(list(), 1);
        QCOMPARE(road->GetCurSel(), 0);
        click(Addresses::IDC_UPDATE);
        QCOMPARE(boxes(), 4);
        QCOMPARE(list()->GetItemCount(), 2);
        QCOMPARE(MarkedRow(list()), -1);
    }
};

QTEST_MAIN(RecordPagesTest)
#include "RecordPagesTest.moc"
