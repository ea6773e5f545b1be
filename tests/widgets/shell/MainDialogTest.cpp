// The main dialog's shell: quitting (button, Escape, the window manager's close, Enter), the
// window menu's LOG window entry, Save & Quit with the host library, and dropped files.

#include "TestAppServices.h"
#include "TestFiles.h"
#include "app/KestrelApp.h"
#include "app/KestrelDlg.h"
#include "app/LogDlg.h"
#include "app/ResourceIds.h"
#include "framework/ControlId.h"
#include "framework/MessageBox.h"
#include "sdk/AppDB.h"
#include "sdk/StringTable.h"

#include <QCursor>
#include <QDir>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QUuid>
#include <QtTest>

#include <dlfcn.h>
#include <functional>
#include <utility>

using namespace kestrel;

namespace {

// Placeholder pages whose composed reference the test chooses.
KestrelPageFactory pagesComposing(const QString* reference) {
    return [reference](CToolTipHost* host) {
        CKestrelPages pages = MakePlaceholderPages(host);
        pages.documentParts.composedReference = [reference] { return *reference; };
        return pages;
    };
}

QString uniqueReference() {
    return QStringLiteral("T%1-00001-2026")
        .arg(QUuid::createUuid().toString(QUuid::Id128).left(12));
}

// Stands in for the host's library while it lives: the dialog then finds CreateProject and
// RenameProject among this test program's own exports (below). Every call is answered with
// `answer`, after `during` ran.
class FakeStore {
public:
    FakeStore() : m_real(std::exchange(XKR_GetAppDB()->m_hSdkDef, dlopen(nullptr, RTLD_NOW))) {
        s_current = this;
    }
    ~FakeStore() {
        s_current = nullptr;
        dlclose(std::exchange(XKR_GetAppDB()->m_hSdkDef, m_real));
    }
    FakeStore(const FakeStore&) = delete;
    FakeStore& operator=(const FakeStore&) = delete;

    static int Call() {
        if (!s_current) {
            return -4;
        }
        FakeStore& store = *s_current;
        ++store.calls;
        const QCursor* cursor = QGuiApplication::overrideCursor();
        store.waitCursorInEveryCall &= cursor && cursor->shape() == Qt::WaitCursor;
        if (store.during) {
            store.during();
        }
        return store.answer;
    }

    int answer = 0;
    std::function<void()> during;
    int calls = 0;
    bool waitCursorInEveryCall = true;

private:
    static inline FakeStore* s_current = nullptr;
    void* m_real;
};

QPushButton* button(CKestrelDlg& dialog, int id) {
    return qobject_cast<QPushButton*>(GetDlgItem(&dialog, id));
}

// Loads the record (unless there is none), names the editing type and shows the dialog.
bool openAndShow(CKestrelDlg& dialog, const QString& path, const QString& editingType) {
    dialog.LoadDocument(path);
    dialog.SetEditingType(editingType);
    dialog.show();
    dialog.activateWindow();
    return QTest::qWaitForWindowActive(&dialog);
}

} // namespace

extern "C" Q_DECL_EXPORT int CreateProject(const char*) {
    return FakeStore::Call();
}

extern "C" Q_DECL_EXPORT int RenameProject(const char*, const char*) {
    return FakeStore::Call();
}

class TestMainDialog : public QObject {
    Q_OBJECT
private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void escapeCloseAndEnter() {
        TestAppServices services;
        ScriptedAnswerer answers;
        CKestrelDlg dialog;
        QVERIFY(openAndShow(dialog, path("new.xml"), QStringLiteral("NEW_PROJ")));

        QTest::keyClick(&dialog, Qt::Key_Return);
        QTest::keyClick(button(dialog, ids::IDC_SAVE_AND_QUIT), Qt::Key_Enter);
        QVERIFY(dialog.isVisible());
        QVERIFY(answers.messages().empty() && answers.saveRequests().empty());

        QTest::keyClick(&dialog, Qt::Key_Escape); // answered No
        QVERIFY(!dialog.close());                 // the window manager's close, answered No
        QCOMPARE(answers.messages().size(), size_t(2));
        QCOMPARE(answers.messages().front().text, GetRCString(123));
        QCOMPARE(answers.lastText(), GetRCString(123));
        QVERIFY(dialog.isVisible());

        answers.queueAnswer(IDYES);
        QVERIFY(dialog.close());
        QCOMPARE(dialog.result(), int(IDCANCEL));
        QCOMPARE(services.log, (QStringList{QStringLiteral("Editing type: NEW_PROJ"),
                                            QStringLiteral("COMMAND: Cancel")}));
    }

