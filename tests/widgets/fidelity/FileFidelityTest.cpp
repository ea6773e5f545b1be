// Values a file holds are the file's: the pages show them and write them back whole, even when
// they are longer than the fields admit or hold characters the fields would refuse when typed.
// The limits govern what the user types, pastes or composes. A file that cannot be used is never
// changed by opening it.

#include "TestFiles.h"
#include "TestForm.h"
#include "TestRecord.h"
#include "app/ResourceIds.h"
#include "controls/CharFilterEdit.h"
#include "controls/ToolTipPropertySheet.h"
#include "pages/member/PropPageMemberAddress.h"
#include "pages/member/PropPageMemberContact.h"
#include "pages/member/PropPageMemberGeneral.h"
#include "pages/member/PropPageMemberInfo.h"
#include "pages/project/PropPageProjectAddress.h"
#include "pages/project/PropPageProjectMukimTS.h"
#include "pages/project/PropPageProjectSiteDesc.h"
#include "sdk/XmlHelpers.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QtTest>

#include <sstream>

using namespace kestrel;

namespace {

QByteArray repeat(const QByteArray& piece, int length) {
    QByteArray text;
    while (text.size() < length) {
        text += piece;
    }
    return text.left(length);
}

// Every value a field limits is made longer than its limit; some also hold characters the
// field would refuse when typed.
const QList<std::pair<QByteArray, QByteArray>>& overLongValues() {
    static const QList<std::pair<QByteArray, QByteArray>> values = {
        {"<reference_no>A1234-00042-2026<", "<reference_no>A1234-123456-20266<"},
        {"<title>PROPOSED", "<title>" + repeat("LONG TITLE; ", 1100) + " PROPOSED"},
        {"<plot_no>12<", "<plot_no>PLOT/12#345678<"},
        {"<lot_no>3456<", "<lot_no>ABCDEFGHIJKLMN<"},
        {"<lot_no>99K<", "<lot_no>lower-case-lot-99<"},
        {"<building_name>ORCHARD GATEWAY<",
         "<building_name>" + repeat("ORCHARD GATEWAY ", 120) + "<"},
        {"<house_block_no>277<", "<house_block_no>277ABCDEFGHIJK<"},
        {"<level_no>5<", "<level_no>12345<"},
        {"<unit_no>12<", "<unit_no>12345678901234<"},
        {"<site_descr>CORNER", "<site_descr>" + repeat("SITE NEXT TO THE PARK. ", 300) + "CORNER"},
        {"<member_name>LIM WEI MING<", "<member_name>LIM WEI MING " + repeat("BIN ", 60) + "<"},
        {"<firm_name>STRUCTA", "<firm_name>" + repeat("STRUCTA ", 70) + "STRUCTA"},
        {"<designation>DIRECTOR<", "<designation>" + repeat("MANAGING ", 70) + "DIRECTOR<"},
        {"<address1>SUITE 8-3, MENARA STRUCTA<",
         "<address1>SUITE 8-3, MENARA STRUCTA, " + repeat("LEVEL ", 30) + "<"},
        {"<tel_no>62201234<", "<tel_no>6220123456789012<"},
        {"<tel_ext_no>21<", "<tel_ext_no>212345<"},
        {"<email_address2>projects@structa.example.com<",
         "<email_address2>" + repeat("projects.", 80) + "@structa.example.com<"},
    };
    return values;
}

QString serialized(pugi::xml_node node) {
    std::ostringstream out;
    node.print(out, "", pugi::format_raw);
    return QString::fromStdString(out.str());
}

const QByteArray kSampleTitle = "<title>PROPOSED ADDITION AND ALTERATION TO EXISTING 8-STOREY "
                                "COMMERCIAL BUILDING WITH A NEW ROOF TERRACE<";

// The road table holds the record's roads, as the program's does (both come from the lookup
// database).
struct OpenRecord : RecordDialog {
    explicit OpenRecord(const QString& path)
        : RecordDialog(path, QStringLiteral("LOCAL_PROJ"),
                       {"ORCHARD ROAD", "SHENTON WAY", "SOMERSET ROAD"}) {}
};

} // namespace

