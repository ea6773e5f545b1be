// The project page and its nested pages in the registration dialog, driven as a user drives
// them. After every edit of the lots or addresses list, the page's table (what is written to the
// file) must hold what the list shows.

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

} // namespace

class ProjectPagesTest : public QObject, RecordFixture {
    Q_OBJECT

    CRecordPage* m_page = nullptr;

    // A new record, its road table of three roads, with the nested `page` in front.
    template <class P> void show(P* (Page::*page)() const) {
        open("NEW_PROJ", "new.xml", {"ADAM ROAD", "ADAM STREET", "ALBERT WALK"});
        m_page = (project()->*page)();
        record->openProject(m_page);
    }
    Page* project() { return record->project(); }
    Site* site() { return project()->SitePage(); }
    Lots* lots() { return record->lots(); }
    Addresses* addresses() { return project()->AddressPage(); }
    template <class W = QLineEdit> W* ctl(int id) { return Control<W>(m_page, id); }
    template <class W = QLineEdit> W* field(int id) { return Control<W>(project(), id); }
    QComboBox* mukim() { return ctl<QComboBox>(Lots::IDC_MUKIM_TS); }
    QCheckBox* partial() { return ctl<QCheckBox>(Lots::IDC_PARTIAL_LOT); }
    CRecordListCtrl* list() { return m_page->Editor().List(); }
    void click(int id) { QTest::mouseClick(ctl<QWidget>(id), Qt::LeftButton); }
    void expectBox(int count, const QString& text, QWidget* focus = nullptr) {
        QCOMPARE(record->boxes(), count);
        QCOMPARE(record->box().text, text);
        if (focus)
            QCOMPARE(record->box().focusWhenShown, focus);
    }
    // What the lot page shows: the form ("Mukim/TS|plot|lot|partial"), the row drawn as loaded
    // (@), the row selected (^), U while Update is enabled, and how many boxes came up (#).
    QString state() {
        return QStringList{mukim()->currentText(), ctl(Lots::IDC_PLOT_NO)->text(),
                           ctl(Lots::IDC_LOT_NO)->text(), partial()->isChecked() ? "Y" : "N"}
                   .join('|') +
               QString::asprintf(" @%d ^%d %s#%d", MarkedRow(list()), list()->GetNextSelectedItem(),
                                 ctl<QWidget>(Lots::IDC_UPDATE)->isEnabled() ? "U " : "",
                                 record->boxes());
    }
    QString clickRow(int row) { return ClickRow(list(), row), state(); }
    QString press(int id) { return click(id), state(); }
    QString type(int id, const QString& text) { return Type(ctl(id), text), state(); }
    // The list's rows (cells joined by '|', rows by '/'), provided the page's table agrees.
    QString rows() {
        m_page->UpdateData(true);
        const QString shown = TableText(list()->Table()),
                      table = TableText(m_page->GetRecordTable());
        return shown == table ? table : "the table holds " + table;
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
    // Chooses the road in the site page's combo (none for "") and clicks ">>".
    void addRoad(const QString& name) {
        auto* combo = Control<CDropListCombo>(site(), Site::IDC_ROAD_NAME);
        combo->SetCurSel(-1);
        QVERIFY(name.isEmpty() || combo->SelectString(0, name) >= 0);
        site()->OnAddRoad();
    }

private slots:
    void cleanup() { record.reset(); }

    // A record located by a lot or a road passes, its completion on the day of commencement; a
    // site description alone is no location, and only that failure turns the nested pages to the
    // lots. With every value missing, every failure is listed and the serial number takes the
    // focus, on the project page, wherever the user was. (Each rule: the checks' unit test.)
    void saveChecksListEveryFailureAndFocusTheFirst() {
        const QString location = "One of the Project MK/TS or Address or Site info is required\n";
        const struct {
            bool filled;
            const char *lot, *roads;
            QString message;
        } cases[] = {
            {true, "MK01||1|N", "", ""},
            {true, nullptr, "<road>R00055</road>", ""},
            {true, nullptr, "", location},
            {false, nullptr, "",
             "Invalid project reference number\nProject title is mandatory\nProject completion "
             "date must be later than the commencement date\nProject category is mandatory\n"
             "Project classification is mandatory\nProject land ownership is mandatory\n" +
                 location},
        };
        open();
        for (const auto& c : cases) {
            for (const auto& [id, text] : {std::pair{Page::IDC_PROF_NO, "A123"},
                                           {Page::IDC_SERIAL_NO, "42"},
                                           {Page::IDC_YEAR, "2002"}})
                field(id)->setText(c.filled ? text : "");
            field<QPlainTextEdit>(Page::IDC_TITLE)->setPlainText(c.filled ? "Flats" : " \n  ");
            field<QDateEdit>(Page::IDC_COMMENCE_DATE)->setDate(QDate(2002, 3, 4));
            field<QDateEdit>(Page::IDC_COMPLETE_DATE)->setDate(QDate(2002, 3, c.filled ? 4 : 3));
            for (int id : {Page::IDC_CATEGORY, Page::IDC_CLASSIFICATION, Page::IDC_LAND_OWNERSHIP})
                field<QComboBox>(id)->setCurrentIndex(c.filled ? 0 : -1);
            loadLots(c.lot ? QStringList{c.lot} : QStringList{});
            pugi::xml_document doc;
            doc.load_string(("<profile><site_descr>Text</site_descr><road_group>" +
                             QByteArray(c.roads) + "</road_group></profile>")
                                .constData());
            site()->ReadXml(doc, doc.child("profile"));
            record->dialog.Sheet()->SetActivePage(record->dialog.MemberPage());

            QVERIFY(project()->UpdateData(true));
            project()->NestedSheet()->SetActivePage(addresses());
            const QList<Page::SaveCheckFailure> failures = project()->RunSaveChecks();
            QCOMPARE(Page::JoinMessages(failures), c.message);
            if (failures.isEmpty())
                continue;
            kestrel::BringForward(failures[0].focus);
            QCOMPARE(record->dialog.Sheet()->GetActivePage(), project());
            const bool onLotPage = c.message == location; // else the serial number fails first
            QCOMPARE(project()->NestedSheet()->GetActivePage(),
                     onLotPage ? static_cast<CPropertyPage*>(lots()) : addresses());
            QCOMPARE(QApplication::focusWidget(), onLotPage ? GetDlgItem(lots(), Lots::IDC_MUKIM_TS)
                                                            : field(Page::IDC_SERIAL_NO));
        }
    }

    // Roads added one by one: each refusal lists every reason in one box and adds nothing; an
    // added road leaves the combo for the next choice. With no roads and no description, the
    // profile still gets both elements, empty.
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
        record->openProject(site());
        pugi::xml_document doc;
        QCOMPARE(site()->WriteXml(doc, doc.append_child("profile")), QString());
        QCOMPARE(XmlText(doc), "<profile><site_descr/><road_group/></profile>");
        auto* list = Control<CListCtrl>(site(), Site::IDC_ROAD_LIST);
        QStringList listed;
        for (const auto& [road, message] : steps) {
            const int before = record->boxes();
            addRoad(road);
            if (message.isEmpty())
                listed << road;
            QCOMPARE(TableText(list->Table()), listed.join('/'));
            QCOMPARE(record->boxes(), before + int(!message.isEmpty()));
            if (!message.isEmpty())
                QCOMPARE(record->box().text, message);
            else
                QCOMPARE(Control<CDropListCombo>(site(), Site::IDC_ROAD_NAME)->GetCurSel(), -1);
        }
        QCOMPARE(record->box().caption, "Input error");
        QCOMPARE(record->box().icon, unsigned(kestrel::MB_ICONERROR));
    }