    void viewOnlyRunQuitsWithoutAsking() {
        TestAppServices services(true);
        ScriptedAnswerer answers;
        CKestrelDlg dialog;
        QVERIFY(openAndShow(dialog, QString(), QStringLiteral("view_proj")));
        QTest::mouseClick(button(dialog, ids::IDC_QUIT_WITHOUT_SAVING), Qt::LeftButton);
        QVERIFY(answers.messages().empty() && !dialog.isVisible());
        QCOMPARE(services.log.last(), QStringLiteral("COMMAND: Cancel"));
    }

    void logWindowEntryTogglesTheWindowAndItsMark() {
        CKestrelApp app;
        app.StartUp(QByteArray("LOCAL_PROJ x.xml"));
        QVERIFY(!app.LogWindow()->isVisible());
        CKestrelDlg dialog;
        QAction* entry = dialog.SystemMenu()->actions().last();
        dialog.OnSysCommand(ids::IDM_LOGWINDOW);
        QVERIFY(app.LogWindow()->isVisible());
        QVERIFY(dialog.IsLogWindowChecked() && entry->isChecked());
        entry->trigger(); // as chosen from the menu
        QVERIFY(!app.LogWindow()->isVisible());
        QVERIFY(!dialog.IsLogWindowChecked() && !entry->isChecked());
    }

    void saveDialogOpensWhenThePathCannotBeUsed() {
        TestAppServices services;
        ScriptedAnswerer answers;
        {
            CKestrelDlg dialog;
            QVERIFY(openAndShow(dialog, QString(), QString()));
            dialog.OnSaveAndQuit(); // cancelled
            QCOMPARE(answers.saveRequests().size(), size_t(1));
            QVERIFY(dialog.isVisible());
            answers.queueSaveFileName(path("chosen"));
            dialog.OnSaveAndQuit();
            QVERIFY(QFile::exists(path("chosen.xml")));
            QCOMPARE(dialog.result(), int(IDOK));
        }
        // A folder is no file to write to, whatever its permissions.
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder.xml")));
        {
            CKestrelDlg dialog;
            QVERIFY(openAndShow(dialog, path("folder.xml"), QStringLiteral("LOCAL_PROJ")));
            dialog.OnSaveAndQuit(); // cancelled
            QCOMPARE(answers.saveRequests().size(), size_t(3));
            QVERIFY(answers.messages().empty() && dialog.isVisible());
            QVERIFY(QFileInfo(path("folder.xml")).isDir());
        }
        // The file just written, made read-only.
        QVERIFY(QFile::setPermissions(path("chosen.xml"), QFile::ReadOwner));
        if (QFileInfo(path("chosen.xml")).isWritable()) {
            QSKIP("file permissions do not bind this user");
        }
        CKestrelDlg dialog;
        QVERIFY(openAndShow(dialog, path("chosen.xml"), QStringLiteral("LOCAL_PROJ")));
        dialog.OnSaveAndQuit();
        QCOMPARE(answers.saveRequests().size(), size_t(4));
        QVERIFY(dialog.isVisible());
    }