class FileFidelityTest : public QObject {
    Q_OBJECT
private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void overLongValuesAreShownWhole() {
        const QString path = CopyOfSample(*m_dir, overLongValues());
        QVERIFY(!path.isEmpty());
        OpenRecord opened(path);
        QVERIFY(opened.active());
        CPropPageProjectInfo* project = opened.project();
        // The professional number is the coordinator's; the serial and the year are the file's.
        QCOMPARE(opened.control<QLineEdit>(project, CPropPageProjectInfo::IDC_SERIAL_NO)->text() +
                     "-" +
                     opened.control<QLineEdit>(project, CPropPageProjectInfo::IDC_YEAR)->text(),
                 "123456-20266");
        QVERIFY(opened.control<CCharFilterTextEdit>(project, CPropPageProjectInfo::IDC_TITLE)
                    ->text()
                    .size() > 1000);
        // Every record shows whole when clicked and is no unsaved edit.
        const QStringList shown = visitEveryPage(opened.dialog);
        QCOMPARE(shown.filter("edited"), QStringList());
        QVERIFY(Control<CCharFilterTextEdit>(project->SitePage(),
                                             CPropPageProjectSiteDesc::IDC_SITE_DESCR)
                    ->text()
                    .size() > 255);
        QCOMPARE(shown.value(0), "lot:PLOT/12#345678|ABCDEFGHIJKLMN");
        QVERIFY(shown.contains("address:12345678901234"));
        QVERIFY(shown.contains("member:LIM WEI MING " + repeat("BIN ", 60)));
        // Not yet: the save of this record, which still stops at the address form's question.
    }

    // A title of megabytes (a hostile file) opens at once, shown cut, and is saved whole; once
    // the user types over it, what they typed is saved.
    void aTitleOfMegabytesIsKeptUnlessEdited() {
        const QByteArray title = repeat("T", 5 * 1024 * 1024);
        const QString path = CopyOfSample(*m_dir, {{kSampleTitle, "<title>" + title + "<"}});
        QVERIFY(!path.isEmpty());

        for (const QString& typed : {QString(), QStringLiteral("NEW TITLE")}) {
            OpenRecord opened(path);
            QVERIFY(opened.active());
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

    // Typing, pasting and composing stop at the limit; what is already there stays, and the
    // user can still shorten an over-long loaded value.
    void theLimitHoldsWhatTheUserPutsIn() {
        CCharFilterEdit edit;
        edit.LimitText(5);
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        edit.setText(QStringLiteral("ABCDEFGH"));
        QCOMPARE(edit.text(), "ABCDEFGH");
        edit.setFocus();
        edit.end(false);
        QTest::keyClicks(&edit, "I");
        QCOMPARE(edit.text(), "ABCDEFGH");
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QCOMPARE(edit.text(), "ABCDEFG");

        edit.clear();
        QTest::keyClicks(&edit, "1234567");
        QCOMPARE(edit.text(), "12345");

        edit.setText(QStringLiteral("12"));
        edit.end(false);
        QGuiApplication::clipboard()->setText(QStringLiteral("abcdef"));
        edit.paste();
        QCOMPARE(edit.text(), "12abc");

        edit.setText(QStringLiteral("1"));
        edit.home(false);
        QInputMethodEvent composed;
        composed.setCommitString(QStringLiteral("xyzuvw"));
        QCoreApplication::sendEvent(&edit, &composed);
        QCOMPARE(edit.text(), "xyzu1");
    }

    // Text the user only looked at goes back out byte for byte, whatever its characters: the
    // fields must not swap non-breaking spaces for plain ones, split or recompose characters, or
    // reorder right-to-left text. The profile is rebuilt from the pages with the same values and
    // the members go through untouched, the sample's own text first.
    void untouchedTextIsSavedByteForByte() {
        for (const QString& text :
             {QString(), QStringLiteral("\u00A0ROOF\u00A0TERRACE\u00A0"),
              QStringLiteral("GRIN \U0001F600 HALL \U00020000"),
              QStringLiteral("CAFE\u0301 ANNEXE"), QStringLiteral("FIRST\nSECOND\u2028THIRD"),
              QStringLiteral("\u0645\u0634\u0631\u0648\u0639 12"),
              QStringLiteral("BLOCK \u05D1\u05E0\u05D9\u05D9\u05DF 7 EAST")}) {
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
            OpenRecord opened(path);
            QVERIFY(opened.active());
            QCOMPARE(visitEveryPage(opened.dialog).filter("edited"), QStringList());
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
                QCOMPARE(serialized(after->child("krroot").child("project").child(part)),
                         serialized(before->child("krroot").child("project").child(part)));
            QCOMPARE(GetChildText(after->child("krroot").child("project"), "project_type_code"),
                     "0");
        }
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
                QTest::mouseClick(
                    qobject_cast<QPushButton*>(GetDlgItem(&dialog, ids::IDC_QUIT_WITHOUT_SAVING)),
                    Qt::LeftButton);
                QCOMPARE(dialog.result(), int(IDCANCEL));
                QCOMPARE(services.log.filter("Cannot use"), QStringList());
            }
            QCOMPARE(folderContent(m_dir->path()), before);
        }
    }

