// The main dialog with the registration pages: the checks Save & Quit runs across the pages, the
// records of a group held twice, the tooltip pass of a view-only run, and the activity log.

#include "ScopedEnv.h"
#include "TestFiles.h"
#include "TestRecord.h"
#include "app/KestrelApp.h"
#include "app/ResourceIds.h"
#include "controls/ComboDropList.h"
#include "controls/DropListCombo.h"
#include "controls/ToolTipPropertySheet.h"
#include "pages/member/PropPageMemberInfo.h"
#include "pages/project/PropPageProjectMukimTS.h"
#include "pages/project/PropPageProjectSiteDesc.h"
#include "sdk/AppDB.h"
#include "sdk/RunTimeLibrary.h"
#include "sdk/StringTable.h"
#include "sdk/XmlHelpers.h"

#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

using namespace kestrel;

namespace {

QString elementText(const QString& path, const char* xpath) {
    XmlDocPtr doc = LoadXMLDoc(path);
    return doc ? GetNodeTextXPath(*doc, *doc, QString::fromLatin1(xpath), QString()) : QString();
}

QString line(int stringId) {
    return GetRCString(stringId) + QLatin1Char('\n');
}

using Harness = RecordDialog;

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
        for (const auto& [group, record] : cases) {
            const QByteArray end = "</" + group + ">";
            const QString path =
                CopyOfSample(*m_dir, {{end, end + "<" + group + ">" + record + end}});
            const std::string all = "//" + record.mid(1, record.indexOf('>') - 1).toStdString();
            XmlDocPtr before = LoadXMLDoc(path);
            QVERIFY(before);
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression("^" + group + " held 1 more time"));
            Harness h(path);
            QVERIFY(h.active());
            h.click(ids::IDC_SAVE_AND_QUIT);
            QVERIFY2(h.answers.messages().empty(), qPrintable(h.answers.lastText()));
            QCOMPARE(h.dialog.result(), int(IDOK));
            XmlDocPtr after = LoadXMLDoc(path);
            QVERIFY(after);
            QCOMPARE(after->select_nodes(("//" + group).constData()).size(), size_t(1));
            QCOMPARE(after->select_nodes(all.c_str()).size(),
                     before->select_nodes(all.c_str()).size());
            const qsizetype at = record.indexOf("SECOND");
            QVERIFY(readFile(path).contains(record.mid(at, record.indexOf('<', at) - at)));
        }
    }

    void everyFailedCheckIsListedInOneBoxAndTheFirstTakesTheFocus() {
        Harness h(m_dir->filePath(QStringLiteral("new.xml")), QStringLiteral("NEW_PROJ"));
        QVERIFY(h.active());

        h.click(ids::IDC_SAVE_AND_QUIT);
        QCOMPARE(h.answers.messages().size(), size_t(1));
        const ScriptedAnswerer::Message& box = h.answers.messages().front();
        QCOMPARE(box.caption, GetRCString(ids::IDS_INPUT_ERROR));
        QCOMPARE(box.icon, unsigned(MB_ICONERROR));
        QCOMPARE(box.text, line(114) + line(115) + line(117) + line(118) + line(119) + line(120) +
                               line(121) + line(143) + line(143));
        QVERIFY(box.focusWhenShown);
        QCOMPARE(GetControlId(box.focusWhenShown), 1001);
        QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("new.xml"))));
        QVERIFY(h.dialog.isVisible());
    }

    void aRecordWithoutCoordinatorCannotBeSaved() {
        const QString path = CopyOfSample(
            *m_dir, {{"<project_coordinator_flag>Y<", "<project_coordinator_flag>N<"}});
        Harness h(path);
        QVERIFY(h.active());
        auto* members = static_cast<CPropPageMemberInfo*>(h.dialog.MemberPage());
        QCOMPARE(members->GetMemberCount(), 2);
        QVERIFY(members->MarkCoordinator(true).isEmpty());

        h.click(ids::IDC_SAVE_AND_QUIT);
        QCOMPARE(h.answers.messages().size(), size_t(1));
        QCOMPARE(h.answers.messages().front().text, line(143) + line(143));
        QCOMPARE(h.dialog.Sheet()->currentWidget(), h.dialog.MemberPage());
    }

    // The sample record opened as a user looks around it, then Save & Quit with a lot typed but
    // not stored.
    void aLoadedRecordIsShownAndAnUnsavedLotFormIsAskedAbout() {
        const QString path = CopyOfSample(*m_dir);
        const QString titleBefore = elementText(path, "/krroot/project/profile/title");
        Harness h(path);
        QVERIFY(h.active());
        h.dialog.Sheet()->SetActivePage(h.dialog.MemberPage());
        auto* list =
            h.control<CRecordListCtrl>(h.dialog.MemberPage(), CPropPageMemberInfo::IDC_MEMBER_LIST);
        QCOMPARE(list->GetItemCount(), 2);
        // The marker is drawn, never part of the name the list and the file hold.
        QCOMPARE(list->model()->index(0, 0).data().toString(), "* LIM WEI MING");
        QCOMPARE(list->GetItemText(0, 0), "LIM WEI MING");
        QCOMPARE(list->model()->index(1, 0).data().toString(), "NUR AISYAH BINTE RAHMAN");
        QCOMPARE(list->GetItemText(1, 7), "PROFESSIONAL ENGINEER (CIVIL/STRUCTURAL), "
                                          "PROFESSIONAL ENGINEER (GEOTECHNICAL)");
        if (const QString shot = qEnvironmentVariable("KESTREL_SCREENSHOT_DIR"); !shot.isEmpty()) {
            QTest::qWait(200);
            h.dialog.grab().save(shot + "/member-page.png");
            h.dialog.Sheet()->SetActivePage(h.dialog.ProjectPage());
            QTest::qWait(200);
            h.dialog.grab().save(shot + "/main-dialog.png");
        }

        h.dialog.Sheet()->SetActivePage(h.dialog.ProjectPage());
        h.project()->NestedSheet()->SetActivePage(h.project()->SitePage());
        // Only the active pages mark their tabs.
        QVERIFY(h.project()->SitePage()->IsOwnTabHighlighted());
        QVERIFY(h.project()->IsOwnTabHighlighted());
        QVERIFY(!h.project()->LotPage()->IsOwnTabHighlighted());
        // Escape on an open road list closes only the list; delivered as the window system
        // would, to the popup's window.
        auto* roads = h.control<CDropListCombo>(h.project()->SitePage(), 1024);
        roads->setFocus();
        QTest::keyClick(roads, Qt::Key_Down, Qt::AltModifier);
        QVERIFY(roads->IsDroppedDown());
        QTest::keyClick(roads->DropList()->windowHandle(), Qt::Key_Escape);
        QVERIFY(!roads->IsDroppedDown());
        QVERIFY(h.answers.messages().empty() && h.dialog.isVisible());

        CPropPageProjectMukimTS* lots = h.project()->LotPage();
        h.project()->NestedSheet()->SetActivePage(lots);
        QTest::keyClicks(h.control<QLineEdit>(lots, 1015), "QQ88");
        h.project()->NestedSheet()->SetActivePage(h.project()->SitePage());
        h.dialog.Sheet()->SetActivePage(h.dialog.MemberPage());
        // No: nothing is written and the lot page shows its form.
        h.answers.queueAnswer(IDNO);
        h.click(ids::IDC_SAVE_AND_QUIT);
        QCOMPARE(h.answers.messages().size(), size_t(1));
        const ScriptedAnswerer::Message& question = h.answers.messages().front();
        QCOMPARE(question.text, line(145) + line(148));
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

    // A view-only run names each control the tooltip pass visits, form by form as the forms are
    // set up: the dialog's own (frame 1003 first), then the project page's own, frame 1031
    // last, before the pages of its nested sheet; the member page's own (frame 1043 first)
    // before its detail pages. The frames are gone once their forms are set up.
    void viewOnlyRunNamesEachFormsOwnControlsBeforeItsNestedPages() {
        Harness h(CopyOfSample(*m_dir), QStringLiteral("VIEW_PROJ"));
        QVERIFY(h.active());
        QStringList& log = h.services.log;
        CKestrelDlg& dialog = h.dialog;
        const QStringList buttons4{"Button", "Button", "Button", "Button"};
        const QStringList dialogOwn{"Static", "Button", "Button"};
        const QStringList projectOwn{
            "Edit",     "Edit",     "Edit",     "Edit",  "SysDateTimePick32", "SysDateTimePick32",
            "ComboBox", "ComboBox", "ComboBox", "Static"};
        const QStringList lotPage = QStringList{"ComboBox", "Edit", "Edit", "Button"} + buttons4 +
                                    QStringList{"SysListView32"};
        QCOMPARE(log, QStringList{"Editing type: VIEW_PROJ"} + dialogOwn + projectOwn + lotPage);
        QVERIFY(!GetDlgItem(&dialog, ids::IDC_SHEET_FRAME));
        QVERIFY(!GetDlgItem(dialog.ProjectPage(), CPropPageProjectInfo::IDC_SHEET_FRAME));

        log.clear();
        dialog.Sheet()->SetActivePage(dialog.MemberPage());
        const QStringList memberOwn =
            QStringList{"Static"} + buttons4 + QStringList{"Button", "SysListView32"};
        QCOMPARE(log.mid(0, memberOwn.size()), memberOwn);
        QCOMPARE(log.value(memberOwn.size()), "Edit"); // general page
        QVERIFY(!GetDlgItem(dialog.MemberPage(), CPropPageMemberInfo::IDC_SHEET_FRAME));
    }

    // Started without a lookup database, then Cancel and Yes: the activity log holds the run's
    // own lines and nothing else; the database's warning goes to standard error, and the line
    // break in the path does not start a line of its own.
    void aCancelledRunLogsOnlyItsOwnLines() {
        const QString logFile = m_dir->filePath(QStringLiteral("activity.log"));
        const QString project = m_dir->filePath(QStringLiteral("new \"project\"\nfile.xml"));
        ScopedEnv logLocation("KESTREL_LOG_FILE", QFile::encodeName(logFile));
        ScopedEnv noDatabase("KESTREL_LOOKUP_DB",
                             QFile::encodeName(m_dir->filePath(QStringLiteral("missing.db"))));
        XKR_GetAppDB()->Reset(); // the lookups look for the database again
        CKestrelDlg::SetPageFactory(MakeRegistrationPages);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Lookup database .*missing.db"));
        ScriptedAnswerer answers;
        answers.queueAnswer(IDYES); // "Are you sure you want to abort changes?"
        QTimer cancel;
        connect(&cancel, &QTimer::timeout, this, [] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (qobject_cast<CKestrelDlg*>(top) && top->isVisible()) {
                    QTest::mouseClick(
                        qobject_cast<QPushButton*>(GetDlgItem(top, ids::IDC_QUIT_WITHOUT_SAVING)),
                        Qt::LeftButton);
                }
            }
        });
        cancel.start(20);
        {
            const QByteArray path = QFile::encodeName(project);
            const char* const argv[] = {"kestrel", "NEW_PROJ", path.constData()};
            CKestrelApp app;
            app.InitInstance(std::make_unique<CCommandLineTokens>(3, argv));
        }
        cancel.stop();
        CKestrelDlg::SetPageFactory({});
        XKR_GetAppDB()->Reset();
        XKR_GetAppDB()->m_hSdkDef = LoadRunTimeLibrary(SdkDefLibraryPath());

        QStringList lines;
        static const QRegularExpression stamp(
            QStringLiteral("^ \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d: (.*)\r$"));
        for (const QString& line :
             QString::fromUtf8(readFile(logFile)).split('\n', Qt::SkipEmptyParts)) {
            const QRegularExpressionMatch match = stamp.match(line);
            lines.append(match.hasMatch() ? match.captured(1) : QStringLiteral("?") + line);
        }
        QCOMPARE(lines, (QStringList{QStringLiteral("START: ----------------------------------"),
                                     QStringLiteral("Command Line: NEW_PROJ \"") +
                                         QString(project).replace('\n', QLatin1String("\\n")) + '"',
                                     QStringLiteral("Editing type: NEW_PROJ"),
                                     QStringLiteral("COMMAND: Cancel"),
                                     QStringLiteral("END: ------------------------------------")}));
        QVERIFY(!QFile::exists(project));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_MAIN(TestRegistration)
#include "RegistrationTest.moc"
