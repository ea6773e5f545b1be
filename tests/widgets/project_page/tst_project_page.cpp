// The project information page: its fields and nested sheet, the project checks of Save & Quit
// with where each one sends the user, and the profile element of the project file.

#include "TestAppServices.h"

#include "controls/DropListCombo.h"
#include "controls/ListCtrl.h"
#include "controls/ToolTipDialog.h"
#include "controls/ToolTipPropertySheet.h"
#include "framework/ControlId.h"
#include "framework/MessageBox.h"
#include "pages/project/ProjectReference.h"
#include "pages/project/PropPageProjectAddress.h"
#include "pages/project/PropPageProjectInfo.h"
#include "pages/project/PropPageProjectMukimTS.h"
#include "pages/project/PropPageProjectSiteDesc.h"
#include "pages/project/TabHighlight.h"
#include "sdk/Dates.h"
#include "sdk/XmlHelpers.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

#include <sstream>

using kestrel::ScriptedAnswerer;
using Page = CPropPageProjectInfo;

namespace {

// The main dialog in small: a tooltip dialog (the pages' tooltip host) holding the main sheet
// with the project page and a second page standing in for the member page.
class Harness : public CToolTipDialog {
public:
    Harness() : CToolTipDialog(102) {
        auto* layout = new QVBoxLayout(this);
        sheet = new CToolTipPropertySheet(this, this);
        page = new Page(this);
        member = new CPropertyPage(130);
        member->setWindowTitle("Member Information *");
        sheet->AddPage(page);
        sheet->AddPage(member);
        layout->addWidget(sheet);
    }

    void showAndActivate() {
        show();
        QVERIFY(QTest::qWaitForWindowActive(this));
        QVERIFY(page->IsInitialized());
    }

    template <class T> T* control(int id) const { return qobject_cast<T*>(GetDlgItem(page, id)); }
    QLineEdit* edit(int id) const { return control<QLineEdit>(id); }
    QPlainTextEdit* title() const { return control<QPlainTextEdit>(Page::IDC_TITLE); }
    QDateEdit* date(int id) const { return control<QDateEdit>(id); }
    QComboBox* combo(int id) const { return control<QComboBox>(id); }

    // Every check passes: the three reference parts, a title, ordered dates, the three lists
    // and one road.
    void fillValid() {
        edit(Page::IDC_PROF_NO)->setText("A123");
        edit(Page::IDC_SERIAL_NO)->setText("42");
        edit(Page::IDC_YEAR)->setText("2002");
        title()->setPlainText("Block of flats");
        date(Page::IDC_COMMENCE_DATE)->setDate(QDate(2002, 3, 4));
        date(Page::IDC_COMPLETE_DATE)->setDate(QDate(2003, 3, 4));
        for (int id : {Page::IDC_CATEGORY, Page::IDC_CLASSIFICATION, Page::IDC_LAND_OWNERSHIP}) {
            combo(id)->setCurrentIndex(0);
        }
        pugi::xml_document doc;
        doc.load_string("<profile><road_group><road>R00055</road></road_group></profile>");
        page->SitePage()->ReadXml(doc, doc.child("profile"));
    }

    CToolTipPropertySheet* sheet;
    Page* page;
    CPropertyPage* member;
};

QStringList ChildNames(pugi::xml_node node) {
    QStringList names;
    for (pugi::xml_node child : node.children()) {
        names << child.name();
    }
    return names;
}

QString NodeXml(pugi::xml_node node) {
    std::ostringstream out;
    node.print(out, "  ");
    return QString::fromStdString(out.str());
}

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
    void fieldsLabelsAndNestedSheet();
    void fieldsAdmitTheirCharactersOnly();
    void mainTabIsHighlightedWhileActive();
    void eachSaveCheckHasItsMessageAndFocus_data();
    void eachSaveCheckHasItsMessageAndFocus();
    void failingChecksAreCollectedInOrder();
    void titleIsKeptTrimmed();
    void oneRoadAloneSatisfiesTheLocationCheck();
    void professionalNoTextFromTheMemberPage();
    void readXmlSplitsTheLoadedReference();
    void writeXmlWritesTheProfileInOrder();
    void locationDescriptionWithOnlyAnAddress();
    void fileRoundTripKeepsEveryValue();
    void viewOnlyRunMakesEveryFieldReadOnly();
};

