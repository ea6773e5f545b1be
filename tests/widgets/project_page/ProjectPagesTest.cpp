// The project page and its nested pages in the registration dialog, driven as a user drives
// them. The lots and addresses pages cover the record-list editor; after every edit the page's
// table (what is written to the file) must hold what the list shows.

#include "TestFiles.h"
#include "TestForm.h"
#include "TestRecord.h"
#include "controls/DropListCombo.h"
#include "controls/InfoWindow.h"
#include "controls/ListCtrl.h"
#include "pages/project/PropPageProjectAddress.h"
#include "pages/project/PropPageProjectSiteDesc.h"
#include "sdk/XmlHelpers.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

using kestrel::IDYES;
using Lots = CPropPageProjectMukimTS;
using Addresses = CPropPageProjectAddress;
using Page = CPropPageProjectInfo;
using Site = CPropPageProjectSiteDesc;

namespace {

const QString kDuplicate = QStringLiteral("Duplicate record detected. Please verify data\n");
const QString kEdited = QStringLiteral("Data has been edited.\nDo you want to discard changes?");

const QString kTitle = "Two blocks of flats, with \"basement\" & car park";

// The profile of a record with every part filled: two lots, one address, two roads (only road
// elements count).
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
  <road_group><road>R02332</road><other>R01908</other><road>R00130</road></road_group>
</profile>)";

} // namespace

class ProjectPagesTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<RecordDialog> m_record;
    CRecordPage* m_page = nullptr;

    // The record in `file` (a new one when there is none) in the dialog.
    void open(const QString& type = "NEW_PROJ", const QString& file = "new.xml",
              const QStringList& roads = TestAppServices::DefaultRoads()) {
        m_record.reset(); // before the next services register themselves
        m_record = std::make_unique<RecordDialog>(m_dir.filePath(file), type, roads);
    }
    // A new record, its road table of three roads, with the nested `page` in front.
    template <class P> void show(P* (Page::*page)() const) {
        open("NEW_PROJ", "new.xml", {"ADAM ROAD", "ADAM STREET", "ALBERT WALK"});
        m_page = (project()->*page)();
        m_record->openProject(m_page);
    }
    Page* project() { return m_record->project(); }
    Site* site() { return project()->SitePage(); }
    Lots* lots() { return m_record->lots(); }
    Addresses* addresses() { return project()->AddressPage(); }
    kestrel::ScriptedAnswerer& answers() { return m_record->answers; }
    template <class W = QLineEdit> W* ctl(int id) { return Control<W>(m_page, id); }
    template <class W = QLineEdit> W* field(int id) { return Control<W>(project(), id); }
    QComboBox* mukim() { return ctl<QComboBox>(Lots::IDC_MUKIM_TS); }
    QCheckBox* partial() { return ctl<QCheckBox>(Lots::IDC_PARTIAL_LOT); }
    CRecordListCtrl* list() {
        return ctl<CRecordListCtrl>(m_page == lots() ? Lots::IDC_LOT_LIST
                                                     : Addresses::IDC_ADDRESS_LIST);
    }
    void click(int id) { QTest::mouseClick(ctl<QWidget>(id), Qt::LeftButton); }
    bool canUpdate() { return ctl<QWidget>(Lots::IDC_UPDATE)->isEnabled(); }
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
    // Chooses the road in the site page's combo (none for "") and clicks ">>".
    void addRoad(const QString& name) {
        auto* combo = Control<CDropListCombo>(site(), Site::IDC_ROAD_NAME);
        if (name.isEmpty())
            combo->SetCurSel(-1);
        else
            QVERIFY(combo->SelectString(0, name) >= 0);
        site()->OnAddRoad();
    }
    QStringList listedRoads() {
        auto* list = Control<CListCtrl>(site(), Site::IDC_ROAD_LIST);
        QStringList names;
        for (int row = 0; row < list->GetItemCount(); ++row)
            names << list->GetItemText(row, 0);
        return names;
    }
    void readProfile(const char* xml) {
        pugi::xml_document doc;
        doc.load_string(xml);
        site()->ReadXml(doc, doc.child("profile"));
    }

