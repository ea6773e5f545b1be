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

// Values longer than their fields admit, one of a kind of field on each page; some also hold
// characters the field would refuse when typed.
const QList<std::pair<QByteArray, QByteArray>> kOverLongValues = {
    {"<reference_no>A1234-00042-2026<", "<reference_no>A1234-123456-20266<"},
    {"<title>PROPOSED", "<title>" + QByteArray("LONG TITLE; ").repeated(100) + " PROPOSED"},
    {"<plot_no>12<", "<plot_no>PLOT/12#345678<"},
    {"<lot_no>3456<", "<lot_no>ABCDEFGHIJKLMN<"},
    {"<unit_no>12<", "<unit_no>12345678901234<"},
    {"<site_descr>CORNER", "<site_descr>" + QByteArray("NEAR THE PARK. ").repeated(20) + "CORNER"},
    {"<member_name>LIM WEI MING<", "<member_name>LIM WEI MING " + QByteArray(240, 'N') + "<"},
    {"<address1>SUITE 8-3, MENARA STRUCTA<", "<address1>SUITE " + QByteArray(200, '8') + "<"},
    {"<tel_no>62201234<", "<tel_no>6220123456789012<"},
};

const QByteArray kSampleTitle = "<title>PROPOSED ADDITION AND ALTERATION TO EXISTING 8-STOREY "
                                "COMMERCIAL BUILDING WITH A NEW ROOF TERRACE<";

// The road table holds the record's roads, as the program's does (both come from the lookup
// database).
const QStringList kRoads = {"ORCHARD ROAD", "SHENTON WAY", "SOMERSET ROAD"};

} // namespace