void TestProjectPage::fieldsLabelsAndNestedSheet() {
    TestAppServices services;
    Harness h;
    h.showAndActivate();

    QCOMPARE(h.page->windowTitle(), QString("Project Information *"));
    QCOMPARE(h.page->TemplateId(), 129);
    // Each field has its label as buddy, which is also its accessible name.
    const QList<QPair<QString, int>> labels = {
        {"Project Ref *", 1000},   {"Title *", 1004},    {"Commencement Date", 1005},
        {"Completion Date", 1006}, {"Category *", 1054}, {"Land Ownership *", 1008},
        {"Classification *", 1007}};
    for (const auto& [text, id] : labels) {
        QLabel* found = nullptr;
        for (QLabel* label : h.page->findChildren<QLabel*>()) {
            if (label->text() == text) {
                found = label;
            }
        }
        QVERIFY2(found, qPrintable(text));
        QCOMPARE(kestrel::GetControlId(found->buddy()), id);
    }
    int dashes = 0;
    bool hint = false;
    for (QLabel* label : h.page->findChildren<QLabel*>()) {
        dashes += label->text() == "--";
        hint |= label->text() ==
                "[Either the Mukim or Address or Site Description details are required.]";
    }
    QCOMPARE(dashes, 2);
    QVERIFY(hint);

    // Nested pages in order.
    CToolTipPropertySheet* nested = h.page->NestedSheet();
    QCOMPARE(nested->GetPageCount(), 3);
    QCOMPARE(nested->GetPage(0), static_cast<CPropertyPage*>(h.page->LotPage()));
    QCOMPARE(nested->GetPage(1), static_cast<CPropertyPage*>(h.page->AddressPage()));
    QCOMPARE(nested->GetPage(2), static_cast<CPropertyPage*>(h.page->SitePage()));
    QCOMPARE(nested->tabText(2), QString("Project Site Description"));
    QCOMPARE(nested->ToolTipHost(), static_cast<CToolTipHost*>(&h));

    // Field set-up.
    QCOMPARE(h.edit(1000)->maxLength(), 35);
    QCOMPARE(h.edit(1001)->maxLength(), 5);
    QCOMPARE(h.edit(1002)->maxLength(), 4);
    QCOMPARE(qobject_cast<CCharFilterTextEdit*>(h.title())->maxLength(), 1000);
    QVERIFY(h.edit(1001)->alignment() & Qt::AlignRight);
    QVERIFY(h.edit(1002)->alignment() & Qt::AlignRight);
    for (int id : {Page::IDC_COMMENCE_DATE, Page::IDC_COMPLETE_DATE}) {
        QCOMPARE(h.date(id)->displayFormat(), QString("dd-MMM-yyyy"));
        QVERIFY(h.date(id)->calendarPopup());
        QCOMPARE(h.date(id)->date(), QDate::currentDate());
    }
    QCOMPARE(h.edit(1002)->text(), QString::number(QDate::currentDate().year()));
    QVERIFY(h.edit(1000)->text().isEmpty());

    // The three lists: filled from the lookup, sorted, nothing chosen.
    for (int id : {Page::IDC_CATEGORY, Page::IDC_LAND_OWNERSHIP, Page::IDC_CLASSIFICATION}) {
        QComboBox* box = h.combo(id);
        QVERIFY(!box->isEditable());
        QVERIFY(box->count() > 3);
        QCOMPARE(box->currentIndex(), -1);
        QStringList items;
        for (int i = 0; i < box->count(); ++i) {
            items << box->itemText(i);
        }
        QStringList sorted = items;
        sorted.sort(Qt::CaseInsensitive);
        QCOMPARE(items, sorted);
    }
    QVERIFY(h.combo(Page::IDC_CATEGORY)->findText("NEW ERECTION") >= 0);
    QVERIFY(h.combo(Page::IDC_CLASSIFICATION)->findText("COMMERCIAL") >= 0);
    QVERIFY(h.combo(Page::IDC_LAND_OWNERSHIP)->findText("STATE LAND") >= 0);
}