    void newProjectIsCreatedInTheStoreOnce() {
        QVERIFY2(XKR_GetAppDB()->m_hSdkDef, "the host library should load from KESTREL_SDKDEF");
        const QString reference = uniqueReference();
        {
            TestAppServices services;
            CKestrelDlg dialog(pagesComposing(&reference));
            QVERIFY(openAndShow(dialog, path("new.xml"), QStringLiteral("NEW_PROJ")));
            dialog.OnSaveAndQuit();
            QCOMPARE(services.log.mid(1),
                     (QStringList{QStringLiteral("Saving file to: ") + path("new.xml"),
                                  QStringLiteral("TernSdkDef::CreateProject call: ") + reference,
                                  QStringLiteral("TernSdkDef::CreateProject ret: 0")}));
            QCOMPARE(dialog.result(), int(IDOK));
            QVERIFY(QFile::exists(path("new.xml")));
        }
        // The same reference again, for a file elsewhere: refused, the file written is removed.
        TestAppServices services;
        ScriptedAnswerer answers;
        CKestrelDlg dialog(pagesComposing(&reference));
        QVERIFY(openAndShow(dialog, path("second.xml"), QStringLiteral("new_proj")));
        dialog.OnSaveAndQuit();
        QCOMPARE(services.log.last(), QStringLiteral("TernSdkDef::CreateProject ret: -1"));
        QCOMPARE(answers.messages().size(), size_t(1));
        QCOMPARE(answers.lastText(), GetRCString(ids::IDS_DUPLICATE_REFERENCE));
        QVERIFY(!QFile::exists(path("second.xml")));
        QVERIFY(dialog.isVisible() && dialog.Document().HasDocument());

        // Without the library the file is written and the failure only logged.
        void* const handle = std::exchange(XKR_GetAppDB()->m_hSdkDef, nullptr);
        answers.clear();
        dialog.OnSaveAndQuit();
        XKR_GetAppDB()->m_hSdkDef = handle;
        QCOMPARE(services.log.last(), QStringLiteral("TernSdkDef LoadLibary fail: "));
        QVERIFY(QFile::exists(path("second.xml")));
        QVERIFY(answers.messages().empty() && dialog.isVisible());
    }

    void editedReferenceIsRenamedOnlyWhenChanged() {
        const QString oldReference = uniqueReference();
        const QString newReference = uniqueReference();
        const auto save = [&](const QString& reference, const char* type) {
            return saveRecord(path("edit.xml"), reference, type);
        };
        save(oldReference, "LOCAL_PROJ");
        QCOMPARE(save(oldReference, "EDIT_PROJ").last(),
                 QStringLiteral("Skiping TernSdkDef call due to editing type: EDIT_PROJ"));
        QCOMPARE(save(newReference, "Edit_Proj").mid(1),
                 (QStringList{QStringLiteral("TernSdkDef::RenameProject call: ") + newReference +
                                  QStringLiteral(" -> ") + oldReference,
                              QStringLiteral("TernSdkDef::RenameProject ret: 0"),
                              QStringLiteral("Saving file to: ") + path("edit.xml")}));
    }

    void aRenameIsTakenBackWhenTheFileCannotBeWritten() {
        const QString oldReference = uniqueReference();
        const QString newReference = uniqueReference();
        QCOMPARE(saveRecord(path("edit.xml"), oldReference, "NEW_PROJ").last(),
                 QStringLiteral("TernSdkDef::CreateProject ret: 0"));
        TestAppServices services;
        ScriptedAnswerer answers;
        CKestrelDlg dialog(pagesComposing(&newReference));
        dialog.LoadDocument(path("edit.xml"));
        dialog.SetEditingType(QStringLiteral("EDIT_PROJ"));
        dialog.Document().SetFilePath(path("gone/edit.xml")); // no such folder

        dialog.OnSaveAndQuit();
        const QString rename = QStringLiteral("TernSdkDef::RenameProject call: ");
        QCOMPARE(services.log.mid(1),
                 (QStringList{rename + newReference + QStringLiteral(" -> ") + oldReference,
                              QStringLiteral("TernSdkDef::RenameProject ret: 0"),
                              QStringLiteral("Saving file to: ") + path("gone/edit.xml"),
                              rename + oldReference + QStringLiteral(" -> ") + newReference,
                              QStringLiteral("TernSdkDef::RenameProject ret: 0")}));
        QCOMPARE(answers.lastText(), QStringLiteral("Error encountered while saving to file: \n") +
                                         path("gone/edit.xml") +
                                         QStringLiteral("\nPlease try again."));

        // The next attempt finds the old reference in the store again, not the new one taken.
        dialog.Document().SetFilePath(path("edit.xml"));
        services.log.clear();
        dialog.OnSaveAndQuit();
        QCOMPARE(services.log.at(1), QStringLiteral("TernSdkDef::RenameProject ret: 0"));
        QCOMPARE(dialog.result(), int(IDOK));
    }

    void aRecordWithoutReferenceIsRegisteredWhenEdited_data() {
        QTest::addColumn<QString>("loaded");
        QTest::newRow("empty") << QString();
        QTest::newRow("blanks") << QStringLiteral("   ");
    }

