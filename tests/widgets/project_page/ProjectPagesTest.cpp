// The project page and its nested pages in the registration dialog, driven as a user drives
// them. The lots and addresses pages cover the record-list editor; after every edit the page's
// table (what is written to the file) must hold what the list shows.

#include "TestFiles.h"
#include "TestForm.h"
#include "TestRecord.h"
#include "controls/DropListCombo.h"
#include "controls/HoverButton.h"
#include "controls/InfoWindow.h"
#include "controls/ListCtrl.h"
#include "pages/project/PropPageProjectAddress.h"
#include "pages/project/PropPageProjectSiteDesc.h"
#include "sdk/XmlHelpers.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

using kestrel::IDYES;
using kestrel::ScriptedAnswerer;
using Lots = CPropPageProjectMukimTS;
using Addresses = CPropPageProjectAddress;
using Page = CPropPageProjectInfo;
using Site = CPropPageProjectSiteDesc;

namespace {

const QString kDuplicate = QStringLiteral("Duplicate record detected. Please verify data\n");
const QString kEdited = QStringLiteral("Data has been edited.\nDo you want to discard changes?");

// The record at `path` (a new one when there is no such file) with terse verbs for the project
// page and its site tab.
struct Harness : RecordDialog {
    explicit Harness(const QString& path, const QString& type = QStringLiteral("NEW_PROJ"))
        : RecordDialog(path, type) {
        page = project();
    }
    void showSite() { page->NestedSheet()->SetActivePage(page->SitePage()); }
    QLineEdit* edit(int id) const { return Control<QLineEdit>(page, id); }
    QPlainTextEdit* title() const { return Control<QPlainTextEdit>(page, Page::IDC_TITLE); }
    QDateEdit* date(int id) const { return Control<QDateEdit>(page, id); }
    QComboBox* combo(int id) const { return Control<QComboBox>(page, id); }

    // Chooses the road in the combo and clicks ">>".
    void addRoad(const QString& name) {
        auto* combo = Control<CDropListCombo>(page->SitePage(), Site::IDC_ROAD_NAME);
        if (name.isEmpty())
            combo->SetCurSel(-1);
        else
            QVERIFY(combo->SelectString(0, name) >= 0);
        page->SitePage()->OnAddRoad();
    }
    QStringList listedRoads() const {
        auto* list = Control<CListCtrl>(page->SitePage(), Site::IDC_ROAD_LIST);
        QStringList names;
        for (int row = 0; row < list->GetItemCount(); ++row)
            names << list->GetItemText(row, 0);
        return names;
    }
    void readProfile(const char* xml) {
        pugi::xml_document doc;
        doc.load_string(xml);
        page->SitePage()->ReadXml(doc, doc.child("profile"));
    }

    // Every check passes: the three reference parts, a title, ordered dates, the three lists
    // and one road.
    void fillValid() {
        edit(Page::IDC_PROF_NO)->setText("A123");
        edit(Page::IDC_SERIAL_NO)->setText("42");
        edit(Page::IDC_YEAR)->setText("2002");
        title()->setPlainText("Block of flats");
        date(Page::IDC_COMMENCE_DATE)->setDate(QDate(2002, 3, 4));
        date(Page::IDC_COMPLETE_DATE)->setDate(QDate(2003, 3, 4));
        for (int id : {Page::IDC_CATEGORY, Page::IDC_CLASSIFICATION, Page::IDC_LAND_OWNERSHIP})
            combo(id)->setCurrentIndex(0);
        readProfile("<profile><road_group><road>R00055</road></road_group></profile>");
    }

    Page* page;
};

QString ChildNames(pugi::xml_node node) {
    QStringList names;
    for (pugi::xml_node child : node.children())
        names << child.name();
    return names.join(' ');
}

const QString kTitle = "Two blocks of flats, with \"basement\" & car park";

// The profile of a record with every part filled: two lots, one address, two roads.
const char* const kFullProfile = R"(<profile>
  <title>Two blocks of flats, with "basement" &amp; car park</title>
  <commence_date>2002-03-04T09:30:00</commence_date>
  <complete_date>2004-05-06T17:00:00</complete_date>
  <category_code>AA</category_code>
  <classification_code>RN</classification_code>
  <land_ownership_code>LH</land_ownership_code>
  <lotmkts_group>
    <lotmkts><mk_ts_code>MK17</mk_ts_code><plot_no>12</plot_no><lot_no>3456</lot_no><part_lot_flag>Y</part_lot_flag></lotmkts>
    <lotmkts><mk_ts_code>TS05</mk_ts_code><plot_no></plot_no><lot_no>99</lot_no><part_lot_flag>N</part_lot_flag></lotmkts>
  </lotmkts_group>
  <address_group>
    <address><building_name>ABC TOWER</building_name><house_block_no>10</house_block_no><level_no>05</level_no><unit_no>12</unit_no><road_code>R01908</road_code><postal_code>123456</postal_code></address>
  </address_group>
  <site_descr>Corner plot next to the canal</site_descr>
  <road_group><road>R02332</road><road>R00130</road></road_group>
</profile>)";

} // namespace

