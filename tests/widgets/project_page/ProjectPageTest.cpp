// The project information page with its site description tab, in the registration dialog: the
// project checks of Save & Quit with where each one sends the user, the road list, the profile
// element of the project file, and the view-only run.

#include "TestFiles.h"
#include "TestRecord.h"
#include "controls/DropListCombo.h"
#include "controls/ListCtrl.h"
#include "pages/project/PropPageProjectAddress.h"
#include "pages/project/PropPageProjectSiteDesc.h"
#include "sdk/XmlHelpers.h"

#include <QtTest>
#include <QtWidgets>

using kestrel::ScriptedAnswerer;
using Page = CPropPageProjectInfo;
using Site = CPropPageProjectSiteDesc;

namespace {

// The record at `path` (a new one when there is no such file) with terse verbs for the project
// page and its site tab.
struct Harness : RecordDialog {
    explicit Harness(const QString& path, const QString& type = QStringLiteral("NEW_PROJ"))
        : RecordDialog(path, type) {
        page = project();
    }
    Site* showSite() {
        page->NestedSheet()->SetActivePage(page->SitePage());
        return page->SitePage();
    }
    template <class T> T* ctl(int id) const { return qobject_cast<T*>(GetDlgItem(page, id)); }
    QLineEdit* edit(int id) const { return ctl<QLineEdit>(id); }
    QPlainTextEdit* title() const { return ctl<QPlainTextEdit>(Page::IDC_TITLE); }
    QDateEdit* date(int id) const { return ctl<QDateEdit>(id); }
    QComboBox* combo(int id) const { return ctl<QComboBox>(id); }

    // Chooses the road in the combo and clicks ">>".
    void addRoad(const QString& name) {
        auto* combo =
            qobject_cast<CDropListCombo*>(GetDlgItem(page->SitePage(), Site::IDC_ROAD_NAME));
        if (name.isEmpty())
            combo->SetCurSel(-1);
        else
            QVERIFY(combo->SelectString(0, name) >= 0);
        page->SitePage()->OnAddRoad();
    }
    QStringList listedRoads() const {
        auto* list = qobject_cast<CListCtrl*>(GetDlgItem(page->SitePage(), Site::IDC_ROAD_LIST));
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

class TestProjectPage : public QObject {
    Q_OBJECT

private slots:
    void saveChecksGiveTheirMessagesAndFocus();
    void refusedRoadsListEveryReasonInOneBox();
    void siteXmlAlwaysHasBothElements();
    void fileRoundTripKeepsEveryValue();
    void viewOnlyRunMakesEveryFieldReadOnly();
};

// Each case breaks some of the values of a valid record; the first failure takes the focus.
void TestProjectPage::saveChecksGiveTheirMessagesAndFocus() {
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
        const Page::FocusTarget& target = failures[0].focus;
        QCOMPARE(target.page, static_cast<CPropertyPage*>(h.page));
        QCOMPARE(target.controlId, c.focusId);
        const bool onLotPage = c.focusId == 1018;
        QCOMPARE(target.nestedSheet, onLotPage ? h.page->NestedSheet() : nullptr);
        QCOMPARE(target.nestedPage, onLotPage ? h.page->LotPage() : nullptr);
        kestrel::BringForward(target);
        QCOMPARE(h.dialog.Sheet()->GetActivePage(), static_cast<CPropertyPage*>(h.page));
        if (onLotPage)
            QCOMPARE(h.page->NestedSheet()->GetActivePage(), h.page->LotPage());
        QCOMPARE(
            QApplication::focusWidget(),
            GetDlgItem(onLotPage ? h.page->LotPage() : static_cast<QWidget*>(h.page), c.focusId));
    }
}

// Each case lists some roads first, then adds one more.
void TestProjectPage::refusedRoadsListEveryReasonInOneBox() {
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

void TestProjectPage::siteXmlAlwaysHasBothElements() {
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

    // A profile without the site elements: empty description, no roads, and both made.
    pugi::xml_document empty;
    pugi::xml_node bare = empty.append_child("profile");
    page.ReadXml(empty, bare);
    QCOMPARE(page.SiteDescription(), QString());
    QCOMPARE(page.GetRoadCount(), 0);
    QCOMPARE(ChildNames(bare), "site_descr road_group");

    // Written with nothing, after whatever the profile held: both elements, empty.
    pugi::xml_document out;
    pugi::xml_node profile = out.append_child("profile");
    profile.append_child("title");
    QCOMPARE(page.WriteXml(out, profile), QString());
    QCOMPARE(ChildNames(profile), "title site_descr road_group");
    QVERIFY(profile.child("site_descr").text().empty());
    QVERIFY(!profile.child("road_group").first_child());
    QCOMPARE(page.LocationSummary(), QString());
}

void TestProjectPage::fileRoundTripKeepsEveryValue() {
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
    QCOMPARE(h.date(1006)->date(), QDate(2004, 5, 6));
    QCOMPARE(h.page->CommencementDate().time(), QTime(9, 30));
    QCOMPARE(h.combo(1054)->currentText() + "|" + h.combo(1007)->currentText() + "|" +
                 h.combo(1008)->currentText(),
             "DEMOLITION|RESIDENTIAL (NON-LANDED)|PRIVATE (LEASEHOLD)");

    QCOMPARE(TableText(h.page->LotPage()->GetRecordTable()),
             "MUKIM 17|12|3456|Y/TOWN SUBDIVISION 05||99|N");
    QCOMPARE(TableText(h.page->AddressPage()->GetRecordTable()),
             "ABC TOWER|10|05|12|ADAM CIRCLE|123456");
    QCOMPARE(h.page->SitePage()->SiteDescription(), "Corner plot next to the canal");

    // Written again without a change, the profile is the same, element for element.
    QVERIFY(h.page->UpdateData(true));
    pugi::xml_document again;
    pugi::xml_node profile = again.append_child("profile");
    h.page->WriteXml(again, profile);
    QCOMPARE(XmlText(profile), written);
}

void TestProjectPage::viewOnlyRunMakesEveryFieldReadOnly() {
    QTemporaryDir dir;
    Harness h(dir.filePath("none.xml"), "VIEW_PROJ");
    Site* site = h.showSite();
    for (int id : {1000, 1001, 1002})
        QVERIFY(h.edit(id)->isReadOnly() && h.edit(id)->isEnabled());
    QVERIFY(h.title()->isReadOnly());
    for (int id : {1005, 1006, 1054, 1008, 1007})
        QVERIFY2(!GetDlgItem(h.page, id)->isEnabled(), qPrintable(QString::number(id)));
    for (int id : {1024, 1026, 1011, 1059})
        QVERIFY2(!GetDlgItem(site, id)->isEnabled(), qPrintable(QString::number(id)));
    QVERIFY(qobject_cast<QPlainTextEdit*>(GetDlgItem(site, 1030))->isReadOnly());
}

QTEST_MAIN(TestProjectPage)
#include "ProjectPageTest.moc"
