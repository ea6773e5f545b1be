// The main dialog's shell: quitting (button, Escape, the window manager's close), the window
// menu's LOG window entry, its looks, the save skeleton with the host library, and a whole run
// of the application object.

#include "TestAppServices.h"
#include "app/AboutDlg.h"
#include "app/KestrelApp.h"
#include "app/KestrelDlg.h"
#include "app/LogDlg.h"
#include "app/ResourceIds.h"
#include "controls/ListSource.h"
#include "controls/ToolTipPropertyPage.h"
#include "controls/ToolTipPropertySheet.h"
#include "framework/ControlId.h"
#include "framework/DialogUnits.h"
#include "framework/MessageBox.h"
#include "sdk/AppDB.h"
#include "sdk/StringTable.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QUuid>
#include <QtTest>

using namespace kestrel;

namespace {

// Placeholder pages whose composed reference the test chooses.
KestrelPageFactory pagesComposing(const QString* reference,
                                  std::function<bool(CKestrelDlg&)> check = {}) {
    return [reference, check](CToolTipHost* host) {
        CKestrelPages pages = MakePlaceholderPages(host);
        pages.documentParts.composedReference = [reference] { return *reference; };
        pages.checkBeforeSave = check;
        return pages;
    };
}

QString uniqueReference() {
    return QStringLiteral("T%1-00001-2026")
        .arg(QUuid::createUuid().toString(QUuid::Id128).left(12));
}

QPushButton* button(CKestrelDlg& dialog, int id) {
    return qobject_cast<QPushButton*>(GetDlgItem(&dialog, id));
}

bool showActive(CKestrelDlg& dialog) {
    dialog.show();
    dialog.activateWindow();
    return QTest::qWaitForWindowActive(&dialog);
}

// Loads the record, names the editing type and shows the dialog. (Loading only writes to the log
// when it has to set an unusable file aside, so the order of the first two steps rarely shows.)
bool openAndShow(CKestrelDlg& dialog, const QString& path, const QString& editingType) {
    dialog.LoadDocument(path);
    dialog.SetEditingType(editingType);
    return showActive(dialog);
}

} // namespace

class TestMainDialog : public QObject {
    Q_OBJECT
private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void looksLikeTheRegistrationDialog() {
        TestAppServices services;
        CKestrelDlg dialog;
        QVERIFY(showActive(dialog));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("KESTREL"));
        QVERIFY(!dialog.windowFlags().testFlag(Qt::WindowCloseButtonHint));
        QCOMPARE(dialog.Sheet()->GetPageCount(), 2);
        QCOMPARE(dialog.Sheet()->tabText(0), QStringLiteral("Project Information *"));
        QCOMPARE(dialog.Sheet()->tabText(1), QStringLiteral("Member Information *"));
        QPushButton* ok = button(dialog, ids::IDC_SAVE_AND_QUIT);
        QPushButton* cancel = button(dialog, ids::IDC_QUIT_WITHOUT_SAVING);
        QVERIFY(ok && cancel);
        QCOMPARE(ok->text(), QStringLiteral("Ok"));
        QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
        QCOMPARE(ok->toolTip(), QStringLiteral("Save & Quit"));
        QCOMPARE(cancel->toolTip(), QStringLiteral("Quit without saving"));
        QCOMPARE(cancel->accessibleDescription(), QStringLiteral("Quit without saving"));
        QVERIFY(!ok->isDefault() && !ok->autoDefault());
        QVERIFY(!cancel->isDefault() && !cancel->autoDefault());
        bool mandatoryText = false;
        for (QLabel* label : dialog.findChildren<QLabel*>()) {
            mandatoryText = mandatoryText ||
                            label->text() == "[Fields marked with an asterisk (*) are mandatory]";
        }
        QVERIFY(mandatoryText);
        QCOMPARE(dialog.size(), DialogUnitsToPixels(dialog.font(), QSize(422, 338)));
        QVERIFY(!dialog.windowIcon().isNull());
        // The sheet took the place of its frame.
        QCOMPARE(GetDlgItem(&dialog, ids::IDC_SHEET_FRAME), nullptr);