void TestProjectPage::fieldsAdmitTheirCharactersOnly() {
    TestAppServices services;
    ScriptedAnswerer answers;
    Harness h;
    h.showAndActivate();

    QLineEdit* prof = h.edit(1000);
    prof->setFocus();
    QTest::keyClicks(prof, "a1-b 2");
    QCOMPARE(prof->text(), QString("A1B2")); // letters upper-cased, "-" and " " refused
    QTest::keyClicks(prof, QString(40, 'x'));
    QCOMPARE(prof->text().size(), 35);

    QLineEdit* serial = h.edit(1001);
    serial->setFocus();
    QTest::keyClicks(serial, "0a0x7123");
    QCOMPARE(serial->text(), QString("00712"));

    QPlainTextEdit* title = h.title();
    title->setFocus();
    QTest::keyClicks(title, "A ~`\\\"{}");
    QCOMPARE(title->toPlainText(), QString("A ~`\\\"{}"));
    QVERIFY(answers.beepCount() >= 4);

    // On leaving, the title admits every printable ASCII character and nothing else: a line
    // break typed with Enter is reported.
    auto* titleField = qobject_cast<CCharFilterTextEdit*>(title);
    QString printable;
    for (char ch = 0x20; ch <= 0x7E; ++ch) {
        printable += QLatin1Char(ch);
    }
    CFieldValidator* validator = titleField->GetValidator();
    QVERIFY(validator);
    QCOMPARE(validator->CheckChars(1004, titleField->AllowedChars(), printable), QString());
    QCOMPARE(validator->CheckChars(1004, titleField->AllowedChars(), "A\nB"),
             QString("Invalid Input"));
    // The four fields share the page's one validator.
    for (int id : {1000, 1001, 1002}) {
        QCOMPARE(qobject_cast<CCharFilterEdit*>(h.edit(id))->GetValidator(), validator);
    }
}

void TestProjectPage::mainTabIsHighlightedWhileActive() {
    TestAppServices services;
    Harness h;
    h.showAndActivate();
    QVERIFY(kestrel::IsSheetTabHighlighted(h.sheet, 0));
    QVERIFY(h.sheet->SetActivePage(h.member));
    QVERIFY(!kestrel::IsSheetTabHighlighted(h.sheet, 0));
    QVERIFY(h.sheet->SetActivePage(h.page));
    QVERIFY(kestrel::IsSheetTabHighlighted(h.sheet, 0));
}

void TestProjectPage::eachSaveCheckHasItsMessageAndFocus_data() {
    QTest::addColumn<QString>("breaks");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("focusId");

    QTest::newRow("1 professional no") << "prof"
                                       << "Invalid project reference number\n"
                                       << 1001;
    QTest::newRow("1 serial no") << "serial"
                                 << "Invalid project reference number\n"
                                 << 1001;
    QTest::newRow("1 year") << "year"
                            << "Invalid project reference number\n"
                            << 1001;
    QTest::newRow("2 title") << "title"
                             << "Project title is mandatory\n"
                             << 1004;
    QTest::newRow("3 dates") << "dates"
                             << "Project completion date must be later than the commencement "
                                "date\n"
                             << 1006;
    QTest::newRow("4 category") << "category"
                                << "Project category is mandatory\n"
                                << 1054;
    QTest::newRow("5 classification") << "classification"
                                      << "Project classification is mandatory\n"
                                      << 1007;
    QTest::newRow("6 land ownership") << "land"
                                      << "Project land ownership is mandatory\n"
                                      << 1008;
    QTest::newRow("7 location") << "location"
                                << "One of the Project MK/TS or Address or Site info is "
                                   "required\n"
                                << 1018;
}

