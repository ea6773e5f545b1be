// The site description and roads page: adding and removing roads with their messages, the
// page's set-up, its tab mark, and its part of the project file.

#include "TestAppServices.h"

#include "controls/DropListCombo.h"
#include "controls/HoverButton.h"
#include "controls/ListCtrl.h"
#include "controls/ToolTipPropertySheet.h"
#include "framework/ControlId.h"
#include "framework/MessageBox.h"
#include "pages/project/PropPageProjectSiteDesc.h"
#include "pages/project/TabHighlight.h"
#include "sdk/XmlHelpers.h"

#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

using kestrel::ScriptedAnswerer;

namespace {

// The site page as the third tab of a sheet, shown in a window of its own.
struct SiteHarness {
    QWidget window;
    CToolTipPropertySheet* sheet;
    CPropPageProjectSiteDesc* page;

    SiteHarness() {
        auto* layout = new QVBoxLayout(&window);
        sheet = new CToolTipPropertySheet(nullptr, &window);
        auto* lots = new CPropertyPage(131);
        lots->setWindowTitle("Lots");
        auto* addresses = new CPropertyPage(132);
        addresses->setWindowTitle("Addresses");
        page = new CPropPageProjectSiteDesc(nullptr);
        sheet->AddPage(lots);
        sheet->AddPage(addresses);
        sheet->AddPage(page);
        layout->addWidget(sheet);
    }

    void show() {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(sheet->SetActivePage(page));
        QVERIFY(page->IsInitialized());
    }

    CDropListCombo* combo() const {
        return qobject_cast<CDropListCombo*>(
            GetDlgItem(page, CPropPageProjectSiteDesc::IDC_ROAD_NAME));
    }
    CListCtrl* list() const {
        return qobject_cast<CListCtrl*>(GetDlgItem(page, CPropPageProjectSiteDesc::IDC_ROAD_LIST));
    }
    QPlainTextEdit* edit() const {
        return qobject_cast<QPlainTextEdit*>(
            GetDlgItem(page, CPropPageProjectSiteDesc::IDC_SITE_DESCR));
    }

    // Chooses the road in the combo and clicks ">>".
    void addRoad(const QString& name) {
        if (name.isEmpty()) {
            combo()->SetCurSel(-1);
        } else {
            QVERIFY(combo()->SelectString(0, name) >= 0);
        }
        page->OnAddRoad();
    }

    QStringList listedRoads() const {
        QStringList names;
        for (int row = 0; row < list()->GetItemCount(); ++row) {
            names << list()->GetItemText(row, 0);
        }
        return names;
    }
};

QStringList TableRoads(const RecordTable& table) {
    QStringList names;
    for (int row = 0; row < table.GetRowCount(); ++row) {
        names << table.GetCell(row, 0);
    }
    return names;
}

} // namespace

class TestSitePage : public QObject {
    Q_OBJECT

private slots:
    void setUpShowsIconsListColumnAndLimits();
    void tabIsHighlightedWhileActive();
    void addingMovesTheChosenRoadIntoTheList();
    void refusedRoadsListEveryReasonInOneBox_data();
    void refusedRoadsListEveryReasonInOneBox();
    void duplicateComparisonIsCaseSensitive();
    void removingAsksFirst();
    void siteDescriptionTakes255PrintableCharacters();
    void writeXmlWritesCodesAndSummary();
    void writeXmlWithNothingStillWritesBothElements();
    void readXmlLooksUpNamesAndReplacesRoads();
    void readXmlBeforeShowingFillsTheListWhenShown();
    void fileRoundTripKeepsRoadsAndDescription();
};

