// The main dialog with the real pages: Save & Quit across the pages, the activity log, and the
// file's own values written back whole (the field limits govern only what the user enters).

#include "TestFiles.h"
#include "TestForm.h"
#include "TestRecord.h"
#include "app/ResourceIds.h"
#include "controls/CharFilterEdit.h"
#include "controls/ComboDropList.h"
#include "controls/DropListCombo.h"
#include "pages/RecordRowsReader.h"
#include "pages/member/PropPageMemberAddress.h"
#include "pages/member/PropPageMemberContact.h"
#include "pages/member/PropPageMemberGeneral.h"
#include "pages/member/PropPageMemberInfo.h"
#include "pages/project/PropPageProjectAddress.h"
#include "pages/project/PropPageProjectSiteDesc.h"
#include "sdk/XmlHelpers.h"

#include <QtTest>
#include <QtWidgets>

#include <cstddef>
#include <new>

using namespace kestrel;

namespace {

QString elementText(const QString& path, const char* xpath) {
    XmlDocPtr doc = LoadXMLDoc(path);
    return doc ? GetNodeTextXPath(*doc, *doc, QString::fromLatin1(xpath), QString()) : QString();
}

const QByteArray kSampleTitle = "<title>PROPOSED ADDITION AND ALTERATION TO EXISTING 8-STOREY "
                                "COMMERCIAL BUILDING WITH A NEW ROOF TERRACE<";

// Values longer than their fields admit, one of a kind of field on each page; some also hold
// characters the field would refuse when typed. The title is of megabytes (a hostile file).
const Edits kOverLongValues = {
    {"<reference_no>A1234-00042-2026<", "<reference_no>A1234-123456-20266<"},
    {kSampleTitle, "<title>" + QByteArray(5 * 1024 * 1024, 'T') + "<"},
    {"<plot_no>12<", "<plot_no>PLOT/12#345678<"},
    {"<lot_no>3456<", "<lot_no>ABCDEFGHIJKLMN<"},
    {"<unit_no>12<", "<unit_no>12345678901234<"},
    {"<site_descr>CORNER", "<site_descr>" + QByteArray("NEAR THE PARK. ").repeated(20) + "CORNER"},
    {"<member_name>LIM WEI MING<", "<member_name>LIM WEI MING " + QByteArray(240, 'N') + "<"},
    {"<address1>SUITE 8-3, MENARA STRUCTA<", "<address1>SUITE " + QByteArray(200, '8') + "<"},
    {"<tel_no>62201234<", "<tel_no>6220123456789012<"},
};

// The road table holds the record's roads, as the program's does (both come from the lookup
// database).
const QStringList kRoads = {"ORCHARD ROAD", "SHENTON WAY", "SOMERSET ROAD"};

} // namespace

class TestRegistration : public QObject, RecordFixture {
    Q_OBJECT
private slots:
    void cleanup() { record.reset(); }