        const QList<QAction*> actions = dialog.SystemMenu()->actions();
        QStringList texts;
        for (QAction* action : actions) {
            if (!action->isSeparator()) {
                texts << action->text();
            }
        }
        QCOMPARE(texts,
                 (QStringList{QStringLiteral("&About Kestrel..."), QStringLiteral("LOG Window")}));
        QVERIFY(actions.last()->isCheckable());
    }

    // With KESTREL_SCREENSHOT set to a file name, also saves a picture of the dialog there (the
    // documentation's picture is made this way under a virtual display).
    void screenshotWhenAsked() {
        const QString target = qEnvironmentVariable("KESTREL_SCREENSHOT");
        if (target.isEmpty()) {
            QSKIP("KESTREL_SCREENSHOT not set");
        }
        TestAppServices services;
        CKestrelDlg dialog;
        QVERIFY(showActive(dialog));
        QTest::qWait(300);
        QVERIFY(dialog.grab().save(target));
    }

    void aboutBoxShowsNameAndVersion() {
        TestAppServices services;
        CKestrelDlg dialog;
        QVERIFY(showActive(dialog));
        QString caption;
        QStringList texts;
        QTimer::singleShot(0, this, [&] {
            auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
            QVERIFY(about);
            caption = about->windowTitle();
            for (QLabel* label : about->findChildren<QLabel*>()) {
                texts << label->text();
            }
            about->findChild<QPushButton*>()->click();
        });
        dialog.OnSysCommand(ids::IDM_ABOUTBOX);
        QCOMPARE(caption, QStringLiteral("About Kestrel"));
        QVERIFY(texts.contains(QStringLiteral("Kestrel Version 1.0")));
        QVERIFY(dialog.isVisible());
    }

    void escapeAndCloseAskBeforeQuitting() {
        TestAppServices services;
        ScriptedAnswerer answers;
        CKestrelDlg dialog;
        QVERIFY(openAndShow(dialog, m_dir->filePath(QStringLiteral("new.xml")),
                            QStringLiteral("NEW_PROJ")));

        QTest::keyClick(&dialog, Qt::Key_Escape); // answered No
        QCOMPARE(answers.messages().size(), size_t(1));
        const auto& question = answers.messages().front();
        QCOMPARE(question.text, QStringLiteral("Are you sure you want to abort changes?"));
        QCOMPARE(question.caption, QStringLiteral("Kestrel"));
        QCOMPARE(question.buttons, unsigned(MB_YESNO));
        QCOMPARE(question.icon, unsigned(MB_ICONQUESTION));
        QVERIFY(dialog.isVisible());

        QVERIFY(!dialog.close()); // the window manager's close: answered No, refused
        QCOMPARE(answers.messages().size(), size_t(2));
        QVERIFY(dialog.isVisible());
        QVERIFY(dialog.Document().HasDocument());
        QVERIFY(!services.log.contains(QStringLiteral("COMMAND: Cancel")));

        answers.queueAnswer(IDYES);
        QVERIFY(dialog.close());
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(IDCANCEL));
        QVERIFY(!dialog.Document().HasDocument());
        QCOMPARE(services.log, (QStringList{QStringLiteral("Editing type: NEW_PROJ"),
                                            QStringLiteral("COMMAND: Cancel")}));
        QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("new.xml"))));
    }

    void enterNeverEndsTheDialog() {
        TestAppServices services;
        ScriptedAnswerer answers;
        CKestrelDlg dialog;
        QVERIFY(showActive(dialog));
        QTest::keyClick(&dialog, Qt::Key_Return);
        button(dialog, ids::IDC_SAVE_AND_QUIT)->setFocus();
        QTest::keyClick(button(dialog, ids::IDC_SAVE_AND_QUIT), Qt::Key_Enter);
        QVERIFY(dialog.isVisible());
        QVERIFY(answers.messages().empty());
        QVERIFY(answers.saveRequests().empty());
    }

    void quitInAViewOnlyRunDoesNotAsk() {
        TestAppServices services(true);
        ScriptedAnswerer answers;
        CKestrelDlg dialog;
        dialog.SetEditingType(QStringLiteral("view_proj"));
        QVERIFY(showActive(dialog));
        // The view-only pass disabled Save & Quit but not Quit without saving.
        QVERIFY(!button(dialog, ids::IDC_SAVE_AND_QUIT)->isEnabled());
        QVERIFY(button(dialog, ids::IDC_QUIT_WITHOUT_SAVING)->isEnabled());
        QTest::mouseClick(button(dialog, ids::IDC_QUIT_WITHOUT_SAVING), Qt::LeftButton);
        QVERIFY(answers.messages().empty());
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(IDCANCEL));
        QCOMPARE(services.log.last(), QStringLiteral("COMMAND: Cancel"));
    }

    void logWindowEntryTogglesTheWindowAndItsMark() {
        CKestrelApp app;
        app.StartUp(QByteArray("LOCAL_PROJ x.xml"));
        QVERIFY(app.LogWindow());
        QVERIFY(!app.LogWindow()->isVisible());
        QVERIFY(app.LogWindow()->Text().contains(QStringLiteral("START: ")));
        QVERIFY(app.LogWindow()->Text().contains(QStringLiteral("Command Line: LOCAL_PROJ x.xml")));

        CKestrelDlg dialog;
        QVERIFY(showActive(dialog));
        QAction* entry = dialog.SystemMenu()->actions().last();
        dialog.OnSysCommand(ids::IDM_LOGWINDOW);
        QVERIFY(app.LogWindow()->isVisible());
        QVERIFY(dialog.IsLogWindowChecked());
        QVERIFY(entry->isChecked());
        QCOMPARE(app.LogWindow()->windowTitle(), QStringLiteral("LOG Messages"));
        QVERIFY(app.LogWindow()->Edit()->isReadOnly());

        // New lines appear at the bottom, in view.
        for (int i = 0; i < 200; ++i) {
            app.WriteLog(QStringLiteral("line %1").arg(i));
        }
        QVERIFY(app.LogWindow()->Text().endsWith(QStringLiteral(": line 199")));
        QScrollBar* bar = app.LogWindow()->Edit()->verticalScrollBar();
        QCOMPARE(bar->value(), bar->maximum());

        entry->trigger(); // as chosen from the menu
        QVERIFY(!app.LogWindow()->isVisible());
        QVERIFY(!dialog.IsLogWindowChecked());
        QVERIFY(!entry->isChecked());
    }

    void saveWritesTheFileForALocalProject() {
        TestAppServices services;
        ScriptedAnswerer answers;
        const QString reference;
        int checks = 0;
        bool allow = false;
        CKestrelDlg dialog(pagesComposing(&reference, [&](CKestrelDlg&) {
            ++checks;
            return allow;
        }));
        const QString path = m_dir->filePath(QStringLiteral("local.xml"));
        QVERIFY(openAndShow(dialog, path, QStringLiteral("LOCAL_PROJ")));

        // The pages' checks stop the save before anything is written.
        dialog.OnSaveAndQuit();
        QCOMPARE(checks, 1);
        QVERIFY(!QFile::exists(path));
        QVERIFY(dialog.isVisible());

        allow = true;
        dialog.OnSaveAndQuit();
        QVERIFY(QFile::exists(path));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(IDOK));
        QVERIFY(answers.messages().empty());
        QVERIFY(answers.saveRequests().empty());
        QCOMPARE(services.log.mid(1),
                 (QStringList{
                     QStringLiteral("Saving file to: ") + path,
                     QStringLiteral("Skiping TernSdkDef call due to editing type: LOCAL_PROJ")}));
    }

    void withoutAPathTheSaveDialogChoosesOne() {
        TestAppServices services;
        ScriptedAnswerer answers;
        CKestrelDlg dialog;
        QVERIFY(openAndShow(dialog, QString(), QString()));

        dialog.OnSaveAndQuit(); // cancelled
        QCOMPARE(answers.saveRequests().size(), size_t(1));
        QCOMPARE(answers.saveRequests().front().defaultExtension, QStringLiteral("xml"));
        QVERIFY(answers.saveRequests().front().filter.startsWith(QStringLiteral("XML (*.xml)")));
        QVERIFY(answers.saveRequests().front().confirmOverwrite);
        QVERIFY(dialog.isVisible());

        answers.queueSaveFileName(m_dir->filePath(QStringLiteral("chosen")));
        dialog.OnSaveAndQuit();
        QVERIFY(QFile::exists(m_dir->filePath(QStringLiteral("chosen.xml"))));
        QCOMPARE(dialog.result(), int(IDOK));
        QCOMPARE(services.log.last(),
                 QStringLiteral("Skiping TernSdkDef call due to editing type: "));
    }

    void newProjectIsCreatedInTheStoreAndADuplicateIsRefused() {
        QVERIFY2(XKR_GetAppDB()->m_hSdkDef, "the host library should load from KESTREL_SDKDEF");
        const QString reference = uniqueReference();
        const QString path = m_dir->filePath(QStringLiteral("new.xml"));
        {
            TestAppServices services;
            ScriptedAnswerer answers;
            CKestrelDlg dialog(pagesComposing(&reference));
            QVERIFY(openAndShow(dialog, path, QStringLiteral("NEW_PROJ")));
            dialog.OnSaveAndQuit();
            QCOMPARE(services.log.mid(1),
                     (QStringList{QStringLiteral("Saving file to: ") + path,
                                  QStringLiteral("TernSdkDef::CreateProject call: ") + reference,
                                  QStringLiteral("TernSdkDef::CreateProject ret: 0")}));
            QCOMPARE(dialog.result(), int(IDOK));
            QVERIFY(QFile::exists(path));
            QVERIFY(!dialog.Document().HasDocument());
        }
        // The same reference again, for a file elsewhere: refused, the file written is removed.
        const QString second = m_dir->filePath(QStringLiteral("second.xml"));
        TestAppServices services;
        ScriptedAnswerer answers;
        CKestrelDlg dialog(pagesComposing(&reference));
        QVERIFY(openAndShow(dialog, second, QStringLiteral("new_proj_ref")));
        dialog.OnSaveAndQuit();
        QCOMPARE(services.log.last(), QStringLiteral("TernSdkDef::CreateProject ret: -1"));
        QCOMPARE(answers.messages().size(), size_t(1));
        QCOMPARE(answers.lastText(), GetRCString(ids::IDS_DUPLICATE_REFERENCE));
        QCOMPARE(answers.messages().front().caption, QStringLiteral("Kestrel"));
        QVERIFY(!QFile::exists(second));
        QVERIFY(dialog.isVisible());
        QVERIFY(dialog.Document().HasDocument());
    }

    void duplicateOverAnExistingFileGivesTheOldFileBack() {
        const QString reference = uniqueReference();
        const QString path = m_dir->filePath(QStringLiteral("kept.xml"));
        {
            TestAppServices services;
            ScriptedAnswerer answers;
            CKestrelDlg dialog(pagesComposing(&reference));
            QVERIFY(openAndShow(dialog, path, QStringLiteral("NEW_PROJ")));
            dialog.OnSaveAndQuit();
            QCOMPARE(dialog.result(), int(IDOK));
        }
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray before = written.readAll();
        written.close();

        TestAppServices services;
        ScriptedAnswerer answers;
        CKestrelDlg dialog(pagesComposing(&reference));
        QVERIFY(openAndShow(dialog, path, QStringLiteral("NEW_PROJ")));
        dialog.OnSaveAndQuit();
        QCOMPARE(answers.lastText(), GetRCString(ids::IDS_DUPLICATE_REFERENCE));
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), before);
    }

    void editedReferenceIsRenamedBeforeTheFileIsWritten() {
        const QString oldReference = uniqueReference();
        const QString path = m_dir->filePath(QStringLiteral("edit.xml"));
        {
            TestAppServices services;
            CKestrelDlg dialog(pagesComposing(&oldReference));
            dialog.LoadDocument(path);
            dialog.SetEditingType(QStringLiteral("LOCAL_PROJ"));
            dialog.OnSaveAndQuit();
            QVERIFY(QFile::exists(path));
        }
        // Unchanged: only written.
        {
            TestAppServices services;
            CKestrelDlg dialog(pagesComposing(&oldReference));
            dialog.LoadDocument(path);
            QCOMPARE(dialog.LoadedReference(), oldReference);
            dialog.SetEditingType(QStringLiteral("EDIT_PROJ"));
            dialog.OnSaveAndQuit();
            QCOMPARE(services.log.last(),
                     QStringLiteral("Skiping TernSdkDef call due to editing type: EDIT_PROJ"));
        }
        // Changed: renamed, then written.
        const QString newReference = uniqueReference();
        TestAppServices services;
        CKestrelDlg dialog(pagesComposing(&newReference));
        dialog.LoadDocument(path);
        dialog.SetEditingType(QStringLiteral("Edit_Proj"));
        dialog.OnSaveAndQuit();
        QCOMPARE(services.log.mid(1),
                 (QStringList{QStringLiteral("TernSdkDef::RenameProject call: ") + newReference +
                                  QStringLiteral(" -> ") + oldReference,
                              QStringLiteral("TernSdkDef::RenameProject ret: 0"),
                              QStringLiteral("Saving file to: ") + path}));
        QCOMPARE(dialog.result(), int(IDOK));
    }

    void missingLibraryIsOnlyLogged() {
        const QString reference = uniqueReference();
        const QString path = m_dir->filePath(QStringLiteral("nolib.xml"));
        void* const handle = XKR_GetAppDB()->m_hSdkDef;
        XKR_GetAppDB()->m_hSdkDef = nullptr;
        TestAppServices services;
        ScriptedAnswerer answers;
        CKestrelDlg dialog(pagesComposing(&reference));
        QVERIFY(openAndShow(dialog, path, QStringLiteral("NEW_PROJ")));
        dialog.OnSaveAndQuit();
        XKR_GetAppDB()->m_hSdkDef = handle;
        QCOMPARE(services.log.last(), QStringLiteral("TernSdkDef LoadLibary fail: "));
        QVERIFY(answers.messages().empty());
        QVERIFY(QFile::exists(path)); // written, and left in place
        QVERIFY(dialog.isVisible());
    }

    void droppedXmlFileOpensInANewDialog() {
        TestAppServices services;
        ScriptedAnswerer answers;
        CKestrelDlg dialog;
        QVERIFY(openAndShow(dialog, m_dir->filePath(QStringLiteral("first.xml")),
                            QStringLiteral("EDIT_PROJ")));

        dialog.OnDropFiles(m_dir->filePath(QStringLiteral("notes.txt")));
        QVERIFY(answers.messages().empty());
        QVERIFY(dialog.isVisible());

        const QString dropped = m_dir->filePath(QStringLiteral("OTHER.XML"));
        answers.queueAnswer(IDNO);  // do not save the first record
        answers.queueAnswer(IDYES); // quit the second one
        QString nestedType;
        QString nestedPath;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* other = qobject_cast<CKestrelDlg*>(top);
                if (other && other != &dialog && other->isVisible()) {
                    nestedType = other->EditingType();
                    nestedPath = other->FilePath();
                    other->OnQuitWithoutSaving();
                }
            }
        });
        poll.start(20);
        dialog.OnDropFiles(dropped);
        poll.stop();

        QCOMPARE(answers.messages().at(0).text, GetRCString(ids::IDS_SAVE_CURRENT_CHANGES));
        QCOMPARE(answers.messages().at(0).buttons, unsigned(MB_YESNO));
        QCOMPARE(nestedType, QStringLiteral("LOCAL_PROJ"));
        QCOMPARE(nestedPath, dropped);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), ids::IDC_SAVE_AND_QUIT);
        QVERIFY(!dialog.Document().HasDocument());
        QVERIFY(services.log.contains(QStringLiteral("Editing type: LOCAL_PROJ")));
        QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("first.xml"))));
    }

    void droppedFileInAViewOnlyRunIsOpenedWithoutAsking() {
        TestAppServices services(true);
        ScriptedAnswerer answers;
        CKestrelDlg dialog;
        dialog.SetEditingType(QStringLiteral("VIEW_PROJ"));
        QVERIFY(showActive(dialog));
        answers.queueAnswer(IDYES); // the second dialog's quit question
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* other = qobject_cast<CKestrelDlg*>(top);
                if (other && other != &dialog && other->isVisible()) {
                    other->OnQuitWithoutSaving();
                }
            }
        });
        poll.start(20);
        dialog.OnDropFiles(m_dir->filePath(QStringLiteral("viewed.xml")));
        poll.stop();
        QCOMPARE(answers.messages().size(), size_t(1));
        QCOMPARE(answers.lastText(), GetRCString(ids::IDS_ABORT_CHANGES));
        QCOMPARE(dialog.result(), ids::IDC_SAVE_AND_QUIT);
    }

    void focusTargetIsBroughtForward() {
        TestAppServices services;
        CKestrelDlg dialog;
        QVERIFY(showActive(dialog));
        kestrel::BringForward({dialog.MemberPage(), nullptr, nullptr, 0});
        QCOMPARE(dialog.Sheet()->GetActivePage(), dialog.MemberPage());
        kestrel::BringForward({dialog.ProjectPage(), nullptr, nullptr, 0});
        QCOMPARE(dialog.Sheet()->GetActivePage(), dialog.ProjectPage());
    }

    void applicationServesTheRoadTableOnce() {
        CKestrelApp app;
        QCOMPARE(GetAppServices(), static_cast<AppServices*>(&app));
        CListSource* roads = GetRoadTable();
        QVERIFY2(roads, "the road names should load from KESTREL_LOOKUP_DB");
        QVERIFY(roads->GetCount() > 0);
        QCOMPARE(GetRoadTable(), roads);
    }

    void wholeRunWritesItsLinesInOrder() {
        CKestrelApp app;
        const QString path = m_dir->filePath(QStringLiteral("viewed file.xml"));
        // The program's modal loop: end it from inside as the user would.
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<CKestrelDlg*>(top);
                if (dialog && dialog->isVisible()) {
                    dialog->OnQuitWithoutSaving();
                }
            }
        });
        poll.start(50);
        QVERIFY(!app.InitInstance(
            CCommandLineTokens::JoinArguments({"VIEW_PROJ", path.toLocal8Bit()})));
        poll.stop();
        QVERIFY(app.IsViewOnly());
        QCOMPARE(app.ExitInstance(), 0);

        QFile file(app.LogFileName());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
        lines.removeAll(QString());
        const qsizetype start =
            lines.lastIndexOf(QRegularExpression(QStringLiteral(".*: START: -+")));
        QVERIFY(start >= 0);
        QStringList messages;
        for (const QString& line : lines.mid(start)) {
            QVERIFY2(line.startsWith(QLatin1Char(' ')), qPrintable(line));
            messages << line.section(QStringLiteral(": "), 1, -1);
        }
        const QStringList expected = {
            QStringLiteral("START: ----------------------------------"),
            QStringLiteral("Command Line: VIEW_PROJ \"") + path + '"',
            QStringLiteral("Editing type: VIEW_PROJ"),
            // The view-only pass names the dialog's own controls: the sheet's frame and the two
            // buttons (the placeholder pages have none).
            QStringLiteral("Static"),
            QStringLiteral("Button"),
            QStringLiteral("Button"),
            QStringLiteral("COMMAND: Cancel"),
            QStringLiteral("END: ------------------------------------"),
        };
        QCOMPARE(messages, expected);
        // The LOG window saw the same lines.
        QVERIFY(app.LogWindow()->Text().endsWith(
            QStringLiteral("END: ------------------------------------")));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_MAIN(TestMainDialog)
#include "tst_main_dialog.moc"
