// The land lots and addresses pages driven as a user drives them: typing into the fields,
// clicking rows and buttons, answering the boxes (scripted). Covers the record-list editing
// pattern: store checks, duplicates, the loaded row, delete, and the unsaved-edits question.

#include "RecordListProbe.h"
#include "TestAppServices.h"
#include "TestForm.h"
#include "TestToolTipHost.h"
#include "controls/DropListCombo.h"
#include "controls/HoverButton.h"
#include "controls/InfoWindow.h"
#include "controls/RecordListCtrl.h"
#include "controls/ToolTipCtrl.h"
#include "controls/ToolTipHost.h"
#include "controls/ToolTipPass.h"
#include "framework/ControlId.h"
#include "framework/MessageBox.h"
#include "pages/project/PropPageProjectAddress.h"
#include "pages/project/PropPageProjectMukimTS.h"
#include "sdk/XmlHelpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QtTest>

#include <memory>

using kestrel::ScriptedAnswerer;
using Lots = CPropPageProjectMukimTS;
using Addresses = CPropPageProjectAddress;

namespace {

const QString kDuplicate = QStringLiteral("Duplicate record detected. Please verify data\n");
const QString kEdited = QStringLiteral("Data has been edited.\nDo you want to discard changes?");

void Click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton);
}

void Type(QWidget* field, const QString& text) {
    field->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(field, text);
}

void Retype(QLineEdit* field, const QString& text) {
    field->setFocus(Qt::MouseFocusReason);
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

QStringList RowTexts(CRecordListCtrl* list, int row) {
    QStringList texts;
    for (int column = 0; column < list->GetColumnCount(); ++column)
        texts << list->GetItemText(row, column);
    return texts;
}

// A project file skeleton with one group element; returns the group.
pugi::xml_node MakeGroup(pugi::xml_document& doc, const char* groupName) {
    pugi::xml_node root = GetNode(doc, doc, QStringLiteral("krroot"), 1, QString());
    return GetNode(doc, root, QString::fromLatin1(groupName), 1, QString());
}

} // namespace

class RecordPagesTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestAppServices> m_services;
    std::unique_ptr<ScriptedAnswerer> m_answers;
    std::unique_ptr<TestToolTipHost> m_host;
    std::unique_ptr<Lots> m_lots;
    std::unique_ptr<Addresses> m_addresses;

    template <class P> void show(std::unique_ptr<P>& page, CToolTipHost* host = nullptr) {
        page = std::make_unique<P>(host);
        page->resize(760, 420);
        page->show();
        if (!QTest::qWaitForWindowActive(page.get()))
            qWarning("page did not become active");
    }
    QComboBox* mukim() { return Control<QComboBox>(m_lots.get(), Lots::IDC_MUKIM_TS); }
    QLineEdit* lotNo() { return Control<QLineEdit>(m_lots.get(), Lots::IDC_LOT_NO); }
    QLineEdit* plotNo() { return Control<QLineEdit>(m_lots.get(), Lots::IDC_PLOT_NO); }
    QCheckBox* partial() { return Control<QCheckBox>(m_lots.get(), Lots::IDC_PARTIAL_LOT); }
    CRecordListCtrl* lotList() {
        return Control<CRecordListCtrl>(m_lots.get(), Lots::IDC_LOT_LIST);
    }
    CHoverButton* lotButton(int id) { return Control<CHoverButton>(m_lots.get(), id); }
    const ScriptedAnswerer::Message& lastBox() { return m_answers->messages().back(); }
    std::size_t boxes() { return m_answers->messages().size(); }

    void chooseMukim(const QString& description) {
        mukim()->setCurrentIndex(mukim()->findText(description));
        QVERIFY(mukim()->currentIndex() >= 0);
    }
    void addLot(const QString& mukimTS, const QString& lot, const QString& plot = QString(),
                bool isPartial = false) {
        chooseMukim(mukimTS);
        Type(lotNo(), lot);
        if (!plot.isEmpty())
            Type(plotNo(), plot);
        if (isPartial)
            Click(partial());
        Click(lotButton(Lots::IDC_SAVE_AS_NEW));
    }
    void loadLotsFromXml(const QList<QStringList>& lots) {
        pugi::xml_document doc;
        pugi::xml_node group = MakeGroup(doc, "lotmkts_group");
        const char* names[] = {"mk_ts_code", "plot_no", "lot_no", "part_lot_flag"};
        for (const QStringList& lot : lots) {
            pugi::xml_node node = AddXMLLeafNode(doc, group, QStringLiteral("lotmkts"), QString());
            for (int i = 0; i < 4; ++i)
                AddXMLLeafNode(doc, node, QString::fromLatin1(names[i]), lot.at(i));
        }
        m_lots->ReadXml(doc, group);
        m_lots->UpdateData(false);
    }
    void verifyUpdateButton(bool enabled, const QString& caption = QStringLiteral("Update")) {
        CHoverButton* update = lotButton(Lots::IDC_UPDATE);
        QCOMPARE(update->isEnabled(), enabled);
        QCOMPARE(update->text(), caption);
        for (int slot : {1, 3, 5})
            QCOMPARE(update->GetStateColor(slot), QColor(0, 0, 255));
    }

    QLineEdit* edit(int id) { return Control<QLineEdit>(m_addresses.get(), id); }
    CDropListCombo* road() {
        return Control<CDropListCombo>(m_addresses.get(), Addresses::IDC_ROAD_NAME);
    }
    CRecordListCtrl* addressList() {
        return Control<CRecordListCtrl>(m_addresses.get(), Addresses::IDC_ADDRESS_LIST);
    }
    void saveAddressAsNew() {
        Click(Control<CHoverButton>(m_addresses.get(), Addresses::IDC_SAVE_AS_NEW));
    }

    // By keyboard: the typed search of the combo runs on for a few seconds after the last key,
    // so a second road typed at test speed would extend the first one's search.
    void chooseRoad(const QString& name) {
        road()->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(road(), Qt::Key_Home);
        for (int i = 0; i < m_services->roads.GetCount() && road()->GetWindowText() != name; ++i)
            QTest::keyClick(road(), Qt::Key_Down);
        QCOMPARE(road()->GetWindowText(), name);
    }