void TestSitePage::setUpShowsIconsListColumnAndLimits() {
    TestAppServices services;
    SiteHarness h;
    h.show();

    QCOMPARE(h.page->windowTitle(), QString("Project Site Description"));
    QCOMPARE(h.list()->GetColumnCount(), 1);
    QCOMPARE(h.list()->GetColumnHeading(0), QString("Road Name"));
    QCOMPARE(h.list()->GetColumnWidth(0), 200);

    for (int id :
         {CPropPageProjectSiteDesc::IDC_ADD_ROAD, CPropPageProjectSiteDesc::IDC_REMOVE_ROAD}) {
        auto* button = qobject_cast<CHoverButton*>(GetDlgItem(h.page, id));
        QVERIFY(button);
        QVERIFY(button->text().isEmpty());
        QVERIFY(!button->iconSizeDrawn().isEmpty());
        QVERIFY(button->IsFlatStyle());
        QVERIFY(!button->accessibleName().isEmpty());
    }
    QCOMPARE(h.combo()->GetItemSource(), kestrel::GetRoadTable());
    QCOMPARE(h.combo()->GetCount(), TestAppServices::DefaultRoads().size());

    auto* edit = qobject_cast<CCharFilterTextEdit*>(h.edit());
    QVERIFY(edit);
    QCOMPARE(edit->maxLength(), 255);
    QCOMPARE(edit->GetValidator() != nullptr, true);
    QCOMPARE(edit->AllowedChars().size(), 96); // 95 printable characters, "u" twice
    // A line break typed with Enter is not among them and is reported on leaving.
    QCOMPARE(edit->GetValidator()->CheckChars(1030, edit->AllowedChars(), "North\nSouth"),
             QString("Invalid Input"));
}

void TestSitePage::tabIsHighlightedWhileActive() {
    TestAppServices services;
    SiteHarness h;
    h.show();
    QVERIFY(kestrel::IsSheetTabHighlighted(h.sheet, 2));
    QVERIFY(h.sheet->SetActivePage(0));
    QVERIFY(!kestrel::IsSheetTabHighlighted(h.sheet, 2));
    QVERIFY(h.sheet->SetActivePage(2));
    QVERIFY(kestrel::IsSheetTabHighlighted(h.sheet, 2));
}

void TestSitePage::addingMovesTheChosenRoadIntoTheList() {
    TestAppServices services;
    ScriptedAnswerer answers;
    SiteHarness h;
    h.show();

    h.addRoad("ADAM GREEN");
    h.addRoad("ADAM AVENUE");
    QVERIFY(answers.messages().empty());
    QCOMPARE(h.listedRoads(), QStringList({"ADAM GREEN", "ADAM AVENUE"}));
    // The combo is emptied for the next road.
    QCOMPARE(h.combo()->GetWindowText(), QString());
    QCOMPARE(h.combo()->GetCurSel(), -1);

    // The table follows the list at the next exchange.
    QCOMPARE(h.page->GetRoadCount(), 0);
    QVERIFY(h.page->UpdateData(true));
    QCOMPARE(TableRoads(h.page->GetRecordTable()), QStringList({"ADAM GREEN", "ADAM AVENUE"}));

    // Clicking the button does the same as the handler.
    QVERIFY(h.combo()->SelectString(0, "ADAM CLOSE") >= 0);
    QTest::mouseClick(GetDlgItem(h.page, CPropPageProjectSiteDesc::IDC_ADD_ROAD), Qt::LeftButton);
    QCOMPARE(h.listedRoads().size(), 3);
}

void TestSitePage::refusedRoadsListEveryReasonInOneBox_data() {
    QTest::addColumn<int>("roadsFirst");
    QTest::addColumn<QString>("road");
    QTest::addColumn<QString>("message");

    QTest::newRow("nothing chosen") << 0 << ""
                                    << "Road Name is mandatory. \n";
    QTest::newRow("duplicate") << 2 << "ADAM CIRCLE"
                               << "Duplicate road selected.\n";
    QTest::newRow("fifth road") << 4 << "ADAM GROVE"
                                << "Maximum 4 road names.\n";
    QTest::newRow("four and nothing chosen") << 4 << ""
                                             << "Road Name is mandatory. \nMaximum 4 road names.\n";
    QTest::newRow("four and a duplicate") << 4 << "ADAM CLOSE"
                                          << "Maximum 4 road names.\nDuplicate road selected.\n";
}