void TestProjectPage::eachSaveCheckHasItsMessageAndFocus() {
    QFETCH(QString, breaks);
    QFETCH(QString, message);
    QFETCH(int, focusId);

    TestAppServices services;
    Harness h;
    h.showAndActivate();
    h.fillValid();
    if (breaks == "prof") {
        h.edit(1000)->clear();
    } else if (breaks == "serial") {
        h.edit(1001)->clear();
    } else if (breaks == "year") {
        h.edit(1002)->clear();
    } else if (breaks == "title") {
        h.title()->setPlainText(" \n  ");
    } else if (breaks == "dates") {
        h.date(1006)->setDate(QDate(2002, 3, 3));
    } else if (breaks == "category") {
        h.combo(1054)->setCurrentIndex(-1);
    } else if (breaks == "classification") {
        h.combo(1007)->setCurrentIndex(-1);
    } else if (breaks == "land") {
        h.combo(1008)->setCurrentIndex(-1);
    } else if (breaks == "location") {
        pugi::xml_document doc;
        h.page->SitePage()->ReadXml(doc, doc.append_child("profile"));
    }
    // Leave the user somewhere else, as Save & Quit would find them.
    h.sheet->SetActivePage(h.member);

    QVERIFY(h.page->UpdateData(true));
    const QList<Page::SaveCheckFailure> failures = h.page->RunSaveChecks();
    QCOMPARE(failures.size(), 1);
    QCOMPARE(failures[0].message, message);
    QCOMPARE(Page::JoinMessages(failures), message);

    const Page::FocusTarget& target = failures[0].focus;
    QCOMPARE(target.page, static_cast<CPropertyPage*>(h.page));
    QCOMPARE(target.controlId, focusId);
    const bool onLotPage = breaks == "location";
    QCOMPARE(target.nestedSheet,
             onLotPage ? static_cast<CPropertySheet*>(h.page->NestedSheet()) : nullptr);
    QCOMPARE(target.nestedPage,
             onLotPage ? static_cast<CPropertyPage*>(h.page->LotPage()) : nullptr);

    kestrel::BringForward(target);
    QCOMPARE(h.sheet->GetActivePage(), static_cast<CPropertyPage*>(h.page));
    QWidget* focused = QApplication::focusWidget();
    QVERIFY(focused);
    QCOMPARE(kestrel::GetControlId(focused), focusId);
    if (onLotPage) {
        QCOMPARE(h.page->NestedSheet()->GetActivePage(),
                 static_cast<CPropertyPage*>(h.page->LotPage()));
        QCOMPARE(focused, GetDlgItem(h.page->LotPage(), focusId));
    } else {
        QCOMPARE(focused, GetDlgItem(h.page, focusId));
    }
}

void TestProjectPage::failingChecksAreCollectedInOrder() {
    TestAppServices services;
    Harness h;
    h.showAndActivate();
    h.edit(1002)->clear();
    h.date(1005)->setDate(QDate(2010, 1, 2));
    h.date(1006)->setDate(QDate(2010, 1, 1));
    QVERIFY(h.page->UpdateData(true));

    const QList<Page::SaveCheckFailure> failures = h.page->RunSaveChecks();
    QCOMPARE(Page::JoinMessages(failures),
             QString("Invalid project reference number\n"
                     "Project title is mandatory\n"
                     "Project completion date must be later than the commencement date\n"
                     "Project category is mandatory\n"
                     "Project classification is mandatory\n"
                     "Project land ownership is mandatory\n"
                     "One of the Project MK/TS or Address or Site info is required\n"));
    QCOMPARE(failures.size(), 7);
    kestrel::BringForward(failures[0].focus);
    QCOMPARE(kestrel::GetControlId(QApplication::focusWidget()), 1001);

    // With only the three lists missing the category takes the focus.
    h.fillValid();
    for (int id : {1054, 1007, 1008}) {
        h.combo(id)->setCurrentIndex(-1);
    }
    QVERIFY(h.page->UpdateData(true));
    const QList<Page::SaveCheckFailure> lists = h.page->RunSaveChecks();
    QCOMPARE(lists.size(), 3);
    QCOMPARE(lists[0].focus.controlId, 1054);
}

void TestProjectPage::titleIsKeptTrimmed() {
    TestAppServices services;
    Harness h;
    h.showAndActivate();
    h.fillValid();
    h.title()->setPlainText("  \tBlock A\n ");
    QVERIFY(h.page->UpdateData(true));
    QVERIFY(h.page->RunSaveChecks().isEmpty());
    QCOMPARE(h.page->Title(), QString("Block A"));

    pugi::xml_document doc;
    h.page->WriteXml(doc, doc.append_child("profile"));
    QCOMPARE(QString(doc.child("profile").child("title").text().get()), QString("Block A"));
}

