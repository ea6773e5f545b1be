// The land lots and addresses pages driven as a user drives them: typing into the fields,
// clicking rows and buttons, answering the boxes (scripted). Covers the record-list editing
// pattern (load, store, duplicates, delete, the unsaved-edits question) and the pages' XML.

#include "TestAppServices.h"
#include "controls/DropListCombo.h"
#include "controls/HoverButton.h"
#include "controls/InfoWindow.h"
#include "controls/ListSource.h"
#include "controls/RecordListCtrl.h"
#include "controls/ToolTipCtrl.h"
#include "controls/ToolTipHost.h"
#include "controls/ToolTipPass.h"
#include "framework/Accessibility.h"
#include "framework/ControlId.h"
#include "framework/DialogUnits.h"
#include "framework/MessageBox.h"
#include "framework/PropertySheet.h"
#include "pages/project/PropPageProjectAddress.h"
#include "pages/project/PropPageProjectMukimTS.h"
#include "pages/project/TabHighlight.h"
#include "sdk/XmlHelpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QTabBar>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using kestrel::ScriptedAnswerer;
using Lots = CPropPageProjectMukimTS;
using Addresses = CPropPageProjectAddress;

namespace {

const QColor kBlue(0, 0, 255);

// The main dialog's part towards the pages: one tooltip for every control.
class TipHost : public CToolTipHost {
public:
    TipHost() {
        m_tip.Create(&m_owner);
        m_tip.Activate(true);
    }
    void AddToolTips(QWidget* window) override { AddToolTipsToForm(m_tip, window); }

private:
    QWidget m_owner;
    CToolTipCtrl m_tip;
};

template <class T> T* Control(QWidget* page, int id) {
    auto* control = qobject_cast<T*>(GetDlgItem(page, id));
    if (!control)
        qFatal("control %d missing", id);
    return control;
}

void Click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton);
}

void ClickRow(CRecordListCtrl* list, int row) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->GetSubItemRect(row, 0).center());
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