private slots:
    void init() {
        m_services = std::make_unique<TestAppServices>(
            false, QStringList{"ADAM ROAD", "ADAM STREET", "ALBERT WALK"});
        m_answers = std::make_unique<ScriptedAnswerer>();
        m_host = std::make_unique<TestToolTipHost>();
    }
    void cleanup() {
        m_lots.reset();
        m_addresses.reset();
        m_host.reset();
        m_answers.reset();
        m_services.reset();
    }

    void lotChecksAreCollectedInOneBoxBeforeStoring() {
        show(m_lots);
        verifyUpdateButton(false); // a new record: Update waits for a loaded row, already blue
        Click(lotButton(Lots::IDC_SAVE_AS_NEW));
        QCOMPARE(boxes(), std::size_t(1));
        QCOMPARE(lastBox().text,
                 QStringLiteral("Mukim/ TS is mandatory\nLot number is mandatory\n"));
        QCOMPARE(lastBox().caption, QStringLiteral("Input Error"));
        QCOMPARE(lastBox().icon, unsigned(kestrel::MB_ICONERROR));
        QCOMPARE(lastBox().focusWhenShown, static_cast<QWidget*>(mukim()));

        chooseMukim(QStringLiteral("MUKIM 17"));
        Type(plotNo(), QStringLiteral("p-1"));
        Click(lotButton(Lots::IDC_SAVE_AS_NEW));
        QCOMPARE(lastBox().text, QStringLiteral("Lot number is mandatory\n"));
        QCOMPARE(lastBox().focusWhenShown, static_cast<QWidget*>(lotNo()));
        QCOMPARE(lotList()->GetItemCount(), 0);

        // The form kept its values: the lot completes the record, upper-cased.
        Type(lotNo(), QStringLiteral("12a"));
        Click(partial());
        Click(lotButton(Lots::IDC_SAVE_AS_NEW));
        QCOMPARE(boxes(), std::size_t(2));
        QCOMPARE(RowTexts(lotList(), 0), (QStringList{"MUKIM 17", "P-1", "12A", "Y"}));
        QCOMPARE(mukim()->currentIndex(), -1);
        QVERIFY(lotNo()->text().isEmpty() && plotNo()->text().isEmpty() && !partial()->isChecked());
        verifyUpdateButton(false);
    }

    void lotDuplicateIsMukimAndLotIgnoringCaseAndTheLoadedRow() {
        show(m_lots);
        // A file may hold lower-case letters the form cannot type.
        loadLotsFromXml({{"MK01", "", "1", "N"}, {"MK17", "", "12b", "N"}});
        // Same lot with another plot number and the partial mark: still the same lot.
        addLot(QStringLiteral("MUKIM 17"), QStringLiteral("12B"), QStringLiteral("7"), true);
        QCOMPARE(lastBox().text, QStringLiteral("Record number: 2\n") + kDuplicate);
        QCOMPARE(lastBox().caption, QStringLiteral("Input Error"));
        QCOMPARE(lastBox().focusWhenShown, static_cast<QWidget*>(mukim()));
        QCOMPARE(lotList()->GetItemCount(), 2);
        QCOMPARE(plotNo()->text(), QStringLiteral("7"));

        // The same lot number in another Mukim/TS is another lot.
        chooseMukim(QStringLiteral("MUKIM 18"));
        Click(lotButton(Lots::IDC_SAVE_AS_NEW));
        QCOMPARE(boxes(), std::size_t(1));
        QCOMPARE(lotList()->GetItemCount(), 3);

        // The loaded row is not compared with itself when updated...
        ClickRow(lotList(), 1);
        QCOMPARE(MarkedRow(lotList()), 1);
        verifyUpdateButton(true);
        Type(plotNo(), QStringLiteral("9"));
        Click(lotButton(Lots::IDC_UPDATE));
        QCOMPARE(boxes(), std::size_t(1));
        QCOMPARE(lotList()->GetItemCount(), 3);
        QCOMPARE(RowTexts(lotList(), 1).at(1), QStringLiteral("9"));
        QCOMPARE(MarkedRow(lotList()), -1);
        verifyUpdateButton(false);

        // ...but saved as new unchanged it is a copy of its own row.
        ClickRow(lotList(), 0);
        Click(lotButton(Lots::IDC_SAVE_AS_NEW));
        QCOMPARE(lastBox().text, QStringLiteral("Record number: 1\n") + kDuplicate);
        QCOMPARE(lotList()->GetItemCount(), 3);
        // The refused form is a new record now, no longer row 0's: nothing to update.
        verifyUpdateButton(false);
        QCOMPARE(MarkedRow(lotList()), -1);
    }

    void deletingAKeyboardSelectedRowAboveTheLoadedRowKeepsTheRecord() {
        show(m_lots);
        for (const char* lot : {"1", "2", "3"})
            addLot(QStringLiteral("MUKIM 01"), QString::fromLatin1(lot));
        ClickRow(lotList(), 2);

        // The keyboard selects without loading.
        lotList()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(lotList(), Qt::Key_Up);
        QTest::keyClick(lotList(), Qt::Key_Up);
        QCOMPARE(lotList()->GetNextSelectedItem(), 0);
        QCOMPARE(MarkedRow(lotList()), 2);

        m_answers->queueAnswer(kestrel::IDYES);
        Click(lotButton(Lots::IDC_DELETE));
        QCOMPARE(lastBox().text, QStringLiteral("Confirm delete selected record?"));
        QCOMPARE(lotList()->GetItemCount(), 2);
        QCOMPARE(MarkedRow(lotList()), 1);
        QCOMPARE(lotNo()->text(), QStringLiteral("3"));
        verifyUpdateButton(true);

        // Update still writes the record back to its (moved) row.
        Type(plotNo(), QStringLiteral("4"));
        Click(lotButton(Lots::IDC_UPDATE));
        QCOMPARE(boxes(), std::size_t(1));
        QCOMPARE(RowTexts(lotList(), 1), (QStringList{"MUKIM 01", "4", "3", "N"}));
        QCOMPARE(RowTexts(lotList(), 0), (QStringList{"MUKIM 01", "", "2", "N"}));
    }

    // After every way of changing the records, the page's table (what is written to the file)
    // holds exactly what the list shows, row for row.
    void pageTableFollowsTheListThroughEveryEdit() {
        show(m_lots);
        loadLotsFromXml({{"MK01", "", "1", "N"}, {"MK02", "5", "2", "Y"}, {"MK03", "", "3", "N"}});
        const auto agree = [this](const char* step) {
            m_lots->UpdateData(true);
            const RecordTable& table = m_lots->GetRecordTable();
            QCOMPARE(table.GetRowCount(), lotList()->GetItemCount());
            for (int row = 0; row < table.GetRowCount(); ++row)
                for (int column = 0; column < Lots::kColumnCount; ++column)
                    QVERIFY2(table.GetCell(row, column) == lotList()->GetItemText(row, column),
                             step);
        };
        agree("loaded");
        addLot(QStringLiteral("MUKIM 04"), QStringLiteral("4"));
        agree("added");
        ClickRow(lotList(), 2);
        Type(plotNo(), QStringLiteral("9"));
        Click(lotButton(Lots::IDC_UPDATE));
        QCOMPARE(RowTexts(lotList(), 2), (QStringList{"MUKIM 03", "9", "3", "N"}));
        agree("updated");
        ClickRow(lotList(), 2);
        lotList()->SetItemSelected(0, true); // the row above the loaded one
        m_answers->queueAnswer(kestrel::IDYES);
        Click(lotButton(Lots::IDC_DELETE));
        QCOMPARE(MarkedRow(lotList()), 1);
        agree("deleted above the loaded row");
        m_answers->queueAnswer(kestrel::IDYES);
        Click(lotButton(Lots::IDC_DELETE)); // the loaded row itself
        QCOMPARE(MarkedRow(lotList()), -1);
        QCOMPARE(lotList()->GetItemCount(), 2);
        QVERIFY(lotNo()->text().isEmpty());
        agree("deleted the loaded row");
        loadLotsFromXml({{"MK05", "", "50", "N"}});
        QCOMPARE(RowTexts(lotList(), 0), (QStringList{"MUKIM 05", "", "50", "N"}));
        agree("read again");
    }

    // Row 0 is a row like any other: nothing mistakes it for "no row".
    void theFirstRowIsLoadedUpdatedAndKeptLikeAnyOther() {
        show(m_lots);
        loadLotsFromXml({{"MK01", "", "1", "N"}, {"MK02", "", "2", "N"}});
        ClickRow(lotList(), 0);
        QCOMPARE(lotNo()->text(), QStringLiteral("1"));
        Click(lotButton(Lots::IDC_RESET)); // unchanged: no question
        QCOMPARE(boxes(), std::size_t(0));
        QVERIFY(lotNo()->text().isEmpty());

        ClickRow(lotList(), 0);
        Type(lotNo(), QStringLiteral("A"));
        ClickRow(lotList(), 0); // the row already loaded: the edits stay, nothing is asked
        QCOMPARE(boxes(), std::size_t(0));
        QCOMPARE(lotNo()->text(), QStringLiteral("1A"));
        Click(lotButton(Lots::IDC_UPDATE));
        QCOMPARE(boxes(), std::size_t(0));
        QCOMPARE(lotList()->GetItemCount(), 2);
        QCOMPARE(RowTexts(lotList(), 0), (QStringList{"MUKIM 01", "", "1A", "N"}));
        QCOMPARE(RowTexts(lotList(), 1), (QStringList{"MUKIM 02", "", "2", "N"}));
    }

    void editedFormIsKeptUnlessTheUserDiscardsIt() {
        show(m_lots);
        addLot(QStringLiteral("MUKIM 01"), QStringLiteral("1"));
        addLot(QStringLiteral("MUKIM 02"), QStringLiteral("2"));
        ClickRow(lotList(), 0);
        Type(lotNo(), QStringLiteral("X"));

        ClickRow(lotList(), 1); // the queue is empty: the answer is No
        QCOMPARE(boxes(), std::size_t(1));
        QCOMPARE(lastBox().text, kEdited);
        QCOMPARE(lastBox().caption, QStringLiteral("Alert"));
        QCOMPARE(lastBox().buttons, unsigned(kestrel::MB_YESNO));
        QCOMPARE(lastBox().icon, unsigned(kestrel::MB_ICONQUESTION));
        QCOMPARE(lotNo()->text(), QStringLiteral("1X"));
        QCOMPARE(MarkedRow(lotList()), 0);
        QCOMPARE(lotList()->GetNextSelectedItem(), 0);

        m_answers->queueAnswer(kestrel::IDYES);
        ClickRow(lotList(), 1);
        QCOMPARE(MarkedRow(lotList()), 1);
        QCOMPARE(lotNo()->text(), QStringLiteral("2"));
        QCOMPARE(RowTexts(lotList(), 0), (QStringList{"MUKIM 01", "", "1", "N"}));

        Click(lotButton(Lots::IDC_RESET)); // loaded, unchanged: cleared without a question
        QCOMPARE(boxes(), std::size_t(2));
        QCOMPARE(MarkedRow(lotList()), -1);

        // In a new record the partial box alone, ticked, counts as an edit.
        QVERIFY(m_lots->ResetLotForm(true, false));
        Click(partial());
        QVERIFY(!m_lots->ResetLotForm(true, false));
        Click(lotButton(Lots::IDC_RESET));
        QCOMPARE(lastBox().text, kEdited);
        QVERIFY(partial()->isChecked()); // No keeps it
        ClickRow(lotList(), 0); // and a click on a row, answered No, leaves no row selected
        QCOMPARE(lastBox().text, kEdited);
        QVERIFY(partial()->isChecked());
        QCOMPARE(lotList()->GetNextSelectedItem(), -1);
        QCOMPARE(MarkedRow(lotList()), -1);
        m_answers->queueAnswer(kestrel::IDYES);
        Click(lotButton(Lots::IDC_RESET));
        QVERIFY(!partial()->isChecked());
    }

    void viewOnlyPageLoadsRowsIntoReadOnlyFields() {
        m_services->viewOnly = true;
        show(m_lots, m_host.get());
        loadLotsFromXml({{"MK01", "", "1", "N"}, {"MK02", "3", "2", "Y"}});
        QVERIFY(lotNo()->isReadOnly());
        QVERIFY(!mukim()->isEnabled());
        ClickRow(lotList(), 1);
        QCOMPARE(MarkedRow(lotList()), 1);
        QCOMPARE(mukim()->currentText(), QStringLiteral("MUKIM 02"));
        QCOMPARE(lotNo()->text(), QStringLiteral("2"));
        QVERIFY(partial()->isChecked());
        verifyUpdateButton(false, QStringLiteral("Modify"));
        QCOMPARE(boxes(), std::size_t(0));
    }

    void addressChecksAreCollectedInOneBoxBeforeStoring() {
        show(m_addresses);
        saveAddressAsNew();
        QCOMPARE(lastBox().text,
                 QStringLiteral("Road name is mandatory\nPostal code is mandatory\n"));
        QCOMPARE(lastBox().caption, QStringLiteral("Input Error"));
        QCOMPARE(lastBox().icon, unsigned(kestrel::MB_ICONERROR));
        QCOMPARE(lastBox().focusWhenShown, static_cast<QWidget*>(road()));

        // Letters are refused; a short postal code is reported as invalid, not as missing.
        Type(edit(Addresses::IDC_POSTAL_CODE), QStringLiteral("1a2345"));
        QCOMPARE(edit(Addresses::IDC_POSTAL_CODE)->text(), QStringLiteral("12345"));
        saveAddressAsNew();
        QCOMPARE(lastBox().text, QStringLiteral("Road name is mandatory\nInvalid postal code\n"));

        Type(road(), QStringLiteral("ALB"));
        QCOMPARE(road()->GetWindowText(), QStringLiteral("ALBERT WALK"));
        saveAddressAsNew();
        QCOMPARE(lastBox().text, QStringLiteral("Invalid postal code\n"));
        QCOMPARE(lastBox().focusWhenShown, static_cast<QWidget*>(edit(Addresses::IDC_POSTAL_CODE)));
        QCOMPARE(addressList()->GetItemCount(), 0);
    }

    void postalCodeWantsSixDigitsAndIsCheckedOnLeavingTheField() {
        CPostalCodeValidator validator;
        for (const char* text : {"123456", "12345", "1234567", "12345a", "", "12 456"}) {
            QString value = QString::fromLatin1(text);
            QCOMPARE(validator.CheckFormat(value), value == QStringLiteral("123456")
                                                       ? QString()
                                                       : QStringLiteral("Invalid postal code"));
        }
        show(m_addresses);
        CreateInfoWindow(m_addresses.get());
        QLineEdit* postal = edit(Addresses::IDC_POSTAL_CODE);
        Type(postal, QStringLiteral("12345"));
        QTest::mouseClick(edit(Addresses::IDC_BUILDING_NAME), Qt::LeftButton);
        QTRY_VERIFY(InfoWindow()->isVisible());
        QCOMPARE(InfoWindow()->text(), QStringLiteral(" Invalid postal code "));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(postal));
        QTest::keyClick(postal, Qt::Key_End);
        QTest::keyClicks(postal, QStringLiteral("6"));
        QTest::mouseClick(edit(Addresses::IDC_BUILDING_NAME), Qt::LeftButton);
        QTRY_VERIFY(!InfoWindow()->isVisible());
    }

    void addressDuplicateNeedsAllSixValuesIgnoringCaseAndTheLoadedRow() {
        show(m_addresses);
        pugi::xml_document doc;
        pugi::xml_node group = MakeGroup(doc, "address_group");
        pugi::xml_node a = AddXMLLeafNode(doc, group, QStringLiteral("address"), QString());
        const std::pair<const char*, const char*> cells[] = {{"building_name", "abc tower"},
                                                             {"house_block_no", "10"},
                                                             {"level_no", "5"},
                                                             {"unit_no", "12b"},
                                                             {"road_code", "R01047"},
                                                             {"postal_code", "123456"}};
        for (const auto& [name, value] : cells)
            AddXMLLeafNode(doc, a, QString::fromLatin1(name), QString::fromLatin1(value));
        m_addresses->ReadXml(doc, group);
        m_addresses->UpdateData(false);
        QCOMPARE(RowTexts(addressList(), 0),
                 (QStringList{"abc tower", "10", "5", "12b", "ADAM ROAD", "123456"}));

        const std::pair<int, const char*> typed[] = {{Addresses::IDC_BUILDING_NAME, "ABC TOWER"},
                                                     {Addresses::IDC_HOUSE_BLOCK_NO, "10"},
                                                     {Addresses::IDC_LEVEL_NO, "5"},
                                                     {Addresses::IDC_UNIT_NO, "12B"},
                                                     {Addresses::IDC_POSTAL_CODE, "123456"}};
        for (const auto& [id, text] : typed)
            Type(edit(id), QString::fromLatin1(text));
        chooseRoad(QStringLiteral("ADAM ROAD"));
        saveAddressAsNew();
        QCOMPARE(lastBox().text, QStringLiteral("Record number: 1\n") + kDuplicate);
        QCOMPARE(lastBox().focusWhenShown,
                 static_cast<QWidget*>(edit(Addresses::IDC_BUILDING_NAME)));
        QCOMPARE(addressList()->GetItemCount(), 1);

        // Another unit is another address.
        Retype(edit(Addresses::IDC_UNIT_NO), QStringLiteral("13"));
        saveAddressAsNew();
        QCOMPARE(boxes(), std::size_t(1));
        QCOMPARE(RowTexts(addressList(), 1),
                 (QStringList{"ABC TOWER", "10", "5", "13", "ADAM ROAD", "123456"}));

        // A loaded row is updated in place, not reported as its own duplicate.
        ClickRow(addressList(), 1);
        QCOMPARE(road()->GetCurSel(), 0);
        Click(Control<CHoverButton>(m_addresses.get(), Addresses::IDC_UPDATE));
        QCOMPARE(boxes(), std::size_t(1));
        QCOMPARE(addressList()->GetItemCount(), 2);
        QCOMPARE(addressList()->m_nCurrentItem, -1);
    }
};

QTEST_MAIN(RecordPagesTest)
#include "RecordPagesTest.moc"