    void aRecordWithoutReferenceIsRegisteredWhenEdited() {
        QFETCH(QString, loaded);
        saveRecord(path("edit.xml"), loaded, "LOCAL_PROJ");
        const QByteArray before = readFile(path("edit.xml"));
        const QString taken = uniqueReference();
        saveRecord(path("other.xml"), taken, "NEW_PROJ");
        const QString create = QStringLiteral("TernSdkDef::CreateProject ");

        // Taken by another project: refused, and the file is as it was.
        ScriptedAnswerer answers;
        QCOMPARE(saveRecord(path("edit.xml"), taken, "EDIT_PROJ").mid(1),
                 (QStringList{QStringLiteral("Saving file to: ") + path("edit.xml"),
                              create + QStringLiteral("call: ") + taken,
                              create + QStringLiteral("ret: -1")}));
        QCOMPARE(answers.lastText(), GetRCString(ids::IDS_DUPLICATE_REFERENCE));
        QCOMPARE(readFile(path("edit.xml")), before);

        QCOMPARE(saveRecord(path("edit.xml"), uniqueReference(), "EDIT_PROJ").last(),
                 create + QStringLiteral("ret: 0"));
        QCOMPARE(answers.messages().size(), size_t(1));
    }

    void aRefusedProjectPutsThePreviousFileBackOrSaysItCannot_data() {
        QTest::addColumn<bool>("fileBefore");
        QTest::addColumn<bool>("unreadable");
        QTest::addColumn<bool>("folderLocked"); // while the store is at work
        QTest::addColumn<bool>("putBack");
        QTest::newRow("no file") << false << false << false << true;
        QTest::newRow("a file") << true << false << false << true;
        QTest::newRow("an unreadable file") << true << true << false << false;
        QTest::newRow("no file, folder locked") << false << false << true << false;
        QTest::newRow("a file, folder locked") << true << false << true << false;
    }