void TestSitePage::refusedRoadsListEveryReasonInOneBox() {
    QFETCH(int, roadsFirst);
    QFETCH(QString, road);
    QFETCH(QString, message);

    TestAppServices services;
    ScriptedAnswerer answers;
    SiteHarness h;
    h.show();
    for (int i = 0; i < roadsFirst; ++i) {
        h.addRoad(TestAppServices::DefaultRoads().at(i));
    }
    QVERIFY(answers.messages().empty());
    const QStringList before = h.listedRoads();

    h.addRoad(road);
    QCOMPARE(answers.messages().size(), size_t(1));
    const ScriptedAnswerer::Message& box = answers.messages().front();
    QCOMPARE(box.text, message);
    QCOMPARE(box.caption, QString("Input error"));
    QCOMPARE(box.icon, unsigned(kestrel::MB_ICONERROR));
    QCOMPARE(box.buttons, unsigned(kestrel::MB_OK));
    QCOMPARE(h.listedRoads(), before);
}

void TestSitePage::duplicateComparisonIsCaseSensitive() {
    TestAppServices services;
    ScriptedAnswerer answers;
    SiteHarness h;
    h.show();
    h.addRoad("ADAM AVENUE");
    // A row whose text differs only in case is not a duplicate of the chosen road.
    QString lower = "adam avenue";
    h.list()->SetItemText(0, 0, lower);
    h.addRoad("ADAM AVENUE");
    QVERIFY(answers.messages().empty());
    QCOMPARE(h.listedRoads(), QStringList({"adam avenue", "ADAM AVENUE"}));
}

void TestSitePage::removingAsksFirst() {
    TestAppServices services;
    ScriptedAnswerer answers;
    SiteHarness h;
    h.show();
    h.addRoad("ADAM AVENUE");
    h.addRoad("ADAM CIRCLE");

    // Nothing selected: nothing asked, nothing removed.
    h.list()->DeselectAll();
    h.page->OnRemoveRoad();
    QVERIFY(answers.messages().empty());
    QCOMPARE(h.listedRoads().size(), 2);

    h.list()->SetItemSelected(0, true);
    answers.queueAnswer(kestrel::IDNO);
    h.page->OnRemoveRoad();
    QCOMPARE(answers.messages().size(), size_t(1));
    QCOMPARE(answers.messages().back().text, QString("Confirm delete selected record?"));
    QCOMPARE(answers.messages().back().caption, QString("Message"));
    QCOMPARE(h.listedRoads().size(), 2);

    answers.queueAnswer(kestrel::IDYES);
    h.page->OnRemoveRoad();
    QCOMPARE(h.listedRoads(), QStringList({"ADAM CIRCLE"}));
}

void TestSitePage::siteDescriptionTakes255PrintableCharacters() {
    TestAppServices services;
    ScriptedAnswerer answers;
    SiteHarness h;
    h.show();
    h.edit()->setFocus();
    const QString text = QString("Site ~ {x} \"q\" \\ `b`").leftJustified(255, '.');
    QTest::keyClicks(h.edit(), text);
    QTest::keyClicks(h.edit(), "Z");
    QCOMPARE(h.edit()->toPlainText(), text);
    QVERIFY(h.page->UpdateData(true));
    QCOMPARE(h.page->SiteDescription(), text);
}

void TestSitePage::writeXmlWritesCodesAndSummary() {
    TestAppServices services;
    ScriptedAnswerer answers;
    SiteHarness h;
    h.show();
    h.addRoad("ADAM AVENUE");
    h.addRoad("ADAM GREEN");
    h.edit()->setPlainText("Corner plot");
    QVERIFY(h.page->UpdateData(true));

    pugi::xml_document doc;
    pugi::xml_node profile = doc.append_child("profile");
    profile.append_child("title");
    QCOMPARE(h.page->WriteXml(doc, profile), QString());

    QCOMPARE(QString(profile.child("site_descr").text().get()), QString("Corner plot"));
    pugi::xml_node group = profile.child("road_group");
    QVERIFY(group);
    QStringList codes;
    for (pugi::xml_node road : group.children()) {
        QCOMPARE(QString(road.name()), QString("road"));
        codes << road.text().get();
    }
    QCOMPARE(codes, QStringList({"R00055", "R00130"}));
    // Written after whatever the profile already held, site_descr before road_group.
    QCOMPARE(QString(profile.first_child().next_sibling().name()), QString("site_descr"));
    QCOMPARE(QString(profile.last_child().name()), QString("road_group"));
    QCOMPARE(h.page->LocationSummary(), QString("ADAM AVENUE, ADAM GREEN"));
}