private slots:
    void cleanup() { m_record.reset(); }

    // Each case breaks some of the values of a valid record; the first failure takes the focus,
    // on its page, wherever the user was.
    void saveChecksGiveTheirMessagesAndFocus() {
        const QString reference = "Invalid project reference number\n";
        const QString title = "Project title is mandatory\n";
        const QString dates = "Project completion date must be later than the commencement date\n";
        const QString category = "Project category is mandatory\n",
                      classification = "Project classification is mandatory\n",
                      land = "Project land ownership is mandatory\n";
        const QString location = "One of the Project MK/TS or Address or Site info is required\n";
        const struct {
            QList<int> breaks;
            QString message;
            int focusId;
        } cases[] = {
            {{Page::IDC_PROF_NO}, reference, Page::IDC_SERIAL_NO},
            {{Page::IDC_SERIAL_NO}, reference, Page::IDC_SERIAL_NO},
            {{Page::IDC_YEAR}, reference, Page::IDC_SERIAL_NO},
            {{Page::IDC_TITLE}, title, Page::IDC_TITLE},
            {{Page::IDC_COMPLETE_DATE}, dates, Page::IDC_COMPLETE_DATE},
            {{Page::IDC_CATEGORY}, category, Page::IDC_CATEGORY},
            {{Page::IDC_CLASSIFICATION}, classification, Page::IDC_CLASSIFICATION},
            {{Page::IDC_LAND_OWNERSHIP}, land, Page::IDC_LAND_OWNERSHIP},
            {{Lots::IDC_MUKIM_TS}, location, Lots::IDC_MUKIM_TS},
            {{Page::IDC_PROF_NO, Page::IDC_SERIAL_NO, Page::IDC_YEAR, Page::IDC_TITLE,
              Page::IDC_COMPLETE_DATE, Page::IDC_CATEGORY, Page::IDC_CLASSIFICATION,
              Page::IDC_LAND_OWNERSHIP, Lots::IDC_MUKIM_TS},
             reference + title + dates + category + classification + land + location,
             Page::IDC_SERIAL_NO},
        };
        open();
        for (const auto& c : cases) {
            // Valid unless broken: the three reference parts, a title, dates on one day, the
            // three lists and a location: a lot or a road, by turns (a site description alone is
            // none).
            const auto valid = [&c](int id) { return !c.breaks.contains(id); };
            field(Page::IDC_PROF_NO)->setText(valid(Page::IDC_PROF_NO) ? "A123" : "");
            field(Page::IDC_SERIAL_NO)->setText(valid(Page::IDC_SERIAL_NO) ? "42" : "");
            field(Page::IDC_YEAR)->setText(valid(Page::IDC_YEAR) ? "2002" : "");
            field<QPlainTextEdit>(Page::IDC_TITLE)
                ->setPlainText(valid(Page::IDC_TITLE) ? "Block of flats" : " \n  ");
            field<QDateEdit>(Page::IDC_COMMENCE_DATE)->setDate(QDate(2002, 3, 4));
            field<QDateEdit>(Page::IDC_COMPLETE_DATE)
                ->setDate(QDate(2002, 3, valid(Page::IDC_COMPLETE_DATE) ? 4 : 3));
            for (int id : {Page::IDC_CATEGORY, Page::IDC_CLASSIFICATION, Page::IDC_LAND_OWNERSHIP})
                field<QComboBox>(id)->setCurrentIndex(valid(id) ? 0 : -1);
            const bool byLot = (&c - cases) % 2 == 0, located = valid(Lots::IDC_MUKIM_TS);
            loadLots(located && byLot ? QStringList{"MK01||1|N"} : QStringList{});
            readProfile(located && !byLot
                            ? "<profile><road_group><road>R00055</road></road_group></profile>"
                            : "<profile><site_descr>Some text</site_descr></profile>");
            m_record->dialog.Sheet()->SetActivePage(m_record->dialog.MemberPage());

            QVERIFY(project()->UpdateData(true));
            project()->NestedSheet()->SetActivePage(addresses());
            const QList<Page::SaveCheckFailure> failures = project()->RunSaveChecks();
            QCOMPARE(Page::JoinMessages(failures), c.message);
            QCOMPARE(failures.size(), c.message.count('\n'));
            kestrel::BringForward(failures[0].focus);
            QCOMPARE(m_record->dialog.Sheet()->GetActivePage(), project());
            // Only a missing location turns the nested pages to the lots.
            const bool onLotPage = c.focusId == Lots::IDC_MUKIM_TS;
            QCOMPARE(project()->NestedSheet()->GetActivePage(),
                     onLotPage ? static_cast<CPropertyPage*>(lots()) : addresses());
            QCOMPARE(QApplication::focusWidget(),
                     GetDlgItem(onLotPage ? lots() : static_cast<QWidget*>(project()), c.focusId));
        }
    }

    // Roads added one by one: each refusal lists every reason in one box and adds nothing.
    void refusedRoadsListEveryReasonInOneBox() {
        const QString mandatory = "Road Name is mandatory. \n", maximum = "Maximum 4 road names.\n",
                      duplicate = "Duplicate road selected.\n";
        const std::pair<QString, QString> steps[] = {{"", mandatory},
                                                     {"ADAM AVENUE", ""},
                                                     {"ADAM CIRCLE", ""},
                                                     {"ADAM CIRCLE", duplicate},
                                                     {"ADAM CLOSE", ""},
                                                     {"ADAM GARDENS", ""},
                                                     {"ADAM GROVE", maximum},
                                                     {"", mandatory + maximum},
                                                     {"ADAM CLOSE", maximum + duplicate}};
        open();
        m_record->openProject(site());
        QStringList listed;
        for (const auto& [road, message] : steps) {
            const int before = boxes();
            addRoad(road);
            if (message.isEmpty()) {
                listed << road;
                // Added, the road leaves the combo for the next choice.
                QCOMPARE(Control<CDropListCombo>(site(), Site::IDC_ROAD_NAME)->GetCurSel(), -1);
            }
            QCOMPARE(boxes(), before + (message.isEmpty() ? 0 : 1));
            if (!message.isEmpty())
                QCOMPARE(box().text, message);
            QCOMPARE(listedRoads(), listed);
        }
        QCOMPARE(box().caption, "Input error");
        QCOMPARE(box().icon, unsigned(kestrel::MB_ICONERROR));
    }

    // With no roads and no description, the profile still gets both elements, empty.
    void siteWritesBothElementsEvenEmpty() {
        Site page(nullptr);
        pugi::xml_document doc;
        pugi::xml_node profile = doc.append_child("profile");
        QCOMPARE(page.WriteXml(doc, profile), QString());
        QVERIFY(profile.child("site_descr") && profile.child("site_descr").text().empty());
        QVERIFY(profile.child("road_group") && !profile.child("road_group").first_child());
    }

    // A record read in, changed through the controls and written; read back in a view-only run,
    // every value is where it was, in fields nobody can change.
    void fileRoundTripKeepsEveryValue() {
        const QString path = m_dir.filePath("project.xml");
        QVERIFY(writeFile(path, QByteArray("<krroot><project><reference_no>A123-00042-2002"
                                           "</reference_no>") +
                                    kFullProfile + "</project></krroot>"));
        open("EDIT_PROJ", "project.xml");
        QCOMPARE(field(Page::IDC_SERIAL_NO)->text(), "00042");
        field(Page::IDC_SERIAL_NO)->setText("7");
        field<QComboBox>(Page::IDC_CATEGORY)->setCurrentText("DEMOLITION");
        field<QDateEdit>(Page::IDC_COMMENCE_DATE)->setDate(QDate(2003, 1, 31));
        field<QPlainTextEdit>(Page::IDC_TITLE)->setPlainText("  \t" + kTitle + "\n "); // trimmed
        m_record->openProject(site());
        addRoad("ADAM AVENUE");
        Control<QPlainTextEdit>(site(), Site::IDC_SITE_DESCR)->setPlainText("By a canal");
        QCOMPARE(boxes(), 0);
        QVERIFY(project()->UpdateData(true));
        QVERIFY(project()->RunSaveChecks().isEmpty());

        XmlDocPtr doc = CreateXMLDoc();
        pugi::xml_node node = doc->append_child("krroot").append_child("project");
        pugi::xml_node profile = node.append_child("profile");
        QCOMPARE(project()->WriteXml(*doc, profile), QString());
        QCOMPARE(project()->ComposedReference(), "A123-00007-2002");
        node.append_child("reference_no").text().set("A123-00007-2002");
        QCOMPARE(QString(profile.child("location_descr").text().get()),
                 QString("MK17 Plot12 Lot3456 PT, TS05 Lot99, 10 ADAM CIRCLE, #05-12, ABC TOWER, "
                         "Singapore 123456, ADAM GROVE, ADAM GREEN, ADAM AVENUE"));
        QCOMPARE(SaveXMLAndReleaseDoc(doc, path, 1), 0);

        // Read back in a view-only run.
        open("VIEW_PROJ", "project.xml");
        m_record->openProject(site());
        QCOMPARE(field(Page::IDC_PROF_NO)->text() + "-" + field(Page::IDC_SERIAL_NO)->text() + "-" +
                     field(Page::IDC_YEAR)->text(),
                 "A123-00007-2002");
        QCOMPARE(field<QPlainTextEdit>(Page::IDC_TITLE)->toPlainText(), kTitle);
        QCOMPARE(field<QDateEdit>(Page::IDC_COMMENCE_DATE)->date(), QDate(2003, 1, 31));
        QCOMPARE(field<QDateEdit>(Page::IDC_COMPLETE_DATE)->date(), QDate(2004, 5, 6));
        QVERIFY(field<QDateEdit>(Page::IDC_COMMENCE_DATE)->calendarPopup() &&
                field<QDateEdit>(Page::IDC_COMPLETE_DATE)->calendarPopup());
        QCOMPARE(project()->CommencementDate().time(), QTime(9, 30));
        QCOMPARE(field<QComboBox>(Page::IDC_CATEGORY)->currentText() + "|" +
                     field<QComboBox>(Page::IDC_CLASSIFICATION)->currentText() + "|" +
                     field<QComboBox>(Page::IDC_LAND_OWNERSHIP)->currentText(),
                 "DEMOLITION|RESIDENTIAL (NON-LANDED)|PRIVATE (LEASEHOLD)");
        QCOMPARE(TableText(lots()->GetRecordTable()),
                 "MUKIM 17|12|3456|Y/TOWN SUBDIVISION 05||99|N");
        QCOMPARE(site()->SiteDescription(), "By a canal");

        // The site page's controls are locked; a clicked row still shows in the form.
        for (int id :
             {Site::IDC_ROAD_NAME, Site::IDC_ADD_ROAD, Site::IDC_REMOVE_ROAD, Site::IDC_ROAD_LIST})
            QVERIFY2(!GetDlgItem(site(), id)->isEnabled(), qPrintable(QString::number(id)));
        QVERIFY(Control<QPlainTextEdit>(site(), Site::IDC_SITE_DESCR)->isReadOnly());
        m_page = lots();
        m_record->openProject(m_page);
        QVERIFY(ctl(Lots::IDC_LOT_NO)->isReadOnly() && !mukim()->isEnabled());
        ClickRow(list(), 0);
        QCOMPARE(MarkedRow(list()), 0);
        QCOMPARE(mukim()->currentText() + "|" + ctl(Lots::IDC_LOT_NO)->text(), "MUKIM 17|3456");
        QVERIFY(partial()->isChecked() && !canUpdate());
        QCOMPARE(ctl<QAbstractButton>(Lots::IDC_UPDATE)->text(), "Modify");
        QCOMPARE(boxes(), 0);
    }

    // The checks run in one box before anything is stored; then the duplicate rule: Mukim/TS
    // and lot, letter case aside, never the loaded row against itself.
    void lotChecksAndDuplicates() {
        show(&Page::LotPage);
        QVERIFY(!canUpdate());
        QCOMPARE(ctl<QAbstractButton>(Lots::IDC_UPDATE)->text(), "Update");
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
        QVERIFY(ctl(Lots::IDC_PLOT_NO)->text().isEmpty() && !canUpdate());

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
        QVERIFY(canUpdate());
        Type(ctl(Lots::IDC_PLOT_NO), "9");
        click(Lots::IDC_UPDATE);
        QCOMPARE(boxes(), 3);
        QCOMPARE(RowText(list(), 1), "MUKIM 17|9|12b|N");
        QCOMPARE(MarkedRow(list()), -1);
        QVERIFY(!canUpdate());
        agree("updated");
        // Saved as new unchanged, a loaded row is a copy of its own row; the refused form is a
        // new record now: nothing to update.
        ClickRow(list(), 0);
        click(Lots::IDC_SAVE_AS_NEW);
        expectBox(4, "Record number: 1\n" + kDuplicate);
        QCOMPARE(list()->GetItemCount(), 3);
        QVERIFY(!canUpdate());
        QCOMPARE(MarkedRow(list()), -1);
    }

    // Row 0 is a row like any other; edits stay unless the user discards them. Deleting above
    // the loaded row, or the loaded row, and reading again: the loaded record follows its row.
    void loadedRowEditsAndDeletes() {
        show(&Page::LotPage);
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

        loadLots({"MK01||1|N", "MK02|5|2|Y", "MK03||3|N"});
        agree("loaded");
        ClickRow(list(), 2);
        list()->SetItemSelected(0, true); // selected, not loaded
        QCOMPARE(MarkedRow(list()), 2);
        deleteSelected();
        expectBox(6, "Confirm delete selected record?");
        QCOMPARE(MarkedRow(list()), 1);
        QCOMPARE(ctl(Lots::IDC_LOT_NO)->text(), "3");
        QVERIFY(canUpdate());
        agree("deleted above the loaded row");
        // Update writes the record back to its moved row, and leaves the form empty.
        Type(ctl(Lots::IDC_PLOT_NO), "4");
        click(Lots::IDC_UPDATE);
        QCOMPARE(boxes(), 6);
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
        QVERIFY(road->SelectString(0, "ADAM ROAD") >= 0);
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

QTEST_MAIN(ProjectPagesTest)
#include "ProjectPagesTest.moc"