class TestRegistration : public QObject {
    Q_OBJECT
private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    // A group the file holds twice: the records of both are read, and a save writes every one of
    // them into the one group.
    void recordsOfARepeatedGroupAreKeptBySaving() {
        const std::pair<QByteArray, QByteArray> cases[] = {
            {"lotmkts_group", "<lotmkts><mk_ts_code>TS24</mk_ts_code><plot_no>7</plot_no><lot_no>"
                              "SECOND1</lot_no><part_lot_flag>N</part_lot_flag></lotmkts>"},
            {"address_group",
             "<address><building_name>SECOND "
             "TOWER</building_name><house_block_no>9</house_block_no>"
             "<road_code>R00826</road_code><postal_code>238859</postal_code></address>"},
            {"member_group",
             "<member><member_name>SECOND MEMBER</member_name><ic_flag>O</ic_flag><ic_passport_no>"
             "X99</ic_passport_no><address_type_flag>N</address_type_flag><address1>SOMEWHERE"
             "</address1></member>"}};
        QList<std::pair<QByteArray, QByteArray>> edits;
        for (const auto& [group, record] : cases) {
            const QByteArray end = "</" + group + ">";
            edits.append({end, end + "<" + group + ">" + record + end});
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression("^" + group + " held 1 more time"));
        }
        const QString path = CopyOfSample(*m_dir, edits);
        XmlDocPtr before = LoadXMLDoc(path);
        QVERIFY(before);
        RecordDialog h(path);
        h.click(ids::IDC_SAVE_AND_QUIT);
        QVERIFY2(h.answers.messages().empty(), qPrintable(h.answers.lastText()));
        QCOMPARE(h.dialog.result(), int(IDOK));
        XmlDocPtr after = LoadXMLDoc(path);
        QVERIFY(after);
        for (const auto& [group, record] : cases) {
            const std::string all = "//" + record.mid(1, record.indexOf('>') - 1).toStdString();
            QCOMPARE(after->select_nodes(("//" + group).constData()).size(), size_t(1));
            QCOMPARE(after->select_nodes(all.c_str()).size(),
                     before->select_nodes(all.c_str()).size());
            const qsizetype at = record.indexOf("SECOND");
            QVERIFY(readFile(path).contains(record.mid(at, record.indexOf('<', at) - at)));
        }
    }

    void everyFailedCheckIsListedInOneBoxAndTheFirstTakesTheFocus() {
        RecordDialog h(m_dir->filePath(QStringLiteral("new.xml")), QStringLiteral("NEW_PROJ"));

        h.click(ids::IDC_SAVE_AND_QUIT);
        QCOMPARE(h.answers.messages().size(), size_t(1));
        const ScriptedAnswerer::Message& box = h.answers.messages().front();
        QCOMPARE(box.caption, GetRCString(ids::IDS_INPUT_ERROR));
        QCOMPARE(box.icon, unsigned(MB_ICONERROR));
        QCOMPARE(box.text, Line(114) + Line(115) + Line(117) + Line(118) + Line(119) + Line(120) +
                               Line(121) + Line(143) + Line(143));
        QCOMPARE(GetControlId(box.focusWhenShown), 1001);
        QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("new.xml"))));
        QVERIFY(h.dialog.isVisible());
    }

    void aRecordWithoutCoordinatorCannotBeSaved() {
        const QString path = CopyOfSample(
            *m_dir, {{"<project_coordinator_flag>Y<", "<project_coordinator_flag>N<"}});
        RecordDialog h(path);
        auto* members = static_cast<CPropPageMemberInfo*>(h.dialog.MemberPage());
        QCOMPARE(members->GetMemberCount(), 2);
        QVERIFY(members->MarkCoordinator(true).isEmpty());

        h.click(ids::IDC_SAVE_AND_QUIT);
        QCOMPARE(h.answers.messages().size(), size_t(1));
        QCOMPARE(h.answers.messages().front().text, Line(143) + Line(143));
        QCOMPARE(h.dialog.Sheet()->currentWidget(), h.dialog.MemberPage());
    }

    // The sample record opened as a user looks around it, then Save & Quit with a lot typed but
    // not stored.
    void aLoadedRecordIsShownAndAnUnsavedLotFormIsAskedAbout() {
        const QString path = CopyOfSample(*m_dir);
        const QString titleBefore = elementText(path, "/krroot/project/profile/title");
        RecordDialog h(path);
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
        auto* roads = h.control<CDropListCombo>(h.project()->SitePage(), 1024);
        roads->setFocus();
        QTest::keyClick(roads, Qt::Key_Down, Qt::AltModifier);
        QVERIFY(roads->IsDroppedDown());
        QTest::keyClick(roads->DropList()->windowHandle(), Qt::Key_Escape);
        QVERIFY(!roads->IsDroppedDown());
        QVERIFY(h.answers.messages().empty() && h.dialog.isVisible());

        CPropPageProjectMukimTS* lots = h.lots();
        h.project()->NestedSheet()->SetActivePage(lots);
        QTest::keyClicks(h.control<QLineEdit>(lots, 1015), "QQ88");
        h.project()->NestedSheet()->SetActivePage(h.project()->SitePage());
        h.dialog.Sheet()->SetActivePage(h.dialog.MemberPage());
        // No: nothing is written and the lot page shows its form.
        h.answers.queueAnswer(IDNO);
        h.click(ids::IDC_SAVE_AND_QUIT);
        QCOMPARE(h.answers.messages().size(), size_t(1));
        const ScriptedAnswerer::Message& question = h.answers.messages().front();
        QCOMPARE(question.text, Line(145) + Line(148));
        QCOMPARE(question.caption, GetRCString(ids::IDS_ALERT));
        QCOMPARE(question.buttons, unsigned(MB_YESNO));
        QCOMPARE(h.project()->NestedSheet()->currentWidget(), lots);
        QCOMPARE(h.dialog.Sheet()->currentWidget(), h.dialog.ProjectPage());
        QVERIFY(h.dialog.isVisible());
        // Yes: the record is saved without the lot being typed.
        h.answers.queueAnswer(IDYES);
        h.click(ids::IDC_SAVE_AND_QUIT);
        QCOMPARE(h.answers.messages().size(), size_t(2));
        QCOMPARE(h.dialog.result(), int(IDOK));
        QCOMPARE(elementText(path, "/krroot/project/profile/title"), titleBefore);
        QVERIFY(!elementText(path, "/krroot/project/profile/location_descr").contains("QQ88"));
    }

    // A view-only run names each control the tooltip pass visits, form by form: each form's own
    // (its sheet's frame gone by then) before the pages of its nested sheet.
    void viewOnlyRunNamesEachFormsOwnControlsBeforeItsNestedPages() {
        RecordDialog h(CopyOfSample(*m_dir), QStringLiteral("VIEW_PROJ"));
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

    void overLongValuesAreShownWhole() {
        const QString path = CopyOfSample(*m_dir, kOverLongValues);
        QVERIFY(!path.isEmpty());
        RecordDialog opened(path, "LOCAL_PROJ", kRoads);
        CPropPageProjectInfo* project = opened.project();
        // The professional number is the coordinator's; the serial and the year are the file's.
        QCOMPARE(Control<QLineEdit>(project, CPropPageProjectInfo::IDC_SERIAL_NO)->text(),
                 "123456");
        QCOMPARE(Control<QLineEdit>(project, CPropPageProjectInfo::IDC_YEAR)->text(), "20266");
        QVERIFY(
            Control<CCharFilterTextEdit>(project, CPropPageProjectInfo::IDC_TITLE)->text().size() >
            1000);
        // Every record shows whole when clicked and is no unsaved edit.
        const QStringList shown = visitEveryPage(opened);
        QCOMPARE(shown.filter("edited"), QStringList());
        QVERIFY(Control<CCharFilterTextEdit>(project->SitePage(),
                                             CPropPageProjectSiteDesc::IDC_SITE_DESCR)
                    ->text()
                    .size() > 255);
        QCOMPARE(shown.value(0), "lot:PLOT/12#345678|ABCDEFGHIJKLMN");
        QVERIFY(shown.contains("address:12345678901234"));
        QVERIFY(shown.contains("member:LIM WEI MING " + QString(240, 'N')));
        // Not yet: the save of this record, which still stops at the address form's question.
    }

    // A title of megabytes (a hostile file) opens at once, shown cut, and is saved whole; once
    // the user types over it, what they typed is saved.
    void aTitleOfMegabytesIsKeptUnlessEdited() {
        const QByteArray title = QByteArray(5 * 1024 * 1024, 'T');
        const QString path = CopyOfSample(*m_dir, {{kSampleTitle, "<title>" + title + "<"}});
        QVERIFY(!path.isEmpty());

        for (const QString& typed : {QString(), QStringLiteral("NEW TITLE")}) {
            RecordDialog opened(path, "LOCAL_PROJ", kRoads);
            CKestrelDlg& dialog = opened.dialog;
            auto* field =
                Control<CCharFilterTextEdit>(dialog.ProjectPage(), CPropPageProjectInfo::IDC_TITLE);
            QVERIFY(field->text().size() < title.size());
            QVERIFY(title.startsWith(field->text().toLatin1()));
            if (!typed.isEmpty()) {
                field->setFocus();
                field->selectAll();
                QTest::keyClicks(field, typed);
            }
            dialog.OnSaveAndQuit();
            QVERIFY2(opened.answers.messages().empty(), qPrintable(opened.answers.lastText()));
            QCOMPARE(dialog.result(), int(IDOK));
            XmlDocPtr saved = LoadXMLDoc(path);
            QVERIFY(saved);
            const QString savedTitle =
                GetChildText(saved->child("krroot").child("project").child("profile"), "title");
            QVERIFY(savedTitle == (typed.isEmpty() ? QString::fromLatin1(title) : typed));
        }
    }

    // Text the user only looked at goes back out byte for byte, whatever its characters: the
    // fields must not swap non-breaking spaces for plain ones, split or recompose characters, or
    // reorder right-to-left text. The profile is rebuilt from the pages with the same values and
    // the members go through untouched, the sample's own text first.
    void untouchedTextIsSavedByteForByte() {
        for (const QString& text :
             {QString(), QStringLiteral("\u00A0ROOF\u00A0 \U0001F600 \U00020000 CAFE\u0301 "
                                        "FIRST\nSECOND\u2028THIRD \u0645\u0634\u0631 12 "
                                        "\u05D1\u05E0\u05D9 7 EAST")}) {
            const QByteArray bytes = text.toUtf8();
            // Fields of every page: the two multi-line fields, and fields of clicked records (an
            // address of the project, members).
            QList<std::pair<QByteArray, QByteArray>> fields = {
                {kSampleTitle, "<title>" + bytes + "<"},
                {"<site_descr>CORNER", "<site_descr>" + bytes + " CORNER"},
                {"<building_name>ORCHARD GATEWAY<", "<building_name>" + bytes + "<"},
                {"<member_name>NUR AISYAH BINTE RAHMAN<", "<member_name>" + bytes + "<"},
                {"<designation>DIRECTOR<", "<designation>" + bytes + "<"},
                {"<address1>SUITE 8-3, MENARA STRUCTA<", "<address1>" + bytes + "<"},
            };
            if (text.isEmpty())
                fields.clear();
            const QString path = CopyOfSample(*m_dir, fields);
            XmlDocPtr before = LoadXMLDoc(path);
            QVERIFY(before);
            RecordDialog opened(path, "LOCAL_PROJ", kRoads);
            QCOMPARE(visitEveryPage(opened).filter("edited"), QStringList());
            opened.click(ids::IDC_SAVE_AND_QUIT);
            QVERIFY2(opened.answers.messages().empty(), qPrintable(opened.answers.lastText()));
            QCOMPARE(opened.dialog.result(), int(IDOK));
            const QByteArray content = readFile(path);
            for (const auto& [from, to] : fields)
                QVERIFY2(content.contains(to), to.constData());
            XmlDocPtr after = LoadXMLDoc(path);
            QVERIFY(after);
            // The location description follows the edited fields; the sample's is its own.
            for (const char* part :
                 {"member_group", "reference_no", text.isEmpty() ? "profile" : ""})
                QCOMPARE(XmlText(after->child("krroot").child("project").child(part)),
                         XmlText(before->child("krroot").child("project").child(part)));
            QCOMPARE(GetChildText(after->child("krroot").child("project"), "project_type_code"),
                     "0");
        }
    }

    // A record large enough that its groups are read in two halves at once, its lookup lists
    // read while it is parsed, and its rows written by the save straight from the tables: every
    // record comes back, in its order, as the file held it.
    void aLargeRecordIsReadAndSavedWhole() {
        QByteArray content = readFile(SampleProjectPath());
        const int copies = kParallelReadFrom + 76;
        // The last record of each group, repeated in place.
        for (const QByteArray& tag :
             {QByteArray("lotmkts"), QByteArray("address"), QByteArray("member")}) {
            const qsizetype start = content.lastIndexOf("<" + tag + ">");
            const QByteArray close = "</" + tag + ">";
            const qsizetype end = content.indexOf(close, start) + close.size();
            QVERIFY(start > 0 && end > start);
            content.insert(end, content.mid(start, end - start).repeated(copies));
        }
        const QString path = m_dir->filePath(QStringLiteral("large.xml"));
        QVERIFY(writeFile(path, content));
        QVERIFY(content.size() > 1024 * 1024);
        XmlDocPtr before = LoadXMLDoc(path);
        QVERIFY(before);

        RecordDialog opened(path, "LOCAL_PROJ", kRoads);
        QCOMPARE(opened.lots()->GetRecordTable().GetRowCount(), 2 + copies);
        CProjectDocument& document = opened.dialog.Document();
        QVERIFY(document.RebuildProjectNode());
        QCOMPARE(document.SaveToFile(0), 0);
        XmlDocPtr after = LoadXMLDoc(path);
        QVERIFY(after);
        const pugi::xml_node was = before->child("krroot").child("project");
        const pugi::xml_node is = after->child("krroot").child("project");
        QCOMPARE(is.child("member_group").select_nodes("member").size(), size_t(2 + copies));
        QCOMPARE(XmlText(is.child("member_group")), XmlText(was.child("member_group")));
        for (const char* group : {"lotmkts_group", "address_group"})
            QCOMPARE(XmlText(is.child("profile").child(group)),
                     XmlText(was.child("profile").child(group)));
    }

    // A file the program cannot use is the user's all the same: opening it, in any editing type,
    // leaves the folder exactly as it was.
    void anUnusableFileIsNeverTouchedByOpening() {
        for (const QByteArray& content :
             {QByteArray("<krroot><project><profile>"),            // not well-formed
              QByteArray("<?xml version=\"1.0\"?>\n<invoice/>\n"), // foreign root
              QByteArray("<!DOCTYPE k [<!ENTITY a \"aaaa\"><!ENTITY b \"&a;&a;&a;\">]>\n"
                         "<krroot>&b;</krroot><second/>")}) { // hostile
            const QString path = m_dir->filePath("unusable.xml");
            QVERIFY(writeFile(path, content));
            const auto before = folderContent(m_dir->path());
            for (const char* type : {"VIEW_PROJ", "VIEW_PROJ", "EDIT_PROJ"}) {
                TestAppServices services(QByteArray(type) == "VIEW_PROJ");
                ScriptedAnswerer answers;
                answers.queueAnswer(IDYES); // "Are you sure you want to abort changes?"
                CKestrelDlg dialog(MakeRegistrationPages);
                dialog.SetEditingType(type);
                dialog.LoadDocument(path);
                dialog.show();
                QTest::mouseClick(GetDlgItem(&dialog, ids::IDC_QUIT_WITHOUT_SAVING),
                                  Qt::LeftButton);
                QCOMPARE(dialog.result(), int(IDCANCEL));
                QCOMPARE(services.log.filter("Cannot use"), QStringList());
            }
            QCOMPARE(folderContent(m_dir->path()), before);
        }
    }

    // A named pipe (like a device or a socket) is told by its status and never opened: the
    // record starts anew with a warning naming why, and Save & Quit asks for another file name.
    // Given the same name again, it refuses with the save error rather than wait on it.
    void specialFilesAreRefusedWithoutBeingOpened() {
        const QString path = m_dir->filePath("project.xml");
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
        const auto visit = [&](const QString& name, CRecordPage* page, int listId, QWidget* form,
                               QList<int> fields, const std::function<bool()>& unedited) {
            auto* list = Control<CRecordListCtrl>(page, listId);
            for (int row = 0; row < list->GetItemCount(); ++row) {
                ClickRow(list, row);
                QStringList texts;
                for (int id : fields)
                    texts << Control<QLineEdit>(form, id)->text();
                shown << name + ":" + texts.join('|');
                if (page == members)
                    for (CPropertyPage* detail : std::initializer_list<CPropertyPage*>{
                             members->GeneralPage(), members->AddressPage(),
                             members->ContactPage()})
                        members->NestedSheet()->SetActivePage(detail);
                if (!unedited())
                    shown << name + " edited";
            }
        };
        opened.openProject(opened.lots());
        visit("lot", opened.lots(), Lots::IDC_LOT_LIST, opened.lots(),
              {Lots::IDC_PLOT_NO, Lots::IDC_LOT_NO},
              [&] { return opened.lots()->ResetLotForm(true, false); });
        project->NestedSheet()->SetActivePage(project->AddressPage());
        visit("address", project->AddressPage(), Addresses::IDC_ADDRESS_LIST,
              project->AddressPage(), {Addresses::IDC_UNIT_NO},
              [&] { return project->AddressPage()->ResetAddressForm(true, false); });
        project->NestedSheet()->SetActivePage(project->SitePage());
        opened.dialog.Sheet()->SetActivePage(members);
        visit("member", members, CPropPageMemberInfo::IDC_MEMBER_LIST, members->GeneralPage(),
              {IDC_MEMBER_NAME}, [&] { return members->ResetMemberForm(true, false); });
        return shown;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_MAIN(TestRegistration)
#include "RegistrationTest.moc"