void TestSitePage::writeXmlWithNothingStillWritesBothElements() {
    TestAppServices services;
    CPropPageProjectSiteDesc page(nullptr);
    pugi::xml_document doc;
    pugi::xml_node profile = doc.append_child("profile");
    page.WriteXml(doc, profile);
    QVERIFY(profile.child("site_descr"));
    QCOMPARE(QString(profile.child("site_descr").text().get()), QString());
    QVERIFY(profile.child("road_group"));
    QVERIFY(!profile.child("road_group").first_child());
    QCOMPARE(page.LocationSummary(), QString());
}

void TestSitePage::readXmlLooksUpNamesAndReplacesRoads() {
    TestAppServices services;
    CPropPageProjectSiteDesc page(nullptr);
    pugi::xml_document doc;
    QVERIFY(doc.load_string("<profile><site_descr>Near the park</site_descr>"
                            "<road_group><road>R01908</road><other>R00055</other>"
                            "<road>R02332</road><road>NOSUCH</road></road_group></profile>"));
    pugi::xml_node profile = doc.child("profile");
    QCOMPARE(page.ReadXml(doc, profile), QString());
    QCOMPARE(page.SiteDescription(), QString("Near the park"));
    // Only road elements count; an unknown code reads as the lookup's empty answer.
    QCOMPARE(TableRoads(page.GetRecordTable()), QStringList({"ADAM CIRCLE", "ADAM GROVE", ""}));

    // A profile without the site elements: empty description, no roads, and both made.
    pugi::xml_document empty;
    pugi::xml_node bare = empty.append_child("profile");
    page.ReadXml(empty, bare);
    QCOMPARE(page.SiteDescription(), QString());
    QCOMPARE(page.GetRoadCount(), 0);
    QVERIFY(bare.child("site_descr"));
    QVERIFY(bare.child("road_group"));
}

void TestSitePage::readXmlBeforeShowingFillsTheListWhenShown() {
    TestAppServices services;
    SiteHarness h;
    pugi::xml_document doc;
    QVERIFY(doc.load_string("<profile><site_descr>Line</site_descr>"
                            "<road_group><road>R00287</road></road_group></profile>"));
    h.page->ReadXml(doc, doc.child("profile"));
    h.show();
    QCOMPARE(h.listedRoads(), QStringList({"ADAM GARDENS"}));
    QCOMPARE(h.edit()->toPlainText(), QString("Line"));
}

void TestSitePage::fileRoundTripKeepsRoadsAndDescription() {
    TestAppServices services;
    ScriptedAnswerer answers;
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("site.xml");

    {
        SiteHarness h;
        h.show();
        for (const char* road : {"ADAM GROVE", "ADAM AVENUE", "ADAM CLOSE", "ADAM CIRCLE"}) {
            h.addRoad(road);
        }
        h.edit()->setPlainText("Lot behind the <school> & \"hall\"");
        QVERIFY(h.page->UpdateData(true));
        XmlDocPtr doc = CreateXMLDoc();
        pugi::xml_node profile = GetNode(*doc, pugi::xml_node(*doc), "profile", 1, "");
        h.page->WriteXml(*doc, profile);
        QCOMPARE(SaveXMLAndReleaseDoc(doc, path, 1), 0);
    }

    SiteHarness h;
    XmlDocPtr doc = LoadXMLDoc(path);
    QVERIFY(doc);
    h.page->ReadXml(*doc, doc->child("profile"));
    h.show();
    QCOMPARE(h.listedRoads(),
             QStringList({"ADAM GROVE", "ADAM AVENUE", "ADAM CLOSE", "ADAM CIRCLE"}));
    QCOMPARE(h.edit()->toPlainText(), QString("Lot behind the <school> & \"hall\""));
}

QTEST_MAIN(TestSitePage)
#include "tst_site_page.moc"