    // The sample record read in, changed through the controls and written; read back in a
    // view-only run, every value is where it was, in fields nobody can change.
    void fileRoundTripKeepsEveryValue() {
        openSample("EDIT_PROJ", {{"T00:00:00<", "T09:30:00<"},
                                 {"<road>R01082", "<other>R00644</other><road>R01082"}});
        QCOMPARE(field(Page::IDC_SERIAL_NO)->text(), "00042");
        field(Page::IDC_SERIAL_NO)->setText("7");
        field<QComboBox>(Page::IDC_CATEGORY)->setCurrentText("DEMOLITION");
        field<QDateEdit>(Page::IDC_COMMENCE_DATE)->setDate(QDate(2026, 1, 31));
        field<QPlainTextEdit>(Page::IDC_TITLE)->setPlainText("  \t" + kTitle + "\n "); // trimmed
        record->openProject(site());
        addRoad("ADAM AVENUE");
        Control<QPlainTextEdit>(site(), Site::IDC_SITE_DESCR)->setPlainText("By a canal");
        QVERIFY(project()->UpdateData(true));
        QVERIFY(project()->RunSaveChecks().isEmpty());

        XmlDocPtr doc = CreateXMLDoc();
        pugi::xml_node node = doc->append_child("krroot").append_child("project");
        pugi::xml_node profile = node.append_child("profile");
        QCOMPARE(project()->WriteXml(*doc, profile), QString());
        QCOMPARE(project()->ComposedReference(), "A1234-00007-2026");
        node.append_child("reference_no").text().set("A1234-00007-2026");
        QCOMPARE(QString(profile.child("location_descr").text().get()),
                 "TS24 Plot12 Lot3456 PT, TS24 Lot99K, 277 ORCHARD ROAD, #05-12, ORCHARD GATEWAY, "
                 "Singapore 238858, ORCHARD ROAD, SOMERSET ROAD, ADAM AVENUE");
        QCOMPARE(SaveXMLAndReleaseDoc(doc, dir.filePath("project.xml"), 1), 0);

        open("VIEW_PROJ", "project.xml");
        record->openProject(site());
        QCOMPARE(field(Page::IDC_SERIAL_NO)->text(), "00007");
        QCOMPARE(field<QComboBox>(Page::IDC_CATEGORY)->currentText(), "DEMOLITION");
        QCOMPARE(field<QPlainTextEdit>(Page::IDC_TITLE)->toPlainText(), kTitle);
        QCOMPARE(project()->CommencementDate(), QDateTime(QDate(2026, 1, 31), QTime(9, 30)));
        QCOMPARE(field<QDateEdit>(Page::IDC_COMPLETE_DATE)->date(), QDate(2027, 6, 30));
        QCOMPARE(TableText(lots()->GetRecordTable()),
                 "TOWN SUBDIVISION 24|12|3456|Y/TOWN SUBDIVISION 24||99K|N");
        QCOMPARE(site()->SiteDescription(), "By a canal");

        // The fields are locked (as the view-only pass locks every form); a clicked row still
        // shows in the form.
        m_page = lots();
        record->openProject(m_page);
        QVERIFY(ctl(Lots::IDC_LOT_NO)->isReadOnly() && !mukim()->isEnabled());
        QCOMPARE(clickRow(0), "TOWN SUBDIVISION 24|12|3456|Y @0 ^0 #0");
        QCOMPARE(ctl<QAbstractButton>(Lots::IDC_UPDATE)->text(), "Modify");
    }