    // A named pipe, a device or a socket is told by its status and never opened: the record
    // starts anew with a warning naming why, and Save & Quit asks for another file name. Given
    // the same name again, it refuses with the save error rather than wait on it.
    void specialFilesAreRefusedWithoutBeingOpened() {
        for (const char* kind : {"pipe", "device", "socket"}) {
            QTemporaryDir dir;
            const QString path = dir.filePath("project.xml");
            QVERIFY(makeSpecialFile(kind, path));
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
    }

private:
    // Shows every page and tab, and loads every record of every list into its form: a record
    // the user only looked at is no unsaved edit. Gives what each clicked record shows in some
    // of its fields.
    QStringList visitEveryPage(CKestrelDlg& dialog) {
        QStringList shown;
        auto* project = static_cast<CPropPageProjectInfo*>(dialog.ProjectPage());
        auto* members = static_cast<CPropPageMemberInfo*>(dialog.MemberPage());
        dialog.Sheet()->SetActivePage(project);
        const std::tuple<CRecordPage*, int, QString, QList<int>> pages[] = {
            {project->LotPage(),
             CPropPageProjectMukimTS::IDC_LOT_LIST,
             "lot",
             {CPropPageProjectMukimTS::IDC_PLOT_NO, CPropPageProjectMukimTS::IDC_LOT_NO}},
            {project->AddressPage(),
             CPropPageProjectAddress::IDC_ADDRESS_LIST,
             "address",
             {CPropPageProjectAddress::IDC_UNIT_NO}},
            {members, CPropPageMemberInfo::IDC_MEMBER_LIST, "member", {IDC_MEMBER_NAME}}};
        for (const auto& [page, listId, name, fields] : pages) {
            if (page == members)
                dialog.Sheet()->SetActivePage(members);
            else
                project->NestedSheet()->SetActivePage(page);
            auto* list = Control<CRecordListCtrl>(page, listId);
            for (int row = 0; row < list->GetItemCount(); ++row) {
                ClickRow(list, row);
                QStringList texts;
                for (int id : fields)
                    texts << Control<QLineEdit>(page == members
                                                    ? static_cast<QWidget*>(members->GeneralPage())
                                                    : page,
                                                id)
                                 ->text();
                shown << name + ":" + texts.join('|');
                if (page == members)
                    for (CPropertyPage* detail : std::initializer_list<CPropertyPage*>{
                             members->GeneralPage(), members->AddressPage(),
                             members->ContactPage()})
                        members->NestedSheet()->SetActivePage(detail);
                const bool unedited = page == members ? members->ResetMemberForm(true, false)
                                      : page == project->LotPage()
                                          ? project->LotPage()->ResetLotForm(true, false)
                                          : project->AddressPage()->ResetAddressForm(true, false);
                if (!unedited)
                    shown << name + " edited";
            }
            if (page == project->AddressPage())
                project->NestedSheet()->SetActivePage(project->SitePage());
        }
        return shown;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_MAIN(FileFidelityTest)
#include "FileFidelityTest.moc"