void TestProjectPage::oneRoadAloneSatisfiesTheLocationCheck() {
    TestAppServices services;
    ScriptedAnswerer answers;
    Harness h;
    h.showAndActivate();
    h.fillValid();
    pugi::xml_document doc;
    CPropPageProjectSiteDesc* site = h.page->SitePage();
    site->ReadXml(doc, doc.append_child("profile"));
    QVERIFY(!h.page->HasLocationRecord());

    // A site description alone does not count.
    QVERIFY(h.page->NestedSheet()->SetActivePage(site));
    qobject_cast<QPlainTextEdit*>(GetDlgItem(site, 1030))->setPlainText("Some text");
    QVERIFY(h.page->UpdateData(true));
    QCOMPARE(h.page->RunSaveChecks().size(), 1);

    // One road added through the page does, once the page's data are updated.
    auto* combo = qobject_cast<QComboBox*>(GetDlgItem(site, 1024));
    QVERIFY(combo);
    qobject_cast<CDropListCombo*>(combo)->SetCurSel(2);
    site->OnAddRoad();
    QVERIFY(answers.messages().empty());
    QVERIFY(h.page->UpdateData(true));
    QVERIFY(h.page->HasLocationRecord());
    QVERIFY(h.page->RunSaveChecks().isEmpty());
}

void TestProjectPage::professionalNoTextFromTheMemberPage() {
    TestAppServices services;
    Harness h;
    h.showAndActivate();
    h.page->SetProfessionalNoText("PE456");
    QCOMPARE(h.edit(1000)->text(), QString("PE456"));
    QVERIFY(h.page->UpdateData(true));
    QCOMPARE(h.page->ProfessionalNo(), QString("PE456"));
}

void TestProjectPage::readXmlSplitsTheLoadedReference() {
    TestAppServices services;
    Harness h;
    pugi::xml_document doc;
    QVERIFY(doc.load_string(kFullProfile));
    h.page->SetLoadedReference("A123-00042-2002");
    QCOMPARE(h.page->ReadXml(doc, doc.child("profile")), QString());

    // The values are set before the page has a window...
    QCOMPARE(h.page->ProfessionalNo(), QString("A123"));
    QCOMPARE(h.page->SerialNo(), QString("00042"));
    QCOMPARE(h.page->Year(), QString("2002"));
    QCOMPARE(h.page->Category(), QString("ADDITION AND ALTERATION"));
    QCOMPARE(h.page->Classification(), QString("RESIDENTIAL (NON-LANDED)"));
    QCOMPARE(h.page->LandOwnership(), QString("PRIVATE (LEASEHOLD)"));
    QCOMPARE(h.page->CommencementDate(), QDateTime(QDate(2002, 3, 4), QTime(9, 30)));

    // ...and shown when it gets one.
    h.showAndActivate();
    QCOMPARE(h.edit(1000)->text(), QString("A123"));
    QCOMPARE(h.edit(1001)->text(), QString("00042"));
    QCOMPARE(h.edit(1002)->text(), QString("2002"));
    QCOMPARE(h.combo(1054)->currentText(), QString("ADDITION AND ALTERATION"));
    QCOMPARE(h.combo(1007)->currentText(), QString("RESIDENTIAL (NON-LANDED)"));
    QCOMPARE(h.combo(1008)->currentText(), QString("PRIVATE (LEASEHOLD)"));
    QCOMPARE(h.date(1006)->date(), QDate(2004, 5, 6));
    QCOMPARE(h.title()->toPlainText(),
             QString("Two blocks of flats, with \"basement\" & car park"));

    // A reference without dashes is all year; an empty one leaves the fields alone.
    Page other(nullptr);
    other.SetLoadedReference("2002");
    other.ReadXml(doc, doc.child("profile"));
    QCOMPARE(other.ProfessionalNo(), QString());
    QCOMPARE(other.SerialNo(), QString());
    QCOMPARE(other.Year(), QString("2002"));
    Page fresh(nullptr);
    fresh.ReadXml(doc, doc.child("profile"));
    QCOMPARE(fresh.Year(), QString::number(QDate::currentDate().year()));
}