QStringList ChildNames(pugi::xml_node node) {
    QStringList names;
    for (pugi::xml_node child : node.children())
        names << QString::fromUtf8(child.name());
    return names;
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
    std::unique_ptr<Lots> m_lots;
    std::unique_ptr<Addresses> m_addresses;

    // --- land lots page ---
    Lots* showLots() {
        m_lots = std::make_unique<Lots>(nullptr);
        m_lots->resize(640, 400);
        m_lots->show();
        if (!QTest::qWaitForWindowActive(m_lots.get()))
            qWarning("lots page did not become active");
        return m_lots.get();
    }
    QComboBox* mukim() { return Control<QComboBox>(m_lots.get(), Lots::IDC_MUKIM_TS); }
    QLineEdit* lotNo() { return Control<QLineEdit>(m_lots.get(), Lots::IDC_LOT_NO); }
    QLineEdit* plotNo() { return Control<QLineEdit>(m_lots.get(), Lots::IDC_PLOT_NO); }
    QCheckBox* partial() { return Control<QCheckBox>(m_lots.get(), Lots::IDC_PARTIAL_LOT); }
    CRecordListCtrl* lotList() {
        return Control<CRecordListCtrl>(m_lots.get(), Lots::IDC_LOT_LIST);
    }
    CHoverButton* lotButton(int id) { return Control<CHoverButton>(m_lots.get(), id); }

    void chooseMukim(const QString& description) {
        mukim()->setCurrentIndex(mukim()->findText(description));
        QVERIFY(mukim()->currentIndex() >= 0);
    }
    void fillLot(const QString& mukimTS, const QString& lot, const QString& plot = QString(),
                 bool isPartial = false) {
        chooseMukim(mukimTS);
        Type(lotNo(), lot);
        if (!plot.isEmpty())
            Type(plotNo(), plot);
        if (isPartial)
            Click(partial());
    }
    void addLot(const QString& mukimTS, const QString& lot, const QString& plot = QString(),
                bool isPartial = false) {
        fillLot(mukimTS, lot, plot, isPartial);
        Click(lotButton(Lots::IDC_SAVE_AS_NEW));
    }
    void loadLotsFromXml(const QList<QStringList>& lots) {
        pugi::xml_document doc;
        pugi::xml_node group = MakeGroup(doc, "lotmkts_group");
        for (const QStringList& lot : lots) {
            pugi::xml_node node = AddXMLLeafNode(doc, group, QStringLiteral("lotmkts"), QString());
            AddXMLLeafNode(doc, node, QStringLiteral("mk_ts_code"), lot.at(0));
            AddXMLLeafNode(doc, node, QStringLiteral("plot_no"), lot.at(1));
            AddXMLLeafNode(doc, node, QStringLiteral("lot_no"), lot.at(2));
            AddXMLLeafNode(doc, node, QStringLiteral("part_lot_flag"), lot.at(3));
        }
        m_lots->ReadXml(doc, group);
        m_lots->UpdateData(false);
    }

    // --- addresses page ---
    Addresses* showAddresses() {
        m_addresses = std::make_unique<Addresses>(nullptr);
        m_addresses->resize(760, 420);
        m_addresses->show();
        if (!QTest::qWaitForWindowActive(m_addresses.get()))
            qWarning("addresses page did not become active");
        return m_addresses.get();
    }
    QLineEdit* edit(int id) { return Control<QLineEdit>(m_addresses.get(), id); }
    CDropListCombo* road() {
        return Control<CDropListCombo>(m_addresses.get(), Addresses::IDC_ROAD_NAME);
    }
    CRecordListCtrl* addressList() {
        return Control<CRecordListCtrl>(m_addresses.get(), Addresses::IDC_ADDRESS_LIST);
    }
    CHoverButton* addressButton(int id) { return Control<CHoverButton>(m_addresses.get(), id); }

    // By keyboard: the typed search of the combo runs on for a few seconds after the last key,
    // so a second road typed at test speed would extend the first one's search.
    void chooseRoad(const QString& name) {
        road()->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(road(), Qt::Key_Home);
        for (int i = 0; i < m_services->roads.GetCount() && road()->GetWindowText() != name; ++i)
            QTest::keyClick(road(), Qt::Key_Down);
        QCOMPARE(road()->GetWindowText(), name);
    }

    void fillAddress(const QString& building, const QString& house, const QString& level,
                     const QString& unit, const QString& roadName, const QString& postal) {
        Type(edit(Addresses::IDC_BUILDING_NAME), building);
        Type(edit(Addresses::IDC_HOUSE_BLOCK_NO), house);
        Type(edit(Addresses::IDC_LEVEL_NO), level);
        Type(edit(Addresses::IDC_UNIT_NO), unit);
        if (!roadName.isEmpty())
            chooseRoad(roadName);
        Type(edit(Addresses::IDC_POSTAL_CODE), postal);
    }

private slots:
    void init() {
        m_services = std::make_unique<TestAppServices>(
            false, QStringList{"ADAM ROAD", "ADAM STREET", "ALBERT WALK"});
        m_answers = std::make_unique<ScriptedAnswerer>();
    }
    void cleanup() {
        m_lots.reset();
        m_addresses.reset();
        m_answers.reset();
        m_services.reset();
    }

    // ---------------------------------------------------------------- land lots

    void lotPageIsSetUpWithItsControlsAndColumns() {
        showLots();
        QCOMPARE(m_lots->windowTitle(), QStringLiteral("Mukim/TS Plot/Lot No."));
        QCOMPARE(lotList()->GetColumnCount(), 4);
        const QStringList headings{"MK/TS", "Plot No", "Lot No", "Partial"};
        const int widths[] = {120, 70, 70, 50};
        for (int c = 0; c < 4; ++c) {
            QCOMPARE(lotList()->GetColumnHeading(c), headings.at(c));
            QCOMPARE(lotList()->GetColumnWidth(c), widths[c]);
        }
        QCOMPARE(lotList()->GetExtendedStyle() & 0xD61u, 0xD61u);
        QCOMPARE(lotNo()->maxLength(), 10);
        QCOMPARE(plotNo()->maxLength(), 10);
        QVERIFY(mukim()->findText(QStringLiteral("MUKIM 17")) >= 0);
        QCOMPARE(partial()->text(), QStringLiteral("Partial Lot"));
        // A new record: the Update button waits for a loaded row, already in blue.
        CHoverButton* update = lotButton(Lots::IDC_UPDATE);
        QCOMPARE(update->text(), QStringLiteral("Update"));
        QVERIFY(!update->isEnabled());
        for (int slot : {1, 3, 5})
            QCOMPARE(update->GetStateColor(slot), kBlue);
        QVERIFY(update->iconSizeDrawn().isValid()); // icon 181 was found
    }

    void typedLotIsUpperCasedAndStoredAsNewRow() {
        showLots();
        addLot(QStringLiteral("MUKIM 17"), QStringLiteral("12a"), QStringLiteral("p-1"), true);
        QVERIFY(m_answers->messages().empty());
        QCOMPARE(lotList()->GetItemCount(), 1);
        QCOMPARE(RowTexts(lotList(), 0), (QStringList{"MUKIM 17", "P-1", "12A", "Y"}));
        // Stored: the form is empty for the next record.
        QCOMPARE(mukim()->currentIndex(), -1);
        QVERIFY(lotNo()->text().isEmpty() && plotNo()->text().isEmpty());
        QVERIFY(!partial()->isChecked());
        QCOMPARE(lotList()->m_nCurrentItem, -1);
        QVERIFY(!lotButton(Lots::IDC_UPDATE)->isEnabled());
    }

    void lotChecksAreCollectedInOneBox() {
        showLots();
        Click(lotButton(Lots::IDC_SAVE_AS_NEW));
        QCOMPARE(m_answers->messages().size(), std::size_t(1));
        const ScriptedAnswerer::Message& both = m_answers->messages().back();
        QCOMPARE(both.text, QStringLiteral("Mukim/ TS is mandatory\nLot number is mandatory\n"));
        QCOMPARE(both.caption, QStringLiteral("Input Error"));
        QCOMPARE(both.icon, unsigned(kestrel::MB_ICONERROR));
        QCOMPARE(both.buttons, unsigned(kestrel::MB_OK));
        QCOMPARE(both.focusWhenShown, static_cast<QWidget*>(mukim()));

        chooseMukim(QStringLiteral("MUKIM 17"));
        Type(plotNo(), QStringLiteral("5"));
        Click(lotButton(Lots::IDC_SAVE_AS_NEW));
        QCOMPARE(m_answers->lastText(), QStringLiteral("Lot number is mandatory\n"));
        QCOMPARE(m_answers->messages().back().focusWhenShown, static_cast<QWidget*>(lotNo()));
        QCOMPARE(lotList()->GetItemCount(), 0);
        QCOMPARE(plotNo()->text(), QStringLiteral("5")); // the form keeps its values
    }

    void lotDuplicateIsMukimAndLotOnly() {
        showLots();
        addLot(QStringLiteral("MUKIM 17"), QStringLiteral("12A"));
        // Same lot with another plot number and the partial mark: still the same lot.
        addLot(QStringLiteral("MUKIM 17"), QStringLiteral("12A"), QStringLiteral("7"), true);
        QCOMPARE(
            m_answers->lastText(),
            QStringLiteral("Record number: 1\nDuplicate record detected. Please verify data\n"));
        QCOMPARE(m_answers->messages().back().caption, QStringLiteral("Input Error"));
        QCOMPARE(m_answers->messages().back().focusWhenShown, static_cast<QWidget*>(mukim()));
        QCOMPARE(lotList()->GetItemCount(), 1);
        QCOMPARE(plotNo()->text(), QStringLiteral("7"));

        // The same lot number in another Mukim/TS is another lot.
        chooseMukim(QStringLiteral("MUKIM 18"));
        Click(lotButton(Lots::IDC_SAVE_AS_NEW));
        QCOMPARE(m_answers->messages().size(), std::size_t(1));
        QCOMPARE(lotList()->GetItemCount(), 2);
    }

    void lotDuplicateIgnoresLetterCase() {
        showLots();
        // A file may hold lower-case letters the form cannot type.
        loadLotsFromXml({{"MK01", "", "1", "N"}, {"MK17", "", "12b", "N"}});
        QCOMPARE(lotList()->GetItemCount(), 2);
        addLot(QStringLiteral("MUKIM 17"), QStringLiteral("12B"));
        QCOMPARE(
            m_answers->lastText(),
            QStringLiteral("Record number: 2\nDuplicate record detected. Please verify data\n"));
        QCOMPARE(lotList()->GetItemCount(), 2);
    }

    void loadedLotIsNotItsOwnDuplicate() {
        showLots();
        addLot(QStringLiteral("MUKIM 01"), QStringLiteral("1"));
        addLot(QStringLiteral("MUKIM 01"), QStringLiteral("2"));
        addLot(QStringLiteral("MUKIM 01"), QStringLiteral("3"));

        ClickRow(lotList(), 2);
        CHoverButton* update = lotButton(Lots::IDC_UPDATE);
        QCOMPARE(lotList()->m_nCurrentItem, 2);
        QCOMPARE(update->text(), QStringLiteral("Update"));
        QVERIFY(update->isEnabled());
        QCOMPARE(lotNo()->text(), QStringLiteral("3"));
        QCOMPARE(mukim()->currentText(), QStringLiteral("MUKIM 01"));

        Type(plotNo(), QStringLiteral("9"));
        Click(update);
        QVERIFY(m_answers->messages().empty());
        QCOMPARE(lotList()->GetItemCount(), 3);
        QCOMPARE(RowTexts(lotList(), 2), (QStringList{"MUKIM 01", "9", "3", "N"}));
        QCOMPARE(lotList()->m_nCurrentItem, -1);
        QVERIFY(!update->isEnabled());
        QVERIFY(lotNo()->text().isEmpty());

        // Saved as new unchanged, a loaded record is a copy of its own row.
        ClickRow(lotList(), 1);
        Click(lotButton(Lots::IDC_SAVE_AS_NEW));
        QCOMPARE(
            m_answers->lastText(),
            QStringLiteral("Record number: 2\nDuplicate record detected. Please verify data\n"));
        QCOMPARE(lotList()->GetItemCount(), 3);
    }

    void deletingRowAboveLoadedRowKeepsTheRecord() {
        showLots();
        addLot(QStringLiteral("MUKIM 01"), QStringLiteral("1"));
        addLot(QStringLiteral("MUKIM 01"), QStringLiteral("2"));
        addLot(QStringLiteral("MUKIM 01"), QStringLiteral("3"));
        ClickRow(lotList(), 2);
        QCOMPARE(lotList()->m_nCurrentItem, 2);

        // The keyboard selects without loading.
        lotList()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(lotList(), Qt::Key_Up);
        QTest::keyClick(lotList(), Qt::Key_Up);
        QCOMPARE(lotList()->GetNextSelectedItem(), 0);
        QCOMPARE(lotList()->m_nCurrentItem, 2);

        m_answers->queueAnswer(kestrel::IDYES);
        Click(lotButton(Lots::IDC_DELETE));
        QCOMPARE(m_answers->lastText(), QStringLiteral("Confirm delete selected record?"));
        QCOMPARE(m_answers->messages().back().caption, QStringLiteral("Message"));
        QCOMPARE(lotList()->GetItemCount(), 2);
        QCOMPARE(lotList()->m_nCurrentItem, 1);
        QCOMPARE(lotNo()->text(), QStringLiteral("3"));
        QVERIFY(lotButton(Lots::IDC_UPDATE)->isEnabled());

        // Update still writes the record back to its (moved) row.
        Type(plotNo(), QStringLiteral("4"));
        Click(lotButton(Lots::IDC_UPDATE));
        QCOMPARE(m_answers->messages().size(), std::size_t(1));
        QCOMPARE(RowTexts(lotList(), 1), (QStringList{"MUKIM 01", "4", "3", "N"}));
        QCOMPARE(RowTexts(lotList(), 0), (QStringList{"MUKIM 01", "", "2", "N"}));
    }

    void deletingTheLoadedRowClearsTheForm() {
        showLots();
        addLot(QStringLiteral("MUKIM 01"), QStringLiteral("1"));
        addLot(QStringLiteral("MUKIM 01"), QStringLiteral("2"));
        ClickRow(lotList(), 1);

        Click(lotButton(Lots::IDC_DELETE)); // answered No: nothing happens
        QCOMPARE(lotList()->GetItemCount(), 2);
        QCOMPARE(lotNo()->text(), QStringLiteral("2"));

        m_answers->queueAnswer(kestrel::IDYES);
        Click(lotButton(Lots::IDC_DELETE));
        QCOMPARE(lotList()->GetItemCount(), 1);
        QCOMPARE(lotList()->m_nCurrentItem, -1);
        QVERIFY(lotNo()->text().isEmpty());
        QVERIFY(!lotButton(Lots::IDC_UPDATE)->isEnabled());
        QCOMPARE(m_answers->messages().size(), std::size_t(2)); // no question about edits
    }

    void clickingAnotherRowAsksBeforeDiscardingEdits() {
        showLots();
        addLot(QStringLiteral("MUKIM 01"), QStringLiteral("1"));
        addLot(QStringLiteral("MUKIM 02"), QStringLiteral("2"));
        ClickRow(lotList(), 0);
        Type(lotNo(), QStringLiteral("X"));

        ClickRow(lotList(), 1); // the queue is empty: the answer is No
        QCOMPARE(m_answers->messages().size(), std::size_t(1));
        const ScriptedAnswerer::Message& question = m_answers->messages().back();
        QCOMPARE(question.text,
                 QStringLiteral("Data has been edited.\nDo you want to discard changes?"));
        QCOMPARE(question.caption, QStringLiteral("Alert"));
        QCOMPARE(question.buttons, unsigned(kestrel::MB_YESNO));
        QCOMPARE(question.icon, unsigned(kestrel::MB_ICONQUESTION));
        QCOMPARE(lotNo()->text(), QStringLiteral("1X"));
        QCOMPARE(lotList()->m_nCurrentItem, 0);
        QCOMPARE(lotList()->GetNextSelectedItem(), 0);
        QCOMPARE(lotButton(Lots::IDC_UPDATE)->text(), QStringLiteral("Update"));
        QVERIFY(!m_lots->ResetLotForm(true, false));

        m_answers->queueAnswer(kestrel::IDYES);
        ClickRow(lotList(), 1);
        QCOMPARE(lotList()->m_nCurrentItem, 1);
        QCOMPARE(lotNo()->text(), QStringLiteral("2"));
        QCOMPARE(mukim()->currentText(), QStringLiteral("MUKIM 02"));
        QCOMPARE(RowTexts(lotList(), 0), (QStringList{"MUKIM 01", "", "1", "N"}));

        // The row already loaded: nothing to do, nothing asked.
        ClickRow(lotList(), 1);
        QCOMPARE(m_answers->messages().size(), std::size_t(2));
        QVERIFY(m_lots->ResetLotForm(true, false));
    }

    void resetAsksOnlyWhenTheFormWasEdited() {
        showLots();
        addLot(QStringLiteral("MUKIM 01"), QStringLiteral("1"));
        ClickRow(lotList(), 0);
        QVERIFY(m_lots->ResetLotForm(true, false));
        Click(lotButton(Lots::IDC_RESET)); // loaded, unchanged: cleared without a question
        QVERIFY(m_answers->messages().empty());
        QVERIFY(lotNo()->text().isEmpty());
        QCOMPARE(lotList()->m_nCurrentItem, -1);

        // Only the partial box ticked counts as an edit.
        Click(partial());
        QVERIFY(partial()->isChecked());
        QVERIFY(!m_lots->ResetLotForm(true, false));
        Click(lotButton(Lots::IDC_RESET));
        QCOMPARE(m_answers->lastText(),
                 QStringLiteral("Data has been edited.\nDo you want to discard changes?"));
        QVERIFY(partial()->isChecked()); // No keeps it
        m_answers->queueAnswer(kestrel::IDYES);
        Click(lotButton(Lots::IDC_RESET));
        QVERIFY(!partial()->isChecked());
        QVERIFY(m_lots->ResetLotForm(true, false));
        // Without detection the save flow never hears of edits.
        Click(partial());
        QVERIFY(m_lots->ResetLotForm(false, false));
    }

    void neverShownPageHasNoUnsavedEdits() {
        Lots page(nullptr);
        QVERIFY(page.ResetLotForm(true, false));
        QVERIFY(page.ResetLotForm(true, true));
        QVERIFY(m_answers->messages().empty());
    }

    void viewOnlyRunLoadsRowsButLeavesUpdateAlone() {
        m_services->viewOnly = true;
        showLots();
        loadLotsFromXml({{"MK01", "", "1", "N"}, {"MK02", "3", "2", "Y"}});
        CHoverButton* update = lotButton(Lots::IDC_UPDATE);
        const bool enabled = update->isEnabled();
        ClickRow(lotList(), 1);
        QCOMPARE(lotList()->m_nCurrentItem, 1);
        QCOMPARE(lotNo()->text(), QStringLiteral("2"));
        QVERIFY(partial()->isChecked());
        QCOMPARE(update->text(), QStringLiteral("Modify"));
        QCOMPARE(update->isEnabled(), enabled);
        ClickRow(lotList(), 0);
        QCOMPARE(lotNo()->text(), QStringLiteral("1"));
        QVERIFY(m_answers->messages().empty());
    }

    void everyControlGetsItsTipFromItsId() {
        TipHost host;
        Lots lots(&host);
        lots.show();
        QVERIFY(QTest::qWaitForWindowExposed(&lots));
        const std::pair<int, const char*> lotTips[] = {
            {Lots::IDC_MUKIM_TS, "Select Mukim/TS [MANDATORY]"},
            {Lots::IDC_LOT_NO, "MANDATORY Max. 10 alpha-numeric chars."},
            {Lots::IDC_PLOT_NO, "OPTIONAL Max. 10 alpha-numeric chars"},
            {Lots::IDC_PARTIAL_LOT, "Tick for partial lot (Default is whole lot)"},
            {Lots::IDC_LOT_LIST, "List of Mukim/TS added. Click on record to edit/copy"},
            {Lots::IDC_RESET, "Clear the current data in the fields"},
            {Lots::IDC_DELETE, "Delete the selected record from record list"},
            {Lots::IDC_UPDATE, "Update changes to record list"},
            {Lots::IDC_SAVE_AS_NEW, "Save the data as new record to record list"}};
        for (const auto& [id, tip] : lotTips)
            QCOMPARE(GetDlgItem(&lots, id)->toolTip(), QString::fromLatin1(tip));
        // The labels name their fields for screen readers.
        QCOMPARE(kestrel::ControlCaption(GetDlgItem(&lots, Lots::IDC_PLOT_NO)),
                 QStringLiteral("Plot Number    (if any)"));

        Addresses addresses(&host);
        addresses.show();
        QVERIFY(QTest::qWaitForWindowExposed(&addresses));
        const std::pair<int, const char*> addressTips[] = {
            {Addresses::IDC_BUILDING_NAME, "OPTIONAL Max. 100 chars"},
            {Addresses::IDC_HOUSE_BLOCK_NO, "OPTIONAL Max. 10 alpha-numeric chars"},
            {Addresses::IDC_LEVEL_NO, "OPTIONAL Max. 3 alpha-numeric chars"},
            {Addresses::IDC_UNIT_NO, "OPTIONAL Max. 10 apha-numeric chars"},
            {Addresses::IDC_ROAD_NAME, "Select road name [MANDATORY]"},
            {Addresses::IDC_POSTAL_CODE, "MANDATORY Max. 6 digits"},
            {Addresses::IDC_ADDRESS_LIST, "List of addresses added. Click on record to edit/copy"}};
        for (const auto& [id, tip] : addressTips)
            QCOMPARE(GetDlgItem(&addresses, id)->toolTip(), QString::fromLatin1(tip));
        QCOMPARE(kestrel::ControlCaption(GetDlgItem(&addresses, Addresses::IDC_POSTAL_CODE)),
                 QStringLiteral("Postal Code *"));
    }

    void viewOnlyPageShowsRecordsReadOnly() {
        m_services->viewOnly = true;
        TipHost host;
        m_lots = std::make_unique<Lots>(&host);
        m_lots->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_lots.get()));
        loadLotsFromXml({{"MK01", "", "1", "N"}, {"MK02", "3", "2", "Y"}});
        CHoverButton* update = lotButton(Lots::IDC_UPDATE);
        QVERIFY(!update->isEnabled());
        QVERIFY(lotNo()->isReadOnly());
        QVERIFY(!mukim()->isEnabled());
        QVERIFY(lotList()->isEnabled());

        ClickRow(lotList(), 1);
        QCOMPARE(lotList()->m_nCurrentItem, 1);
        QCOMPARE(mukim()->currentText(), QStringLiteral("MUKIM 02"));
        QCOMPARE(lotNo()->text(), QStringLiteral("2"));
        QCOMPARE(update->text(), QStringLiteral("Modify"));
        QVERIFY(!update->isEnabled());
        QVERIFY(m_answers->messages().empty());
    }

    void lotsRoundTripThroughAFile() {
        showLots();
        addLot(QStringLiteral("MUKIM 17"), QStringLiteral("3456"), QStringLiteral("12"), true);
        addLot(QStringLiteral("MUKIM 17"), QStringLiteral("99"));
        addLot(QStringLiteral("TOWN SUBDIVISION 05"), QStringLiteral("7-A"));
        QVERIFY(m_lots->UpdateData(true));
        const RecordTable stored = m_lots->GetRecordTable();
        QCOMPARE(stored.GetRowCount(), 3);

        XmlDocPtr doc = CreateXMLDoc();
        pugi::xml_node group = MakeGroup(*doc, "lotmkts_group");
        QCOMPARE(m_lots->WriteXml(*doc, group), QString());
        QCOMPARE(m_lots->LocationSummary(),
                 QStringLiteral("MK17 Plot12 Lot3456 PT, MK17 Lot99, TS05 Lot7-A"));
        QCOMPARE(ChildNames(group), (QStringList{"lotmkts", "lotmkts", "lotmkts"}));
        pugi::xml_node first = group.child("lotmkts");
        QCOMPARE(ChildNames(first), (QStringList{"mk_ts_code_desc", "mk_ts_code", "plot_no",
                                                 "lot_no", "part_lot_flag"}));
        QCOMPARE(QString::fromUtf8(first.child_value("mk_ts_code")), QStringLiteral("MK17"));
        QCOMPARE(QString::fromUtf8(first.child_value("mk_ts_code_desc")),
                 QStringLiteral("MUKIM 17"));

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("lots.xml"));
        QCOMPARE(SaveXMLAndReleaseDoc(doc, path, 1), 0);
        XmlDocPtr loaded = LoadXMLDoc(path);
        QVERIFY(loaded);
        Lots reader(nullptr);
        reader.ReadXml(*loaded, loaded->child("krroot").child("lotmkts_group"));
        QCOMPARE(reader.GetRecordTable(), stored);

        // A group without lots empties the table; no group at all leaves it alone.
        pugi::xml_document empty;
        reader.ReadXml(empty, pugi::xml_node());
        QCOMPARE(reader.GetRecordTable().GetRowCount(), 3);
        pugi::xml_node emptyGroup = MakeGroup(empty, "lotmkts_group");
        reader.ReadXml(empty, emptyGroup);
        QVERIFY(reader.GetRecordTable().IsEmpty());
        reader.WriteXml(empty, emptyGroup);
        QVERIFY(!emptyGroup.first_child());
        QVERIFY(reader.LocationSummary().isEmpty());
    }

    void activePageHighlightsItsTab() {
        CPropertySheet sheet;
        auto* lots = new Lots(nullptr);
        auto* addresses = new Addresses(nullptr);
        sheet.AddPage(lots);
        sheet.AddPage(addresses);
        sheet.resize(760, 460);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        QVERIFY(kestrel::IsSheetTabHighlighted(&sheet, 0));
        QVERIFY(!kestrel::IsSheetTabHighlighted(&sheet, 1));
        QVERIFY(sheet.SetActivePage(1));
        QVERIFY(kestrel::IsSheetTabHighlighted(&sheet, 1));
        QVERIFY(!kestrel::IsSheetTabHighlighted(&sheet, 0));
        QCOMPARE(sheet.tabBar()->tabText(1), QStringLiteral("Project Address"));
    }

    // ---------------------------------------------------------------- addresses

    void addressPageIsSetUpWithItsControlsAndColumns() {
        showAddresses();
        const QStringList headings{"Building Name", "House/Block No.", "Level No.",
                                   "Unit No.",      "Road Name",       "Postal Code"};
        const int widths[] = {200, 60, 40, 60, 120, 60};
        QCOMPARE(addressList()->GetColumnCount(), 6);
        for (int c = 0; c < 6; ++c) {
            QCOMPARE(addressList()->GetColumnHeading(c), headings.at(c));
            QCOMPARE(addressList()->GetColumnWidth(c), widths[c]);
        }
        const std::pair<int, int> limits[] = {{Addresses::IDC_BUILDING_NAME, 100},
                                              {Addresses::IDC_HOUSE_BLOCK_NO, 10},
                                              {Addresses::IDC_LEVEL_NO, 3},
                                              {Addresses::IDC_UNIT_NO, 10},
                                              {Addresses::IDC_POSTAL_CODE, 6}};
        for (const auto& [id, limit] : limits)
            QCOMPARE(edit(id)->maxLength(), limit);
        QCOMPARE(road()->GetCount(), 3);
        // Letters become capitals; the postal code refuses letters.
        Type(edit(Addresses::IDC_UNIT_NO), QStringLiteral("b-1"));
        QCOMPARE(edit(Addresses::IDC_UNIT_NO)->text(), QStringLiteral("B-1"));
        Type(edit(Addresses::IDC_POSTAL_CODE), QStringLiteral("1a2"));
        QCOMPARE(edit(Addresses::IDC_POSTAL_CODE)->text(), QStringLiteral("12"));
    }

    void postalCodeValidatorWantsSixDigits() {
        CPostalCodeValidator validator;
        QString text = QStringLiteral("123456");
        QCOMPARE(validator.CheckFormat(text), QString());
        for (const char* bad : {"12345", "1234567", "12345a", "", "12 456"}) {
            text = QString::fromLatin1(bad);
            QCOMPARE(validator.CheckFormat(text), QStringLiteral("Invalid postal code"));
        }
    }

    void shortPostalCodeIsReportedOnLeavingTheField() {
        showAddresses();
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

    void addressChecksAreCollectedInOneBox() {
        showAddresses();
        Click(addressButton(Addresses::IDC_SAVE_AS_NEW));
        QCOMPARE(m_answers->lastText(),
                 QStringLiteral("Road name is mandatory\nPostal code is mandatory\n"));
        QCOMPARE(m_answers->messages().back().caption, QStringLiteral("Input Error"));
        QCOMPARE(m_answers->messages().back().icon, unsigned(kestrel::MB_ICONERROR));
        QCOMPARE(m_answers->messages().back().focusWhenShown, static_cast<QWidget*>(road()));

        // A short postal code is reported as invalid, not as missing.
        Type(edit(Addresses::IDC_POSTAL_CODE), QStringLiteral("12345"));
        Click(addressButton(Addresses::IDC_SAVE_AS_NEW));
        QCOMPARE(m_answers->lastText(),
                 QStringLiteral("Road name is mandatory\nInvalid postal code\n"));

        Type(road(), QStringLiteral("ALB"));
        QCOMPARE(road()->GetWindowText(), QStringLiteral("ALBERT WALK"));
        Click(addressButton(Addresses::IDC_SAVE_AS_NEW));
        QCOMPARE(m_answers->lastText(), QStringLiteral("Invalid postal code\n"));
        QCOMPARE(m_answers->messages().back().focusWhenShown,
                 static_cast<QWidget*>(edit(Addresses::IDC_POSTAL_CODE)));
        QCOMPARE(addressList()->GetItemCount(), 0);
    }

    void addressDuplicateNeedsAllSixValuesIgnoringCase() {
        showAddresses();
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

        fillAddress(QStringLiteral("ABC TOWER"), QStringLiteral("10"), QStringLiteral("5"),
                    QStringLiteral("12B"), QStringLiteral("ADAM ROAD"), QStringLiteral("123456"));
        Click(addressButton(Addresses::IDC_SAVE_AS_NEW));
        QCOMPARE(
            m_answers->lastText(),
            QStringLiteral("Record number: 1\nDuplicate record detected. Please verify data\n"));
        QCOMPARE(m_answers->messages().back().focusWhenShown,
                 static_cast<QWidget*>(edit(Addresses::IDC_BUILDING_NAME)));
        QCOMPARE(addressList()->GetItemCount(), 1);

        // Another unit is another address.
        Retype(edit(Addresses::IDC_UNIT_NO), QStringLiteral("13"));
        Click(addressButton(Addresses::IDC_SAVE_AS_NEW));
        QCOMPARE(m_answers->messages().size(), std::size_t(1));
        QCOMPARE(addressList()->GetItemCount(), 2);
        QCOMPARE(RowTexts(addressList(), 1),
                 (QStringList{"ABC TOWER", "10", "5", "13", "ADAM ROAD", "123456"}));
    }

    void loadedAddressUpdatesItsOwnRow() {
        showAddresses();
        fillAddress(QString(), QStringLiteral("1"), QString(), QString(),
                    QStringLiteral("ADAM ROAD"), QStringLiteral("111111"));
        Click(addressButton(Addresses::IDC_SAVE_AS_NEW));
        fillAddress(QString(), QStringLiteral("2"), QString(), QString(),
                    QStringLiteral("ALBERT WALK"), QStringLiteral("222222"));
        Click(addressButton(Addresses::IDC_SAVE_AS_NEW));
        QVERIFY(m_answers->messages().empty());

        ClickRow(addressList(), 1);
        QCOMPARE(road()->GetWindowText(), QStringLiteral("ALBERT WALK"));
        QCOMPARE(road()->GetCurSel(), 2);
        QCOMPARE(edit(Addresses::IDC_POSTAL_CODE)->text(), QStringLiteral("222222"));
        QVERIFY(m_addresses->ResetAddressForm(true, false));
        Type(edit(Addresses::IDC_LEVEL_NO), QStringLiteral("3"));
        QVERIFY(!m_addresses->ResetAddressForm(true, false));
        Click(addressButton(Addresses::IDC_UPDATE));
        QVERIFY(m_answers->messages().empty());
        QCOMPARE(RowTexts(addressList(), 1),
                 (QStringList{"", "2", "3", "", "ALBERT WALK", "222222"}));
        QCOMPARE(road()->GetCurSel(), -1);
        QCOMPARE(addressList()->m_nCurrentItem, -1);

        // A chosen road alone is an edit of a new record.
        chooseRoad(QStringLiteral("ADAM STREET"));
        QVERIFY(!m_addresses->ResetAddressForm(true, false));
    }

    void addressesRoundTripThroughAFile() {
        showAddresses();
        fillAddress(QStringLiteral("ABC TOWER"), QStringLiteral("10"), QStringLiteral("5"),
                    QStringLiteral("12"), QStringLiteral("ADAM ROAD"), QStringLiteral("123456"));
        Click(addressButton(Addresses::IDC_SAVE_AS_NEW));
        fillAddress(QString(), QString(), QString(), QStringLiteral("7"),
                    QStringLiteral("ALBERT WALK"), QStringLiteral("654321"));
        Click(addressButton(Addresses::IDC_SAVE_AS_NEW));
        QVERIFY(m_answers->messages().empty());
        QVERIFY(m_addresses->UpdateData(true));
        const RecordTable stored = m_addresses->GetRecordTable();
        QCOMPARE(stored.GetRowCount(), 2);

        XmlDocPtr doc = CreateXMLDoc();
        pugi::xml_node group = MakeGroup(*doc, "address_group");
        m_addresses->WriteXml(*doc, group);
        // The second row has no house number: its road keeps the space in front.
        QCOMPARE(m_addresses->LocationSummary(),
                 QStringLiteral("10 ADAM ROAD, #05-12, ABC TOWER, Singapore 123456,  ALBERT "
                                "WALK, Level 00-07, Singapore 654321"));
        pugi::xml_node first = group.child("address");
        QCOMPARE(ChildNames(first),
                 (QStringList{"building_name", "house_block_no", "level_no", "unit_no",
                              "road_code_desc", "road_code", "postal_code"}));
        QCOMPARE(QString::fromUtf8(first.child_value("road_code")), QStringLiteral("R01047"));

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("addresses.xml"));
        QCOMPARE(SaveXMLAndReleaseDoc(doc, path, 1), 0);
        XmlDocPtr loaded = LoadXMLDoc(path);
        QVERIFY(loaded);
        Addresses reader(nullptr);
        reader.ReadXml(*loaded, loaded->child("krroot").child("address_group"));
        QCOMPARE(reader.GetRecordTable(), stored);
    }

    // ---------------------------------------------------------------- pictures

    void screenshots() {
        const QString folder = qEnvironmentVariable("KESTREL_SCREENSHOT_DIR");
        if (folder.isEmpty())
            QSKIP("set KESTREL_SCREENSHOT_DIR to write the page pictures");
        QDir().mkpath(folder);

        showLots();
        m_lots->resize(kestrel::DialogUnitsToPixels(m_lots->font(), QSize(382, 146)));
        addLot(QStringLiteral("MUKIM 17"), QStringLiteral("3456"), QStringLiteral("12"), true);
        addLot(QStringLiteral("MUKIM 17"), QStringLiteral("99"));
        addLot(QStringLiteral("TOWN SUBDIVISION 05"), QStringLiteral("7-A"));
        ClickRow(lotList(), 1);
        lotNo()->setFocus();
        QVERIFY(m_lots->grab().save(folder + QStringLiteral("/lots.png")));

        showAddresses();
        m_addresses->resize(kestrel::DialogUnitsToPixels(m_addresses->font(), QSize(382, 146)));
        fillAddress(QStringLiteral("ABC TOWER"), QStringLiteral("10"), QStringLiteral("5"),
                    QStringLiteral("12"), QStringLiteral("ADAM ROAD"), QStringLiteral("123456"));
        Click(addressButton(Addresses::IDC_SAVE_AS_NEW));
        fillAddress(QString(), QStringLiteral("2"), QString(), QStringLiteral("7"),
                    QStringLiteral("ALBERT WALK"), QStringLiteral("654321"));
        Click(addressButton(Addresses::IDC_SAVE_AS_NEW));
        ClickRow(addressList(), 0);
        edit(Addresses::IDC_BUILDING_NAME)->setFocus();
        QVERIFY(m_addresses->grab().save(folder + QStringLiteral("/addresses.png")));
    }
};

QTEST_MAIN(RecordPagesTest)
#include "tst_record_pages.moc"