    void aRefusedProjectPutsThePreviousFileBackOrSaysItCannot() {
        QFETCH(bool, fileBefore);
        QFETCH(bool, unreadable);
        QFETCH(bool, folderLocked);
        QFETCH(bool, putBack);
        const QString folder = path("box");
        const QString file = path("box/record.xml");
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("box")));
        const auto unlock = [&] {
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
        };
        const auto unlockAtTheEnd = qScopeGuard(unlock);
        if (fileBefore) {
            saveRecord(file, QStringLiteral("A1-00001-2026"), "LOCAL_PROJ");
        }
        const QByteArray before = readFile(file);
        if (unreadable) {
            QVERIFY(QFile::setPermissions(file, QFile::WriteOwner));
        }
        FakeStore store;
        store.answer = -1;
        if (folderLocked) {
            store.during = [&] {
                QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
            };
        }
        const QString reference = QStringLiteral("A1-00002-2026");
        TestAppServices services;
        ScriptedAnswerer answers;
        answers.queueSaveFileName(file);
        CKestrelDlg dialog(pagesComposing(&reference));
        QVERIFY(openAndShow(dialog, QString(), QStringLiteral("NEW_PROJ")));
        {
            const FilePermissionsBind permissionsBind;
            dialog.OnSaveAndQuit();
        }
        unlock(); // to look at what the save left

        QCOMPARE(store.calls, 1);
        QCOMPARE(answers.messages().front().text, GetRCString(ids::IDS_DUPLICATE_REFERENCE));
        if (putBack) {
            QCOMPARE(answers.messages().size(), size_t(1));
            QCOMPARE(QFile::exists(file), fileBefore);
            QCOMPARE(readFile(file), before);
            return;
        }
        // Nothing is removed that cannot be put back: the file keeps the record just written.
        QVERIFY(readFile(file).contains(reference.toUtf8()));
        QCOMPARE(answers.messages().size(), size_t(2));
        const ScriptedAnswerer::Message& box = answers.messages().back();
        QCOMPARE(box.text,
                 QStringLiteral("Error encountered while restoring the previous file: \n") + file +
                     QStringLiteral("\nThe file now holds this record, which is not registered."));
        QCOMPARE(box.caption, QStringLiteral("Kestrel"));
        QCOMPARE(box.buttons | box.icon, unsigned(MB_OK));
    }

    void theStoreWorksUnderTheWaitCursorAndARefusalComesInAPlainBox_data() {
        QTest::addColumn<QString>("editingType");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("refusal"); // string id, 0 for none
        QTest::newRow("created") << QStringLiteral("NEW_PROJ") << 0 << 0;
        QTest::newRow("create: duplicate")
            << QStringLiteral("NEW_PROJ") << -1 << ids::IDS_DUPLICATE_REFERENCE;
        QTest::newRow("create: store error")
            << QStringLiteral("NEW_PROJ") << -4 << ids::IDS_CREATE_FAILED;
        QTest::newRow("renamed") << QStringLiteral("EDIT_PROJ") << 0 << 0;
        QTest::newRow("rename: duplicate")
            << QStringLiteral("EDIT_PROJ") << -1 << ids::IDS_DUPLICATE_REFERENCE;
        QTest::newRow("rename: no store")
            << QStringLiteral("EDIT_PROJ") << -3 << ids::IDS_CREATE_FAILED;
    }

    void theStoreWorksUnderTheWaitCursorAndARefusalComesInAPlainBox() {
        QFETCH(QString, editingType);
        QFETCH(int, answer);
        QFETCH(int, refusal);
        const QString reference = QStringLiteral("A1-00002-2026");
        saveRecord(path("record.xml"), QStringLiteral("A1-00001-2026"), "LOCAL_PROJ");
        FakeStore store;
        store.answer = answer;
        TestAppServices services;
        ScriptedAnswerer answers;
        CKestrelDlg dialog(pagesComposing(&reference));
        QVERIFY(openAndShow(dialog, path("record.xml"), editingType));

        dialog.OnSaveAndQuit();
        QCOMPARE(store.calls, 1);
        QVERIFY(store.waitCursorInEveryCall);
        QVERIFY(!QGuiApplication::overrideCursor());
        if (refusal == 0) {
            QVERIFY(answers.messages().empty());
            QCOMPARE(dialog.result(), int(IDOK));
            return;
        }
        QCOMPARE(answers.messages().size(), size_t(1));
        const ScriptedAnswerer::Message& box = answers.messages().front();
        QCOMPARE(box.text, GetRCString(refusal));
        QCOMPARE(box.caption, QStringLiteral("Kestrel"));
        QCOMPARE(box.buttons | box.icon, unsigned(MB_OK));
        QVERIFY(!box.cursorOverriddenWhenShown);
        QVERIFY(dialog.isVisible());
    }

    void firstDroppedXmlFileOpensInANewDialog() {
        TestAppServices services;
        ScriptedAnswerer answers;
        CKestrelDlg dialog;
        QVERIFY(openAndShow(dialog, path("first.xml"), QStringLiteral("EDIT_PROJ")));
        QVERIFY(drop(dialog, "notes.txt", "other.xml").isEmpty());
        QVERIFY(answers.messages().empty() && dialog.isVisible());

        answers.queueAnswer(IDNO);  // do not save the first record
        answers.queueAnswer(IDYES); // quit the second one
        QCOMPARE(drop(dialog, "OTHER.XML", "another.xml"), path("OTHER.XML"));
        QCOMPARE(answers.messages().at(0).text, GetRCString(ids::IDS_SAVE_CURRENT_CHANGES));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), ids::IDC_SAVE_AND_QUIT);
        QVERIFY(services.log.contains(QStringLiteral("Editing type: LOCAL_PROJ")));
    }

private:
    QString path(const char* name) const { return m_dir->filePath(QString::fromLatin1(name)); }

    // One Save & Quit of the record at file, composing reference, without showing the dialog;
    // the activity log it wrote.
    static QStringList saveRecord(const QString& file, const QString& reference,
                                  const char* editingType) {
        TestAppServices services;
        CKestrelDlg dialog(pagesComposing(&reference));
        dialog.LoadDocument(file);
        dialog.SetEditingType(QString::fromLatin1(editingType));
        dialog.OnSaveAndQuit();
        return services.log;
    }

    // Drops two files on the dialog; the path of the dialog that opened for them, if any, which
    // is then quit.
    QString drop(CKestrelDlg& dialog, const char* first, const char* second) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path(first)), QUrl::fromLocalFile(path(second))});
        QDropEvent event(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        static_cast<QObject&>(dialog).event(&event); // straight in: no drag is in progress
        QString opened;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* other = qobject_cast<CKestrelDlg*>(top);
                if (other && other != &dialog && other->isVisible()) {
                    opened = other->FilePath();
                    other->OnQuitWithoutSaving();
                }
            }
        });
        poll.start(20);
        QTest::qWait(300);
        return opened;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_MAIN(TestMainDialog)
#include "MainDialogTest.moc"