void TestProjectPage::writeXmlWritesTheProfileInOrder() {
    TestAppServices services;
    Harness h;
    h.showAndActivate();
    h.fillValid();
    h.combo(1054)->setCurrentText("NEW ERECTION");
    h.combo(1007)->setCurrentText("COMMERCIAL");
    h.combo(1008)->setCurrentText("STATE LAND");
    QVERIFY(h.page->UpdateData(true));

    pugi::xml_document doc;
    pugi::xml_node profile = doc.append_child("profile");
    QCOMPARE(h.page->WriteXml(doc, profile), QString());
    QCOMPARE(h.page->ComposedReference(), QString("A123-00042-2002"));
    QCOMPARE(ChildNames(profile),
             QStringList({"title", "commence_date", "complete_date", "category_code_desc",
                          "category_code", "classification_code_desc", "classification_code",
                          "land_ownership_code_desc", "land_ownership_code", "lotmkts_group",
                          "address_group", "site_descr", "road_group", "location_descr"}));
    auto text = [&profile](const char* name) { return QString(profile.child(name).text().get()); };
    QCOMPARE(text("title"), QString("Block of flats"));
    QCOMPARE(ParseDate(text("commence_date")).date(), QDate(2002, 3, 4));
    QCOMPARE(ParseDate(text("complete_date")).date(), QDate(2003, 3, 4));
    QCOMPARE(text("category_code_desc"), QString("NEW ERECTION"));
    QCOMPARE(text("category_code"), QString("NE"));
    QCOMPARE(text("classification_code_desc"), QString("COMMERCIAL"));
    QCOMPARE(text("classification_code"), QString("CM"));
    QCOMPARE(text("land_ownership_code_desc"), QString("STATE LAND"));
    QCOMPARE(text("land_ownership_code"), QString("SL"));
    QCOMPARE(text("location_descr"), QString("ADAM AVENUE"));

    // An empty serial is written as five zeros.
    h.edit(1001)->clear();
    QVERIFY(h.page->UpdateData(true));
    pugi::xml_document again;
    h.page->WriteXml(again, again.append_child("profile"));
    QCOMPARE(h.page->ComposedReference(), QString("A123-00000-2002"));
}

void TestProjectPage::locationDescriptionWithOnlyAnAddress() {
    TestAppServices services;
    Page page(nullptr);
    pugi::xml_document in;
    QVERIFY(in.load_string(kFullProfile));
    pugi::xml_node source = in.child("profile");
    source.child("lotmkts_group").remove_children();
    source.child("road_group").remove_children();
    page.ReadXml(in, source);

    pugi::xml_document out;
    pugi::xml_node profile = out.append_child("profile");
    page.WriteXml(out, profile);
    const QString address = page.AddressPage()->LocationSummary();
    QVERIFY(!address.isEmpty());
    QCOMPARE(QString(profile.child("location_descr").text().get()), address);
}