class ProjectPagesTest : public QObject {
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
    // Reads the lots, each "mk_ts_code|plot_no|lot_no|part_lot_flag", as from a file.
    void loadLots(const QStringList& rows) {
        pugi::xml_document doc;
        pugi::xml_node group = doc.append_child("krroot").append_child("lotmkts_group");
        for (const QString& lot : rows) {
            pugi::xml_node record = group.append_child("lotmkts");
            const QStringList cells = lot.split('|');
            for (int i = 0; const char* name : {"mk_ts_code", "plot_no", "lot_no", "part_lot_flag"})
                record.append_child(name).text().set(cells[i++].toUtf8().constData());
        }
        lots()->ReadXml(doc, group);
        lots()->UpdateData(false);
    }
    // Update waits for a loaded row; its caption and its blue text are the page's own.
    void expectUpdate(bool enabled, const QString& caption = QStringLiteral("Update")) {
        auto* update = ctl<CHoverButton>(Lots::IDC_UPDATE);
        QCOMPARE(update->isEnabled(), enabled);
        QCOMPARE(update->text(), caption);
        QCOMPARE(update->GetStateColor(1), QColor(0, 0, 255));
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
    void saveChecksGiveTheirMessagesAndFocus();
    void refusedRoadsListEveryReasonInOneBox();
    void siteXmlAlwaysHasBothElements();
    void fileRoundTripKeepsEveryValue();
    void viewOnlyRunMakesEveryFieldReadOnly();

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
        QCOMPARE(list()->GetNextSelectedItem(), -1); // nor is its row left selected

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
        doc.load_string("<krroot><address_group><address><building_name>abc tower</building_name>"
                        "<house_block_no>10</house_block_no><level_no>5</level_no><unit_no>12b"
                        "</unit_no><road_code>R01047</road_code><postal_code>123456</postal_code>"
                        "</address></address_group></krroot>");
        addresses()->ReadXml(doc, doc.child("krroot").child("address_group"));
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

// Each case breaks some of the values of a valid record; the first failure takes the focus.
void ProjectPagesTest::saveChecksGiveTheirMessagesAndFocus() {
    const QString reference = "Invalid project reference number\n";
    const QString location = "One of the Project MK/TS or Address or Site info is required\n";
    const QString dates = "Project completion date must be later than the commencement date\n";
    const QString category = "Project category is mandatory\n",
                  classification = "Project classification is mandatory\n",
                  land = "Project land ownership is mandatory\n";
    const struct {
        QString breaks, message;
        int focusId;
    } cases[] = {
        {"prof", reference, 1001},
        {"serial", reference, 1001},
        {"year", reference, 1001},
        {"title", "Project title is mandatory\n", 1004},
        {"dates", dates, 1006},
        {"category", category, 1054},
        {"classification", classification, 1007},
        {"land", land, 1008},
        {"location", location, 1018}, // a site description alone is no location
        {"prof serial year title dates category classification land location",
         reference + "Project title is mandatory\n" + dates + category + classification + land +
             location,
         1001},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        Harness h(dir.filePath("new.xml"));
        h.fillValid();
        const QStringList breaks = c.breaks.split(' ');
        for (const auto& [name, id] : {std::pair{"prof", 1000}, {"serial", 1001}, {"year", 1002}})
            if (breaks.contains(name))
                h.edit(id)->clear();
        if (breaks.contains("title"))
            h.title()->setPlainText(" \n  ");
        if (breaks.contains("dates"))
            h.date(1006)->setDate(QDate(2002, 3, 3));
        for (const auto& [name, id] :
             {std::pair{"category", 1054}, {"classification", 1007}, {"land", 1008}})
            if (breaks.contains(name))
                h.combo(id)->setCurrentIndex(-1);
        if (breaks.contains("location"))
            h.readProfile("<profile><site_descr>Some text</site_descr></profile>");
        // Leave the user somewhere else, as Save & Quit would find them.
        h.dialog.Sheet()->SetActivePage(h.dialog.MemberPage());

        QVERIFY(h.page->UpdateData(true));
        const QList<Page::SaveCheckFailure> failures = h.page->RunSaveChecks();
        QCOMPARE(Page::JoinMessages(failures), c.message);
        QCOMPARE(failures.size(), c.message.count('\n'));
        const bool onLotPage = c.focusId == 1018;
        kestrel::BringForward(failures[0].focus);
        QCOMPARE(h.dialog.Sheet()->GetActivePage(), static_cast<CPropertyPage*>(h.page));
        if (onLotPage)
            QCOMPARE(h.page->NestedSheet()->GetActivePage(), h.page->LotPage());
        QCOMPARE(
            QApplication::focusWidget(),
            GetDlgItem(onLotPage ? h.page->LotPage() : static_cast<QWidget*>(h.page), c.focusId));
    }
}

// Each case lists some roads first, then adds one more.
void ProjectPagesTest::refusedRoadsListEveryReasonInOneBox() {
    const QString mandatory = "Road Name is mandatory. \n", maximum = "Maximum 4 road names.\n";
    const struct {
        int roadsFirst;
        QString road, message;
    } cases[] = {{0, "", mandatory},
                 {2, "ADAM CIRCLE", "Duplicate road selected.\n"},
                 {4, "ADAM GROVE", maximum},
                 {4, "", mandatory + maximum},
                 {4, "ADAM CLOSE", maximum + "Duplicate road selected.\n"}};
    QTemporaryDir dir;
    for (const auto& c : cases) {
        Harness h(dir.filePath("new.xml"));
        const ScriptedAnswerer& answers = h.answers;
        h.showSite();
        const QStringList first = TestAppServices::DefaultRoads().mid(0, c.roadsFirst);
        for (const QString& name : first)
            h.addRoad(name);
        QVERIFY(answers.messages().empty());
        QCOMPARE(h.listedRoads(), first);
        h.addRoad(c.road);
        QCOMPARE(answers.messages().size(), size_t(1));
        const ScriptedAnswerer::Message& box = answers.messages().front();
        QCOMPARE(box.text, c.message);
        QCOMPARE(box.caption, "Input error");
        QCOMPARE(box.icon, unsigned(kestrel::MB_ICONERROR));
        QCOMPARE(h.listedRoads(), first);
    }
}

void ProjectPagesTest::siteXmlAlwaysHasBothElements() {
    TestAppServices services;
    Site page(nullptr);
    pugi::xml_document doc;
    QVERIFY(doc.load_string("<profile><site_descr>Near the park</site_descr>"
                            "<road_group><road>R01908</road><other>R00055</other>"
                            "<road>NOSUCH</road></road_group></profile>"));
    QCOMPARE(page.ReadXml(doc, doc.child("profile")), QString());
    QCOMPARE(page.SiteDescription(), "Near the park");
    // Only road elements count; an unknown code reads as the lookup's empty answer.
    QCOMPARE(TableText(page.GetRecordTable()), "ADAM CIRCLE/");

    // Read from a profile without them and written, both elements are there, empty.
    pugi::xml_document out;
    page.ReadXml(out, out.append_child("profile"));
    out.remove_child("profile");
    pugi::xml_node profile = out.append_child("profile");
    profile.append_child("title");
    QCOMPARE(page.WriteXml(out, profile), QString());
    QCOMPARE(ChildNames(profile), "title site_descr road_group");
    QVERIFY(profile.child("site_descr").text().empty());
    QVERIFY(!profile.child("road_group").first_child());
    QCOMPARE(page.LocationSummary(), QString());
}

void ProjectPagesTest::fileRoundTripKeepsEveryValue() {
    QTemporaryDir dir;
    const QString path = dir.filePath("project.xml");
    QVERIFY(writeFile(path, QByteArray("<krroot><project><reference_no>A123-00042-2002"
                                       "</reference_no>") +
                                kFullProfile + "</project></krroot>"));

    // First run: the record is read in, changed through the controls, and saved.
    QString written;
    {
        Harness h(path, "EDIT_PROJ");
        QCOMPARE(h.edit(1001)->text(), "00042");
        h.edit(1001)->setText("7");
        h.combo(1054)->setCurrentText("DEMOLITION");
        h.date(1005)->setDate(QDate(2003, 1, 31));
        h.title()->setPlainText("  \t" + kTitle + "\n "); // saved trimmed
        h.showSite();
        h.addRoad("ADAM AVENUE");
        Control<QPlainTextEdit>(h.page->SitePage(), Site::IDC_SITE_DESCR)
            ->setPlainText("By a canal");
        QVERIFY(h.answers.messages().empty());
        QVERIFY(h.page->UpdateData(true));
        QVERIFY(h.page->RunSaveChecks().isEmpty());

        XmlDocPtr doc = CreateXMLDoc();
        pugi::xml_node project = doc->append_child("krroot").append_child("project");
        pugi::xml_node profile = project.append_child("profile");
        QCOMPARE(h.page->WriteXml(*doc, profile), QString());
        QCOMPARE(h.page->ComposedReference(), "A123-00007-2002");
        project.append_child("reference_no").text().set("A123-00007-2002");
        written = XmlText(profile);
        QCOMPARE(ChildNames(profile),
                 "title commence_date complete_date category_code_desc category_code "
                 "classification_code_desc classification_code land_ownership_code_desc "
                 "land_ownership_code lotmkts_group address_group site_descr road_group "
                 "location_descr");
        QCOMPARE(QString(profile.child("location_descr").text().get()),
                 QString("MK17 Plot12 Lot3456 PT, TS05 Lot99, 10 ADAM CIRCLE, #05-12, ABC TOWER, "
                         "Singapore 123456, ADAM GROVE, ADAM GREEN, ADAM AVENUE"));
        QCOMPARE(SaveXMLAndReleaseDoc(doc, path, 1), 0);
    }

    // Second run: read back from the file, every value is where it was.
    Harness h(path, "EDIT_PROJ");
    h.showSite();
    QCOMPARE(h.listedRoads(), QStringList({"ADAM GROVE", "ADAM GREEN", "ADAM AVENUE"}));
    QCOMPARE(h.edit(1000)->text() + "-" + h.edit(1001)->text() + "-" + h.edit(1002)->text(),
             "A123-00007-2002");
    QCOMPARE(h.title()->toPlainText(), kTitle);
    QCOMPARE(h.date(1005)->date(), QDate(2003, 1, 31));
    QVERIFY(h.date(1005)->calendarPopup() && h.date(1006)->calendarPopup());
    QCOMPARE(h.date(1006)->date(), QDate(2004, 5, 6));
    QCOMPARE(h.page->CommencementDate().time(), QTime(9, 30));
    QCOMPARE(h.combo(1054)->currentText() + "|" + h.combo(1007)->currentText() + "|" +
                 h.combo(1008)->currentText(),
             "DEMOLITION|RESIDENTIAL (NON-LANDED)|PRIVATE (LEASEHOLD)");

    QCOMPARE(TableText(h.page->LotPage()->GetRecordTable()),
             "MUKIM 17|12|3456|Y/TOWN SUBDIVISION 05||99|N");
    QCOMPARE(TableText(h.page->AddressPage()->GetRecordTable()),
             "ABC TOWER|10|05|12|ADAM CIRCLE|123456");
    QCOMPARE(h.page->SitePage()->SiteDescription(), "By a canal");

    // Written again without a change, the profile is the same, element for element.
    QVERIFY(h.page->UpdateData(true));
    pugi::xml_document again;
    pugi::xml_node profile = again.append_child("profile");
    h.page->WriteXml(again, profile);
    QCOMPARE(XmlText(profile), written);
}

// Fields read-only, lists and buttons disabled; a clicked row still shows in the form.
void ProjectPagesTest::viewOnlyRunMakesEveryFieldReadOnly() {
    show(&CPropPageProjectInfo::LotPage, true);
    Page* page = m_record->project();
    for (int id : {1000, 1001, 1002})
        QVERIFY(Control<QLineEdit>(page, id)->isReadOnly() && GetDlgItem(page, id)->isEnabled());
    QVERIFY(Control<QPlainTextEdit>(page, Page::IDC_TITLE)->isReadOnly());
    for (int id : {1005, 1006, 1054, 1008, 1007})
        QVERIFY2(!GetDlgItem(page, id)->isEnabled(), qPrintable(QString::number(id)));
    loadLots({"MK01||1|N", "MK02|3|2|Y"});
    QVERIFY(ctl(Lots::IDC_LOT_NO)->isReadOnly() && !mukim()->isEnabled());
    ClickRow(list(), 1);
    QCOMPARE(MarkedRow(list()), 1);
    QCOMPARE(mukim()->currentText(), "MUKIM 02");
    QCOMPARE(ctl(Lots::IDC_LOT_NO)->text(), "2");
    QVERIFY(partial()->isChecked());
    expectUpdate(false, QStringLiteral("Modify"));
    QCOMPARE(boxes(), 0);
    page->NestedSheet()->SetActivePage(page->SitePage());
    for (int id : {1024, 1026, 1011, 1059})
        QVERIFY2(!GetDlgItem(page->SitePage(), id)->isEnabled(), qPrintable(QString::number(id)));
    QVERIFY(Control<QPlainTextEdit>(page->SitePage(), 1030)->isReadOnly());
}

QTEST_MAIN(ProjectPagesTest)
#include "ProjectPagesTest.moc"