    // Each field takes only its own characters, in capitals, and no more than its limit.
    void fieldsKeepTheirCharactersAndLimits() {
        open();
        const struct {
            CPropertyPage* page;
            int id;
            QString typed, kept;
        } cases[] = {
            {project(), Page::IDC_PROF_NO, "a-1" + QString(40, 'b'), "A1" + QString(33, 'B')},
            {project(), Page::IDC_SERIAL_NO, "1a2345678", "12345"},
            {project(), Page::IDC_YEAR, "20x266", "2026"},
            {lots(), Lots::IDC_LOT_NO, "a-1/b2345678901", "A-1B234567"},
            {lots(), Lots::IDC_PLOT_NO, "p 12345678901", "P123456789"},
            {addresses(), Addresses::IDC_LEVEL_NO, "a,.b", "A,."},
            {addresses(), Addresses::IDC_UNIT_NO, "1-a b/,.12345", "1-A B,.123"},
            {addresses(), Addresses::IDC_HOUSE_BLOCK_NO, "x#12345678901", "X123456789"},
            {addresses(), Addresses::IDC_BUILDING_NAME, "a~" + QString(99, 'z'),
             "A~" + QString(98, 'Z')},
        };
        for (const auto& c : cases) {
            if (c.page != project())
                record->openProject(c.page);
            Type(Control<QLineEdit>(c.page, c.id), c.typed);
            QCOMPARE(Control<QLineEdit>(c.page, c.id)->text(), c.kept);
        }
        // The title keeps the letter case it is typed in.
        record->dialog.Sheet()->SetActivePage(project());
        Type(field<QPlainTextEdit>(Page::IDC_TITLE), "a~" + QString(999, 'b'));
        QCOMPARE(field<QPlainTextEdit>(Page::IDC_TITLE)->toPlainText(), "a~" + QString(998, 'b'));
        QCOMPARE(record->boxes(), 0);
    }