void TestProjectPage::fileRoundTripKeepsEveryValue() {
    TestAppServices services;
    ScriptedAnswerer answers;
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("project.xml");

    // First run: the record is read in, changed through the controls, and saved.
    QString written;
    {
        Harness h;
        pugi::xml_document in;
        QVERIFY(in.load_string(kFullProfile));
        h.page->SetLoadedReference("A123-00042-2002");
        h.page->ReadXml(in, in.child("profile"));
        h.showAndActivate();
        h.edit(1001)->setText("7");
        h.combo(1054)->setCurrentText("DEMOLITION");
        h.date(1005)->setDate(QDate(2003, 1, 31));
        QVERIFY(h.page->UpdateData(true));
        QVERIFY(h.page->RunSaveChecks().isEmpty());

        XmlDocPtr doc = CreateXMLDoc();
        pugi::xml_node profile = GetNode(*doc, pugi::xml_node(*doc), "profile", 1, "");
        h.page->WriteXml(*doc, profile);
        QCOMPARE(h.page->ComposedReference(), QString("A123-00007-2002"));
        GetNode(*doc, pugi::xml_node(*doc), "reference_no", 1, h.page->ComposedReference());
        written = NodeXml(profile);
        QCOMPARE(QString(profile.child("location_descr").text().get()),
                 kestrel::JoinLocationSummaries(h.page->LotPage()->LocationSummary(),
                                                h.page->AddressPage()->LocationSummary(),
                                                h.page->SitePage()->LocationSummary()));
        QVERIFY(QString(profile.child("location_descr").text().get())
                    .startsWith("MK17 Plot12 Lot3456 PT, TS05 Lot99, "));
        QVERIFY(QString(profile.child("location_descr").text().get())
                    .endsWith(", ADAM GROVE, ADAM GREEN"));
        QCOMPARE(SaveXMLAndReleaseDoc(doc, path, 1), 0);
    }

    // Second run: read back from the file, every value is where it was.
    Harness h;
    XmlDocPtr doc = LoadXMLDoc(path);
    QVERIFY(doc);
    h.page->SetLoadedReference(GetNodeText(doc->child("reference_no")));
    h.page->ReadXml(*doc, doc->child("profile"));
    h.showAndActivate();
    QCOMPARE(h.edit(1000)->text(), QString("A123"));
    QCOMPARE(h.edit(1001)->text(), QString("00007"));
    QCOMPARE(h.edit(1002)->text(), QString("2002"));
    QCOMPARE(h.title()->toPlainText(),
             QString("Two blocks of flats, with \"basement\" & car park"));
    QCOMPARE(h.date(1005)->date(), QDate(2003, 1, 31));
    QCOMPARE(h.date(1006)->date(), QDate(2004, 5, 6));
    QCOMPARE(h.combo(1054)->currentText(), QString("DEMOLITION"));
    QCOMPARE(h.combo(1007)->currentText(), QString("RESIDENTIAL (NON-LANDED)"));
    QCOMPARE(h.combo(1008)->currentText(), QString("PRIVATE (LEASEHOLD)"));

    const RecordTable& lots = h.page->LotPage()->GetRecordTable();
    QCOMPARE(lots.GetRowCount(), 2);
    QCOMPARE(lots.GetCell(0, CPropPageProjectMukimTS::COL_MUKIM_TS), QString("MUKIM 17"));
    QCOMPARE(lots.GetCell(0, CPropPageProjectMukimTS::COL_PLOT_NO), QString("12"));
    QCOMPARE(lots.GetCell(0, CPropPageProjectMukimTS::COL_LOT_NO), QString("3456"));
    QCOMPARE(lots.GetCell(0, CPropPageProjectMukimTS::COL_PARTIAL), QString("Y"));
    QCOMPARE(lots.GetCell(1, CPropPageProjectMukimTS::COL_MUKIM_TS),
             QString("TOWN SUBDIVISION 05"));
    const RecordTable& addresses = h.page->AddressPage()->GetRecordTable();
    QCOMPARE(addresses.GetRowCount(), 1);
    QCOMPARE(addresses.GetCell(0, CPropPageProjectAddress::COL_BUILDING_NAME),
             QString("ABC TOWER"));
    QCOMPARE(addresses.GetCell(0, CPropPageProjectAddress::COL_ROAD_NAME), QString("ADAM CIRCLE"));
    QCOMPARE(addresses.GetCell(0, CPropPageProjectAddress::COL_POSTAL_CODE), QString("123456"));
    const RecordTable& roads = h.page->SitePage()->GetRecordTable();
    QCOMPARE(roads.GetRowCount(), 2);
    QCOMPARE(roads.GetCell(0, 0), QString("ADAM GROVE"));
    QCOMPARE(roads.GetCell(1, 0), QString("ADAM GREEN"));
    QCOMPARE(h.page->SitePage()->SiteDescription(), QString("Corner plot next to the canal"));

    // Written again without a change, the profile is the same, element for element.
    QVERIFY(h.page->UpdateData(true));
    pugi::xml_document again;
    pugi::xml_node profile = again.append_child("profile");
    h.page->WriteXml(again, profile);
    QCOMPARE(NodeXml(profile), written);
    QCOMPARE(h.page->ComposedReference(), QString("A123-00007-2002"));
}

void TestProjectPage::viewOnlyRunMakesEveryFieldReadOnly() {
    TestAppServices services(true);
    Harness h;
    h.showAndActivate();
    for (int id : {1000, 1001, 1002}) {
        QVERIFY(h.edit(id)->isReadOnly());
        QVERIFY(h.edit(id)->isEnabled());
    }
    QVERIFY(h.title()->isReadOnly());
    for (int id : {1005, 1006, 1054, 1008, 1007}) {
        QVERIFY2(!GetDlgItem(h.page, id)->isEnabled(), qPrintable(QString::number(id)));
    }

    CPropPageProjectSiteDesc* site = h.page->SitePage();
    QVERIFY(h.page->NestedSheet()->SetActivePage(site));
    for (int id : {1024, 1026, 1011, 1059}) {
        QVERIFY2(!GetDlgItem(site, id)->isEnabled(), qPrintable(QString::number(id)));
    }
    auto* descr = qobject_cast<QPlainTextEdit*>(GetDlgItem(site, 1030));
    QVERIFY(descr->isReadOnly());
    QVERIFY(services.log.contains("SysDateTimePick32"));
}

QTEST_MAIN(TestProjectPage)
#include "tst_project_page.moc"