    // Save & Quit writes nothing while a check fails: one box lists every failure, and the first
    // one's page comes forward with its control.
    void everyFailedCheckIsListedInOneBoxAndTheFirstTakesTheFocus() {
        open();
        record->click(ids::IDC_SAVE_AND_QUIT);
        QCOMPARE(record->boxes(), 1);
        QCOMPARE(record->box().caption, GetRCString(ids::IDS_INPUT_ERROR));
        QCOMPARE(record->box().icon, unsigned(MB_ICONERROR));
        QCOMPARE(record->box().text, Line(114) + Line(115) + Line(117) + Line(118) + Line(119) +
                                         Line(120) + Line(121) + Line(143) + Line(143));
        QCOMPARE(GetControlId(record->box().focusWhenShown), 1001);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("new.xml"))));
        QVERIFY(record->dialog.isVisible());
        // A record without a coordinator cannot be saved either.
        openSample("LOCAL_PROJ",
                   {{"<project_coordinator_flag>Y<", "<project_coordinator_flag>N<"}});
        record->click(ids::IDC_SAVE_AND_QUIT);
        QCOMPARE(record->boxes(), 1);
        QCOMPARE(record->box().text, Line(143) + Line(143));
        QCOMPARE(record->dialog.Sheet()->currentWidget(), record->dialog.MemberPage());
    }

    // The sample record opened as a user looks around it, then Save & Quit with a lot typed but
    // not stored.
    void aLoadedRecordIsShownAndAnUnsavedLotFormIsAskedAbout() {
        RecordDialog& h = openSample("LOCAL_PROJ");
        const QSize shown = h.dialog.size();
        h.dialog.Sheet()->SetActivePage(h.dialog.MemberPage());
        h.picture("member-page.png");
        auto* member = static_cast<CPropPageMemberInfo*>(h.dialog.MemberPage());
        for (int page = member->NestedSheet()->GetPageCount() - 1; page >= 0; --page)
            member->NestedSheet()->SetActivePage(page);
        h.openProject(h.lots());
        h.picture("main-dialog.png");
        h.project()->NestedSheet()->SetActivePage(h.project()->SitePage());
        // Every page fits the window as it opens: none makes it grow when first seen.
        QCoreApplication::processEvents();
        QCOMPARE(h.dialog.size(), shown);
        // Only the active pages mark their tabs.
        QVERIFY(h.project()->SitePage()->IsOwnTabHighlighted());
        QVERIFY(h.project()->IsOwnTabHighlighted());
        QVERIFY(!h.project()->LotPage()->IsOwnTabHighlighted());
        // Escape on an open road list, delivered as the window system would to the popup's
        // window, closes only the list.
        auto* roads = Control<CDropListCombo>(h.project()->SitePage(), 1024);
        roads->setFocus();
        QTest::keyClick(roads, Qt::Key_Down, Qt::AltModifier);
        QVERIFY(roads->IsDroppedDown());
        QTest::keyClick(roads->DropList()->windowHandle(), Qt::Key_Escape);
        QVERIFY(!roads->IsDroppedDown());
        QVERIFY(h.answers.messages().empty() && h.dialog.isVisible());

        h.openProject(h.lots());
        QTest::keyClicks(Control<QLineEdit>(h.lots(), 1015), "QQ88");
        h.project()->NestedSheet()->SetActivePage(h.project()->SitePage());
        h.dialog.Sheet()->SetActivePage(h.dialog.MemberPage());
        // No: nothing is written and the lot page shows its form.
        h.answers.queueAnswer(IDNO);
        h.click(ids::IDC_SAVE_AND_QUIT);
        QCOMPARE(h.boxes(), 1);
        QCOMPARE(h.box().text, Line(145) + Line(148));
        QVERIFY(h.box().caption == GetRCString(ids::IDS_ALERT) && h.box().buttons == MB_YESNO);
        QCOMPARE(h.project()->NestedSheet()->currentWidget(), h.lots());
        QCOMPARE(h.dialog.Sheet()->currentWidget(), h.dialog.ProjectPage());
        QVERIFY(h.dialog.isVisible());
        // Yes: the record is saved without the lot being typed.
        h.answers.queueAnswer(IDYES);
        h.click(ids::IDC_SAVE_AND_QUIT);
        QCOMPARE(h.boxes(), 2);
        QCOMPARE(h.dialog.result(), int(IDOK));
        QVERIFY(!elementText(dir.filePath("project.xml"), "/krroot/project/profile/location_descr")
                     .contains("QQ88"));
    }

    // A view-only run names each control the tooltip pass visits, form by form: each form's own
    // (its sheet's frame gone by then) before the pages of its nested sheet.
    void viewOnlyRunNamesEachFormsOwnControlsBeforeItsNestedPages() {
        RecordDialog& h = openSample("VIEW_PROJ");
        const QStringList buttons4{"Button", "Button", "Button", "Button"};
        QCOMPARE(
            h.services.log,
            QStringList({"Editing type: VIEW_PROJ", "Static", "Button", "Button", "Edit", "Edit",
                         "Edit", "Edit", "SysDateTimePick32", "SysDateTimePick32", "ComboBox",
                         "ComboBox", "ComboBox", "Static", "ComboBox", "Edit", "Edit", "Button"}) +
                buttons4 + QStringList{"SysListView32"});
        QVERIFY(!GetDlgItem(&h.dialog, ids::IDC_SHEET_FRAME));
        QVERIFY(!GetDlgItem(h.dialog.ProjectPage(), CPropPageProjectInfo::IDC_SHEET_FRAME));
        h.services.log.clear();
        h.dialog.Sheet()->SetActivePage(h.dialog.MemberPage());
        QCOMPARE(h.services.log.mid(0, 8), (QStringList{"Static"} + buttons4 +
                                            QStringList{"Button", "SysListView32", "Edit"}));
        QVERIFY(!GetDlgItem(h.dialog.MemberPage(), CPropPageMemberInfo::IDC_SHEET_FRAME));
        // Ids are kept apart from the widgets: one made where a destroyed one stood has none.
        alignas(QWidget) std::byte storage[sizeof(QWidget)];
        auto* gone = new (storage) QWidget;
        kestrel::SetControlId(gone, ids::IDC_SHEET_FRAME);
        kestrel::MarkAsForm(gone);
        gone->~QWidget();
        auto* fresh = new (storage) QWidget;
        QVERIFY(kestrel::GetControlId(fresh) == 0 && !kestrel::IsForm(fresh));
        fresh->~QWidget();
    }

    // What the user only looked at goes back out as the file held it: values past their fields'
    // limits, one of megabytes (shown cut), and text of any characters (no non-breaking space
    // swapped for a plain one, no character split or recomposed, no right-to-left text
    // reordered). The reference is composed anew to the same, the members go through untouched,
    // and the sample's own profile is rebuilt from the pages as it was.
    void valuesLookedAtAreSavedWhole() {
        using Info = CPropPageProjectInfo;
        const QByteArray odd = QStringLiteral("\u00A0ROOF\u00A0 \U0001F600 \U00020000 CAFE\u0301 "
                                              "FIRST\nSECOND\u2028THIRD \u0645\u0634\u0631 12 "
                                              "\u05D1\u05E0\u05D9 7 EAST")
                                   .toUtf8();
        // Fields of every page: the two multi-line fields, and fields of clicked records (an
        // address of the project, members).
        const Edits oddText = {
            {kSampleTitle, "<title>" + odd + "<"},
            {"<site_descr>CORNER", "<site_descr>" + odd + " CORNER"},
            {"<building_name>ORCHARD GATEWAY<", "<building_name>" + odd + "<"},
            {"<member_name>NUR AISYAH BINTE RAHMAN<", "<member_name>" + odd + "<"},
            {"<designation>DIRECTOR<", "<designation>" + odd + "<"},
            {"<address1>SUITE 8-3, MENARA STRUCTA<", "<address1>" + odd + "<"},
        };
        const QString path = dir.filePath(QStringLiteral("project.xml"));
        for (const Edits& edits : {Edits(), oddText, kOverLongValues}) {
            QCOMPARE(CopyOfSample(dir, edits), path);
            XmlDocPtr before = LoadXMLDoc(path);
            QVERIFY(before);
            RecordDialog& opened = open("LOCAL_PROJ", "project.xml", kRoads);
            CPropPageProjectInfo* project = opened.project();
            // Every record shows whole when clicked and is no unsaved edit.
            const QStringList shown = visitEveryPage(opened);
            QCOMPARE(shown.filter("edited"), QStringList());
            if (edits == kOverLongValues) {
                // The professional number is the coordinator's; the serial and the year the file's.
                QCOMPARE(Control<QLineEdit>(project, Info::IDC_SERIAL_NO)->text(), "123456");
                QCOMPARE(Control<QLineEdit>(project, Info::IDC_YEAR)->text(), "20266");
                const QString title =
                    Control<CCharFilterTextEdit>(project, Info::IDC_TITLE)->text();
                QVERIFY(title.size() > 255 && title.size() < 5 * 1024 * 1024);
                QCOMPARE(title, QString(title.size(), u'T'));
                const int site = CPropPageProjectSiteDesc::IDC_SITE_DESCR;
                QVERIFY(Control<CCharFilterTextEdit>(project->SitePage(), site)->text().size() >
                        255);
                QCOMPARE(shown.value(0), "lot:PLOT/12#345678|ABCDEFGHIJKLMN");
                QVERIFY(shown.contains("address:12345678901234"));
                QVERIFY(shown.contains("member:LIM WEI MING " + QString(240, 'N')));
            }
            opened.click(ids::IDC_SAVE_AND_QUIT);
            QVERIFY2(opened.answers.messages().empty(), qPrintable(opened.answers.lastText()));
            QCOMPARE(opened.dialog.result(), int(IDOK));
            const QByteArray content = readFile(path);
            for (const auto& [from, to] : edits)
                QVERIFY2(content.contains(to), to.left(80).constData());
            XmlDocPtr after = LoadXMLDoc(path);
            QVERIFY(after);
            // The location description follows the edited fields; the sample's is its own.
            for (const char* part :
                 {"member_group", "reference_no", edits.isEmpty() ? "profile" : ""})
                QCOMPARE(XmlText(after->child("krroot").child("project").child(part)),
                         XmlText(before->child("krroot").child("project").child(part)));
            QCOMPARE(GetChildText(after->child("krroot").child("project"), "project_type_code"),
                     "0");
        }
        // Once the user types over the cut title, what they typed is saved.
        RecordDialog& opened = open("LOCAL_PROJ", "project.xml", kRoads);
        auto* title = Control<CCharFilterTextEdit>(opened.project(), Info::IDC_TITLE);
        title->selectAll();
        Type(title, "NEW TITLE");
        opened.click(ids::IDC_SAVE_AND_QUIT);
        QVERIFY2(opened.answers.messages().empty(), qPrintable(opened.answers.lastText()));
        QCOMPARE(elementText(path, "/krroot/project/profile/title"), "NEW TITLE");
    }

    // A record large enough that its groups are read in two halves at once, its lookup lists
    // read while it is parsed, and its rows written by the save straight from the tables; each
    // group is also held twice, read as one: every record comes back, in its order, in one group.
    void aLargeRecordIsReadAndSavedWhole() {
        QByteArray content = readFile(SampleProjectPath());
        const int copies = kParallelReadFrom + 76;
        const QByteArray tags[] = {"lotmkts", "address", "member"};
        // The last record of each group, repeated in place and held once more in a second group.
        for (const QByteArray& tag : tags) {
            const QByteArray close = "</" + tag + ">", group = tag + "_group>";
            const qsizetype start = content.lastIndexOf("<" + tag + ">");
            const qsizetype end = content.indexOf(close, start) + close.size();
            QVERIFY(start > 0 && end > start);
            const QByteArray record = content.mid(start, end - start);
            content.insert(content.indexOf("</" + group, end) + group.size() + 2,
                           "<" + group + record + "</" + group);
            content.insert(end, record.repeated(copies));
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression("^" + tag + "_group held 1 more"));
        }
        const QString path = dir.filePath(QStringLiteral("large.xml"));
        QVERIFY(writeFile(path, content));
        XmlDocPtr before = LoadXMLDoc(path);
        QVERIFY(before);

        RecordDialog& opened = open("LOCAL_PROJ", "large.xml", kRoads);
        QCOMPARE(opened.lots()->GetRecordTable().GetRowCount(), 3 + copies);
        CProjectDocument& document = opened.dialog.Document();
        QVERIFY(document.RebuildProjectNode());
        QCOMPARE(document.SaveToFile(0), 0);
        XmlDocPtr after = LoadXMLDoc(path);
        QVERIFY(after);
        for (const QByteArray& tag : tags) {
            QCOMPARE(after->select_nodes(("//" + tag + "_group").constData()).size(), size_t(1));
            QString was, is;
            for (const pugi::xpath_node& record : before->select_nodes(("//" + tag).constData()))
                was += XmlText(record.node());
            for (const pugi::xpath_node& record : after->select_nodes(("//" + tag).constData()))
                is += XmlText(record.node());
            QCOMPARE(is, was);
        }
    }

    // A file the program cannot use is the user's all the same: opening it, in any editing type,
    // and quitting leave the folder exactly as it was.
    void anUnusableFileIsNeverTouchedByOpening() {
        for (const QByteArray& content :
             {QByteArray("<krroot><project><profile>"),            // not well-formed
              QByteArray("<?xml version=\"1.0\"?>\n<invoice/>\n"), // foreign root
              QByteArray("<!DOCTYPE k [<!ENTITY a \"aaaa\"><!ENTITY b \"&a;&a;&a;\">]>\n"
                         "<krroot>&b;</krroot><second/>")}) { // hostile
            const QString path = dir.filePath("unusable.xml");
            QVERIFY(writeFile(path, content));
            const auto before = folderContent(dir.path());
            for (const char* type : {"VIEW_PROJ", "view_proj", "EDIT_PROJ"}) {
                RecordDialog h(path, type);
                h.answers.queueAnswer(IDYES); // "Are you sure you want to abort changes?"
                h.click(ids::IDC_QUIT_WITHOUT_SAVING);
                QCOMPARE(h.dialog.result(), int(IDCANCEL));
                // Only an editing run asks first.
                QCOMPARE(h.answers.messages().size(), size_t(type[0] == 'E'));
                QCOMPARE(h.services.log.filter("Cannot use"), QStringList());
            }
            QCOMPARE(folderContent(dir.path()), before);
        }
    }

    // A named pipe (like a device or a socket) is told by its status and never opened: the
    // record starts anew with a warning naming why, and Save & Quit asks for another file name.
    // Given the same name again, it refuses with the save error rather than wait on it.
    void specialFilesAreRefusedWithoutBeingOpened() {
        const QTemporaryDir own; // no other test's folder holds a pipe
        const QString path = own.filePath("project.xml");
        QVERIFY(makeSpecialFile("pipe", path));
        TestAppServices services;
        ScriptedAnswerer answers;
        QTest::ignoreMessage(QtWarningMsg,
                             "Cannot use file (not a regular file), starting a new record: " +
                                 path.toUtf8());
        CKestrelDlg dialog;
        dialog.LoadDocument(path);
        dialog.SetEditingType("NEW_PROJ");
        dialog.show();
        dialog.OnSaveAndQuit();
        QCOMPARE(answers.saveRequests().size(), size_t(1));
        QCOMPARE(answers.saveRequests().front().initialPath, path);
        QVERIFY(answers.messages().empty() && dialog.isVisible());
        answers.queueSaveFileName(path);
        dialog.OnSaveAndQuit();
        QCOMPARE(answers.lastText(),
                 "Error encountered while saving to file: \n" + path + "\nPlease try again.");
        QVERIFY(dialog.isVisible() && !QFileInfo(path).isFile());
    }