    // The checks run in one box before anything is stored; then the duplicate rule: Mukim/TS
    // and lot, letter case aside, never the loaded row against itself.
    void lotChecksAndDuplicates() {
        show(&Page::LotPage);
        QCOMPARE(ctl<QAbstractButton>(Lots::IDC_UPDATE)->text(), "Update");
        QCOMPARE(press(Lots::IDC_SAVE_AS_NEW), "|||N @-1 ^-1 #1");
        expectBox(1, "Mukim/ TS is mandatory\nLot number is mandatory\n", mukim());
        QCOMPARE(record->box().caption, "Input Error");
        QCOMPARE(record->box().icon, unsigned(kestrel::MB_ICONERROR));
        addLot("MUKIM 17", "", "p-1");
        expectBox(2, "Lot number is mandatory\n", ctl(Lots::IDC_LOT_NO));
        // The form kept its values: the lot completes the record, and the form is empty again.
        QTest::mouseClick(partial(), Qt::LeftButton);
        QCOMPARE(type(Lots::IDC_LOT_NO, "12a"), "MUKIM 17|P-1|12A|Y @-1 ^-1 #2");
        QCOMPARE(press(Lots::IDC_SAVE_AS_NEW), "|||N @-1 ^-1 #2");
        QCOMPARE(rows(), "MUKIM 17|P-1|12A|Y");

        // A file may hold lower-case letters the form cannot type. Another plot or the partial
        // mark is the same lot; another Mukim/TS is another.
        loadLots({"MK01||1|N", "MK17||12b|N"});
        addLot("MUKIM 17", "12B", "7", true);
        expectBox(3, "Record number: 2\n" + kDuplicate, mukim());
        QCOMPARE(state(), "MUKIM 17|7|12B|Y @-1 ^-1 #3");
        mukim()->setCurrentIndex(mukim()->findText("MUKIM 18"));
        QCOMPARE(press(Lots::IDC_SAVE_AS_NEW), "|||N @-1 ^-1 #3");
        QCOMPARE(rows(), "MUKIM 01||1|N/MUKIM 17||12b|N/MUKIM 18|7|12B|Y");
        QCOMPARE(clickRow(1), "MUKIM 17||12b|N @1 ^1 U #3");
        type(Lots::IDC_PLOT_NO, "9");
        QCOMPARE(press(Lots::IDC_UPDATE), "|||N @-1 ^-1 #3");
        QCOMPARE(rows(), "MUKIM 01||1|N/MUKIM 17|9|12b|N/MUKIM 18|7|12B|Y");
        // Saved as new unchanged, a loaded row is a copy of its own row; the refused form is a
        // new record now: nothing to update.
        clickRow(0);
        QCOMPARE(press(Lots::IDC_SAVE_AS_NEW), "MUKIM 01||1|N @-1 ^-1 #4");
        QCOMPARE(record->box().text, "Record number: 1\n" + kDuplicate);
        QCOMPARE(list()->GetItemCount(), 3);
    }

    // Row 0 is a row like any other; edits stay unless the user discards them. Deleting above
    // the loaded row, or the loaded row, and reading again: the loaded record follows its row.
    void loadedRowEditsAndDeletes() {
        show(&Page::LotPage);
        loadLots({"MK01||1|N", "MK02||2|N"});
        QCOMPARE(clickRow(0), "MUKIM 01||1|N @0 ^0 U #0");
        QCOMPARE(press(Lots::IDC_RESET), "|||N @-1 ^-1 #0"); // unchanged: no question
        clickRow(0);
        type(Lots::IDC_LOT_NO, "A");
        // The row already loaded: the edits stay, nothing is asked; Update rewrites row 0.
        QCOMPARE(clickRow(0), "MUKIM 01||1A|N @0 ^0 U #0");
        QCOMPARE(press(Lots::IDC_UPDATE), "|||N @-1 ^-1 #0");
        QCOMPARE(rows(), "MUKIM 01||1A|N/MUKIM 02||2|N");

        clickRow(0);
        type(Lots::IDC_LOT_NO, "X");
        QCOMPARE(clickRow(1), "MUKIM 01||1AX|N @0 ^0 U #1"); // No, the default: edits stay
        QCOMPARE(record->box().text, kEdited);
        QCOMPARE(record->box().caption, "Alert");
        QCOMPARE(record->box().buttons, unsigned(kestrel::MB_YESNO));
        QCOMPARE(record->box().icon, unsigned(kestrel::MB_ICONQUESTION));
        record->answers.queueAnswer(IDYES);
        QCOMPARE(clickRow(1), "MUKIM 02||2|N @1 ^1 U #2");
        QCOMPARE(rows(), "MUKIM 01||1A|N/MUKIM 02||2|N");
        QCOMPARE(press(Lots::IDC_RESET), "|||N @-1 ^-1 #2"); // loaded, unchanged: no question

        // In a new record the partial box alone counts as an edit: No keeps it, and a row
        // clicked then is left unselected.
        QVERIFY(lots()->ResetLotForm(true, false));
        QTest::mouseClick(partial(), Qt::LeftButton);
        QVERIFY(!lots()->ResetLotForm(true, false));
        QCOMPARE(press(Lots::IDC_RESET), "|||Y @-1 ^-1 #3");
        QCOMPARE(clickRow(0), "|||Y @-1 ^-1 #4");
        QCOMPARE(record->box().text, kEdited);
        record->answers.queueAnswer(IDYES);
        QCOMPARE(press(Lots::IDC_RESET), "|||N @-1 ^-1 #5");

        loadLots({"MK01||1|N", "MK02|5|2|Y", "MK03||3|N"});
        clickRow(2);
        list()->SetItemSelected(0, true); // selected, not loaded
        record->answers.queueAnswer(IDYES);
        QCOMPARE(press(Lots::IDC_DELETE), "MUKIM 03||3|N @1 ^1 U #6");
        QCOMPARE(record->box().text, "Confirm delete selected record?");
        QCOMPARE(rows(), "MUKIM 02|5|2|Y/MUKIM 03||3|N");
        // Update writes the record back to its moved row.
        type(Lots::IDC_PLOT_NO, "4");
        QCOMPARE(press(Lots::IDC_UPDATE), "|||N @-1 ^-1 #6");
        QCOMPARE(rows(), "MUKIM 02|5|2|Y/MUKIM 03|4|3|N");
        clickRow(1);
        record->answers.queueAnswer(IDYES);
        QCOMPARE(press(Lots::IDC_DELETE), "|||N @-1 ^-1 #7"); // the loaded row itself
        QCOMPARE(rows(), "MUKIM 02|5|2|Y");
        loadLots({"MK05||50|N"});
        QCOMPARE(rows(), "MUKIM 05||50|N");
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
        // Letters are refused; a short postal code is reported as invalid, not as missing.
        Type(postal, "1a2345");
        QCOMPARE(postal->text(), "12345");
        click(Addresses::IDC_SAVE_AS_NEW);
        expectBox(2, "Road name is mandatory\nInvalid postal code\n");
        QVERIFY(road->SelectString(0, "ALBERT WALK") >= 0);
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

        pugi::xml_document doc;
        doc.load_string("<krroot><address_group><address><building_name>abc tower</building_name>"
                        "<house_block_no>10</house_block_no><level_no>5</level_no><unit_no>12b"
                        "</unit_no><road_code>R01047</road_code><postal_code>123456</postal_code>"
                        "</address></address_group></krroot>");
        addresses()->ReadXml(doc, doc.child("krroot").child("address_group"));
        addresses()->UpdateData(false);
        const QStringList typed = QString("ABC TOWER|10|5|12B|123456").split('|');
        for (int i = 0;
             int id : {Addresses::IDC_BUILDING_NAME, Addresses::IDC_HOUSE_BLOCK_NO,
                       Addresses::IDC_LEVEL_NO, Addresses::IDC_UNIT_NO, Addresses::IDC_POSTAL_CODE})
            Type(ctl(id), typed[i++], true);
        QVERIFY(road->SelectString(0, "ADAM ROAD") >= 0);
        click(Addresses::IDC_SAVE_AS_NEW);
        expectBox(4, "Record number: 1\n" + kDuplicate, ctl(Addresses::IDC_BUILDING_NAME));
        Type(ctl(Addresses::IDC_UNIT_NO), "13", true); // another unit is another address
        click(Addresses::IDC_SAVE_AS_NEW);
        QCOMPARE(rows(), "abc tower|10|5|12b|ADAM ROAD|123456/ABC TOWER|10|5|13|ADAM ROAD|123456");
        ClickRow(list(), 1);
        QCOMPARE(road->GetCurSel(), 0);
        click(Addresses::IDC_UPDATE); // unchanged: no duplicate of its own row
        QCOMPARE(record->boxes(), 4);
        QCOMPARE(MarkedRow(list()), -1);
    }
};

QTEST_MAIN(ProjectPagesTest)
#include "ProjectPagesTest.moc"