private:
    // Shows every page and tab, and loads every record of every list into its form: a record
    // the user only looked at is no unsaved edit. Gives what each clicked record shows in some
    // of its fields.
    static QStringList visitEveryPage(RecordDialog& opened) {
        using Lots = CPropPageProjectMukimTS;
        using Addresses = CPropPageProjectAddress;
        CPropPageProjectInfo* project = opened.project();
        auto* members = static_cast<CPropPageMemberInfo*>(opened.dialog.MemberPage());
        QStringList shown;
        const auto visit = [&](const QString& name, CRecordPage* page, QList<int> fields) {
            QWidget* form = page == members ? static_cast<QWidget*>(members->GeneralPage()) : page;
            CRecordListEditor& editor = page->Editor();
            for (int row = 0; row < editor.List()->GetItemCount(); ++row) {
                ClickRow(editor.List(), row);
                QStringList texts;
                for (int id : fields)
                    texts << Control<QLineEdit>(form, id)->text();
                shown << name + ":" + texts.join('|');
                for (int detail = 0; page == members && detail < 3; ++detail)
                    members->NestedSheet()->SetActivePage(detail);
                if (!editor.ResetForm(true, false))
                    shown << name + " edited";
            }
        };
        opened.openProject(opened.lots());
        visit("lot", opened.lots(), {Lots::IDC_PLOT_NO, Lots::IDC_LOT_NO});
        project->NestedSheet()->SetActivePage(project->AddressPage());
        visit("address", project->AddressPage(), {Addresses::IDC_UNIT_NO});
        project->NestedSheet()->SetActivePage(project->SitePage());
        opened.dialog.Sheet()->SetActivePage(members);
        visit("member", members, {IDC_MEMBER_NAME});
        return shown;
    }
};

QTEST_MAIN(TestRegistration)
#include "RegistrationTest.moc"
