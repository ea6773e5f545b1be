// The main dialog's shell: quitting (button, Escape, the window manager's close, Enter), the
// window menu's LOG window entry, Save & Quit with the host's store, and dropped files. And the
// bases every form stands on: the tooltip bases (every control's tip and accessible description
// from the string table, the view-only pass, the relay set with its application-wide hook) and
// the info window (where the note goes, how it stays on the screen, how long it stays, what a
// screen reader is told, and that it never takes the focus).

#include "TestAppServices.h"
#include "TestFiles.h"
#include "TestForm.h"
#include "app/KestrelApp.h"
#include "app/KestrelDlg.h"
#include "app/LogDlg.h"
#include "app/ResourceIds.h"
#include "controls/InfoWindow.h"
#include "controls/ToolTipDialog.h"
#include "controls/ToolTipRelay.h"
#include "framework/ControlId.h"
#include "framework/DialogUnits.h"
#include "framework/MessageBox.h"
#include "sdk/AppDB.h"
#include "sdk/StringTable.h"

#include <QtTest>
#include <QtWidgets>

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

// Stands in for the host's library while it lives: the dialog then finds CreateProject and
// RenameProject among this test program's own exports (below), each answered with `answer`
// after `during` ran.
class FakeStore {
public:
    FakeStore() : m_real(std::exchange(XKR_GetAppDB()->m_hSdkDef, dlopen(nullptr, RTLD_NOW))) {
        s_current = this;
    }
    ~FakeStore() {
        s_current = nullptr;
        dlclose(std::exchange(XKR_GetAppDB()->m_hSdkDef, m_real));
    }
    static int Call() {
        if (!s_current)
            return -4;
        const QCursor* cursor = QGuiApplication::overrideCursor();
        s_current->waitCursorInEveryCall &= cursor && cursor->shape() == Qt::WaitCursor;
        if (s_current->during)
            s_current->during();
        return s_current->answer;
    }

    int answer = 0;
    std::function<void()> during;
    bool waitCursorInEveryCall = true;

private:
    static inline FakeStore* s_current = nullptr;
    void* m_real;
};

// Loads the record (unless there is none), names the editing type and shows the dialog.
bool openAndShow(CKestrelDlg& dialog, const QString& path, const QString& editingType) {
    dialog.LoadDocument(path);
    dialog.SetEditingType(editingType);
    dialog.show();
    dialog.activateWindow();
    return QTest::qWaitForWindowActive(&dialog);
}

// The save's steps as the log tells them: "Saving", "Skiping", "Create R", "Rename R -> S".
QString saveSteps(const QStringList& log) {
    static const QRegularExpression steps(QStringLiteral("^Saving|^Skiping|call: ")),
        noise(QStringLiteral("TernSdkDef::|Project call:| file to: .*| TernSdkDef call .*"));
    return log.filter(steps).replaceInStrings(noise, QString()).join(QStringLiteral(", "));
}

// What the store answers to a save composing "NEW-2", and what the save then leaves behind.
enum Trouble { kNone, kUnreadable, kFolderLockedInCall, kNoFolder };
struct StoreCase {
    const char* what;
    const char* editingType;
    const char* inFile; // the reference the file holds before; null: no file
    int answer;
    const char* steps;
    int box;                 // the first box's string id; 0 none, -1 the save error
    Trouble trouble = kNone; // a refused save puts the previous file back unless it is in trouble
};
const int kDup = ids::IDS_DUPLICATE_REFERENCE, kFailed = ids::IDS_CREATE_FAILED;
const char* const kCreate = "Saving, Create NEW-2";
const StoreCase kStoreCases[] = {
    {"created", "NEW_PROJ", "OLD-1", 0, kCreate, 0},
    {"created with its path", "new_proj_ref", nullptr, 0, kCreate, 0},
    {"duplicate, no file", "NEW_PROJ", nullptr, -1, kCreate, kDup},
    {"duplicate, a file", "NEW_PROJ", "OLD-1", -1, kCreate, kDup},
    {"store error", "NEW_PROJ", "OLD-1", -4, kCreate, kFailed},
    {"an unreadable file", "NEW_PROJ", "OLD-1", -1, kCreate, kDup, kUnreadable},
    {"no file, folder locked", "NEW_PROJ", nullptr, -1, kCreate, kDup, kFolderLockedInCall},
    {"a file, folder locked", "NEW_PROJ", "OLD-1", -1, kCreate, kDup, kFolderLockedInCall},
    {"renamed", "Edit_Proj", "OLD-1", 0, "Rename NEW-2 -> OLD-1, Saving", 0},
    {"rename: duplicate", "EDIT_PROJ", "OLD-1", -1, "Rename NEW-2 -> OLD-1", kDup},
    // The file cannot be written: the rename is taken back, or the next try finds NEW-2 taken.
    {"rename taken back", "EDIT_PROJ", "OLD-1", 0,
     "Rename NEW-2 -> OLD-1, Saving, Rename OLD-1 -> NEW-2", -1, kNoFolder},
    {"reference kept", "EDIT_PROJ", "NEW-2", -1, "Saving, Skiping", 0},
    // A file without a reference was never registered: it is created, and put back if refused.
    {"no reference, duplicate", "EDIT_PROJ", "", -1, kCreate, kDup},
    {"blank reference", "EDIT_PROJ", "   ", 0, kCreate, 0},
};

// A form with one control of every kind the pass treats differently.
struct FormDialog : CToolTipDialog {
    FormDialog() : CToolTipDialog(999) {}
    QLayout* layout = new QVBoxLayout(this); // first: the controls below are stacked in it
    QLineEdit* title = addControl<QLineEdit>(this, 1004);
    QLabel* label = addControl<QLabel>(this, -1, QStringLiteral("Project &title:"));
    QPlainTextEdit* description = addControl<QPlainTextEdit>(this, 1030);
    QPushButton* save = addControl<QPushButton>(this, 1055);
    QPushButton* quit = addControl<QPushButton>(this, 1056);
    QCheckBox* partial = addControl<QCheckBox>(this, 1016);
    QComboBox* category = addControl<QComboBox>(this, 1054);
    QDateEdit* commencement = addControl<QDateEdit>(this, 1005);
    QFrame* frame = addControl<QFrame>(this, 1003);
    QTreeWidget* roads = addControl<QTreeWidget>(this, 1059);
    QTreeWidget* roles = addControl<QTreeWidget>(this, 1060);
    QTreeWidget* lots = addControl<QTreeWidget>(this, 1020);
};

class NamedRelay : public CToolTipRelay {
public:
    long RelayEvent(QWidget*, QEvent*) override { return 0; }
    QWidget* GetRelayWnd() const override { return nullptr; }
};

// A frameless window whose one field sits at a chosen screen position, with `room` above and to
// its left, shown with the focus in the field.
struct FieldWindow {
    explicit FieldWindow(QPoint fieldPos, QSize room) {
        window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        (new QVBoxLayout(&window))->setContentsMargins(room.width(), room.height(), 0, 0);
        window.layout()->addWidget(field);
        window.setGeometry(
            QRect(fieldPos - QPoint(room.width(), room.height()), room + QSize(200, 24)));
        CreateInfoWindow(&window);
        window.show();
        if (!QTest::qWaitForWindowActive(&window))
            qFatal("the field's window did not become active");
        field->setFocus();
    }
    QWidget window;
    QLineEdit* field = new QLineEdit(&window);
};

QRect noteOnScreen() {
    return QRect(InfoWindow()->mapToGlobal(QPoint(0, 0)), InfoWindow()->size());
}

} // namespace

Q_DECLARE_METATYPE(StoreCase)

extern "C" Q_DECL_EXPORT int CreateProject(const char*) {
    return FakeStore::Call();
}

extern "C" Q_DECL_EXPORT int RenameProject(const char*, const char*) {
    return FakeStore::Call();
}

class TestMainDialog : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
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

    // Every box of the save flow that reports a failure: its text, the program's caption, a
    // plain OK button and no icon.
    static void expectPlainBox(const ScriptedAnswerer::Message& box, const QString& text) {
        QCOMPARE(box.text, text);
        QCOMPARE(box.caption, QStringLiteral("Kestrel"));
        QCOMPARE(box.buttons | box.icon, unsigned(MB_OK));
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
        poll.start(10);
        // The drop is finished first; the new dialog then runs modal inside this loop.
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        return opened;
    }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    // Enter does not quit; Escape and the window manager's close ask first, and No keeps the
    // dialog. (A view-only run quitting without asking: the registration test.)
    void quitting() {
        TestAppServices services;
        ScriptedAnswerer answers;
        CKestrelDlg dialog;
        QVERIFY(openAndShow(dialog, path("new.xml"), QStringLiteral("NEW_PROJ")));
        QVERIFY(!dialog.windowIcon().isNull());
        QTest::keyClick(&dialog, Qt::Key_Return);
        QTest::keyClick(GetDlgItem(&dialog, ids::IDC_SAVE_AND_QUIT), Qt::Key_Enter);
        QTest::keyClick(&dialog, Qt::Key_Escape, Qt::ShiftModifier); // not a cancel
        QVERIFY(dialog.isVisible() && answers.messages().empty() && answers.saveRequests().empty());
        QTest::keyClick(&dialog, Qt::Key_Escape); // answered No
        QVERIFY(!dialog.close());                 // answered No
        QCOMPARE(answers.messages().size(), size_t(2));
        QCOMPARE(answers.lastText(), GetRCString(123));
        answers.queueAnswer(IDYES);
        QVERIFY(dialog.close());
        QCOMPARE(dialog.result(), int(IDCANCEL));
        QCOMPARE(services.log, (QStringList{QStringLiteral("Editing type: NEW_PROJ"),
                                            QStringLiteral("COMMAND: Cancel")}));
    }

    // Windows are sized in units of their font: a larger font gives larger units, whichever
    // font was measured before.
    void dialogUnitsFollowTheFont() {
        const QFont small = QApplication::font();
        QFont large = small;
        large.setPointSizeF(small.pointSizeF() * 2);
        const QSize first = DialogBaseUnits(small), bigger = DialogBaseUnits(large);
        // Across, the letters' average width, rounded.
        const int letters = QFontMetrics(small).horizontalAdvance(
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
        QVERIFY(qAbs(first.width() * 52 - letters) <= 26);
        QVERIFY(bigger.width() > first.width() && bigger.height() > first.height());
        QCOMPARE(DialogBaseUnits(small), first);
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

    // A folder or a read-only file: the file dialog opens, and cancelling it keeps the dialog.
    // (No path at all: the store's cases; something that is no file: the registration test.)
    void saveDialogOpensWhenThePathCannotBeUsed() {
        TestAppServices services;
        ScriptedAnswerer answers;
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder.xml")));
        saveRecord(path("locked.xml"), QString(), "LOCAL_PROJ");
        QVERIFY(QFile::setPermissions(path("locked.xml"), QFile::ReadOwner));
        for (const char* unusable : {"folder.xml", "locked.xml"}) {
            CKestrelDlg dialog;
            QVERIFY(openAndShow(dialog, path(unusable), QStringLiteral("LOCAL_PROJ")));
            const size_t asked = answers.saveRequests().size();
            dialog.OnSaveAndQuit(); // cancelled
            if (QFileInfo(path(unusable)).isWritable() && QFileInfo(path(unusable)).isFile())
                QSKIP("file permissions do not bind this user");
            QCOMPARE(answers.saveRequests().size(), asked + 1);
            QVERIFY(answers.messages().empty() && dialog.isVisible());
        }
    }

    // With the host's library a new project is registered in the store once its file is written;
    // without the library the file is written and the failure only logged.
    void newProjectIsCreatedInTheStore() {
        QVERIFY2(XKR_GetAppDB()->m_hSdkDef, "the host library should load from KESTREL_SDKDEF");
        // The store outlives the run: a reference it cannot hold yet.
        const QString reference = QUuid::createUuid().toString(QUuid::Id128);
        QCOMPARE(saveRecord(path("new.xml"), reference, "NEW_PROJ").mid(1),
                 (QStringList{QStringLiteral("Saving file to: ") + path("new.xml"),
                              QStringLiteral("TernSdkDef::CreateProject call: ") + reference,
                              QStringLiteral("TernSdkDef::CreateProject ret: 0")}));
        void* const handle = std::exchange(XKR_GetAppDB()->m_hSdkDef, nullptr);
        const QStringList log = saveRecord(path("second.xml"), reference + "2", "new_proj");
        XKR_GetAppDB()->m_hSdkDef = handle;
        QCOMPARE(log.last(), QStringLiteral("TernSdkDef LoadLibary fail: "));
        QVERIFY(QFile::exists(path("new.xml")) && QFile::exists(path("second.xml")));
    }

    // The store works under the wait cursor, and its refusal comes in a plain box. A refused new
    // project puts the previous file back, or says it cannot and removes nothing it could not
    // put back.
    void theStoresAnswerIsShownAndAFailedCreateIsUndone_data() {
        QTest::addColumn<StoreCase>("c");
        for (const StoreCase& c : kStoreCases)
            QTest::newRow(c.what) << c;
    }

    void theStoresAnswerIsShownAndAFailedCreateIsUndone() {
        QFETCH(StoreCase, c);
        const QString folder = path("box"), file = path("box/record.xml");
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("box")));
        const auto unlock = [&] {
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
        };
        const auto unlockAtTheEnd = qScopeGuard(unlock);
        if (c.inFile)
            saveRecord(file, QString::fromLatin1(c.inFile), "LOCAL_PROJ");
        const QByteArray before = readFile(file);
        if (c.trouble == kUnreadable)
            QVERIFY(QFile::setPermissions(file, QFile::WriteOwner));
        FakeStore store;
        store.answer = c.answer;
        if (c.trouble == kFolderLockedInCall)
            store.during = [&] {
                QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
            };
        const QString reference = QStringLiteral("NEW-2"), gone = path("gone/record.xml");
        TestAppServices services;
        ScriptedAnswerer answers;
        answers.queueSaveFileName(path("box/record")); // the file dialog adds ".xml"
        CKestrelDlg dialog(pagesComposing(&reference));
        const bool isNew = QByteArray(c.editingType) == "NEW_PROJ";
        QVERIFY(openAndShow(dialog, isNew ? QString() : file, c.editingType));
        if (c.trouble == kNoFolder)
            dialog.Document().SetFilePath(gone);
        {
            const FilePermissionsBind permissionsBind;
            dialog.OnSaveAndQuit();
        }
        unlock(); // to look at what the save left

        QCOMPARE(saveSteps(services.log), c.steps);
        QVERIFY(store.waitCursorInEveryCall && !QGuiApplication::overrideCursor());
        if (c.box == 0) {
            QVERIFY(answers.messages().empty());
            QCOMPARE(dialog.result(), int(IDOK));
            QVERIFY(readFile(file).contains(reference.toUtf8()));
            return;
        }
        expectPlainBox(answers.messages().front(),
                       c.box > 0 ? GetRCString(c.box)
                                 : "Error encountered while saving to file: \n" + gone +
                                       "\nPlease try again.");
        QVERIFY(!answers.messages().front().cursorOverriddenWhenShown);
        QVERIFY(dialog.isVisible());
        if (c.trouble == kNone || c.trouble == kNoFolder) {
            QCOMPARE(answers.messages().size(), size_t(1));
            QCOMPARE(QFile::exists(file), c.inFile != nullptr);
            QCOMPARE(readFile(file), before);
            return;
        }
        QVERIFY(readFile(file).contains(reference.toUtf8()));
        QCOMPARE(answers.messages().size(), size_t(2));
        expectPlainBox(answers.messages().back(),
                       "Error encountered while restoring the previous file: \n" + file +
                           "\nThe file now holds this record, which is not registered.");
    }

    // Only the first dropped file counts, and only when it is XML (in any case): this record is
    // left (its changes not saved when the user says No) for a new dialog on that file.
    void firstDroppedXmlFileOpensInANewDialog() {
        TestAppServices services;
        ScriptedAnswerer answers;
        CKestrelDlg dialog;
        QVERIFY(openAndShow(dialog, path("first.xml"), QStringLiteral("EDIT_PROJ")));
        // A drag of files is welcome (the window system offers drags only to a window that
        // takes drops); one of text is not.
        QVERIFY(dialog.acceptDrops());
        QMimeData files, text;
        files.setUrls({QUrl::fromLocalFile(path("other.xml"))});
        text.setText(path("other.xml"));
        for (const auto& [data, welcome] : {std::pair{&files, true}, {&text, false}}) {
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data, Qt::LeftButton, {});
            static_cast<QObject&>(dialog).event(&enter);
            QCOMPARE(enter.isAccepted(), welcome);
        }
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

    // Each numbered control's tip and accessible description come from the string table ("&&"
    // reads as one "&"); no string, or no number, no tip. The relay takes a mouse event for a
    // tool, its inner parts included, and no other. A view-only run locks the form, but edits
    // stay enabled (their text can still be selected), and so do Quit without saving and lists
    // other than roads and roles.
    void tipsAndTheViewOnlyPass() {
        TestAppServices services(true);
        FormDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        for (QWidget* control : std::initializer_list<QWidget*>{dialog.title, dialog.description,
                                                                dialog.partial, dialog.roads}) {
            const QString text = GetRCString(kestrel::GetControlId(control));
            QVERIFY(!text.isEmpty() && control->toolTip() == text);
            QCOMPARE(control->accessibleDescription(), text);
        }
        QCOMPARE(dialog.save->toolTip(), QStringLiteral("Save & Quit"));
        QVERIFY(dialog.frame->toolTip().isEmpty() && !dialog.ToolTip().HasTool(dialog.frame));
        QVERIFY(dialog.label->toolTip().isEmpty() && !dialog.ToolTip().HasTool(dialog.label));
        QMouseEvent move(QEvent::MouseMove, QPointF(1, 1), QPointF(1, 1), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCOMPARE(dialog.RelayEvent(dialog.description->viewport(), &move), 1L);
        QCOMPARE(dialog.RelayEvent(dialog.label, &move), 0L);
        QVERIFY(dialog.title->isReadOnly() && dialog.description->isReadOnly());
        QVERIFY(dialog.title->isEnabled() && dialog.description->isEnabled());
        QVERIFY(dialog.quit->isEnabled() && dialog.lots->isEnabled() && dialog.frame->isEnabled());
        for (QWidget* locked :
             std::initializer_list<QWidget*>{dialog.save, dialog.partial, dialog.category,
                                             dialog.commencement, dialog.roads, dialog.roles})
            QVERIFY2(!locked->isEnabled(), qPrintable(locked->metaObject()->className()));
    }

    // The relay set: null refused, twice changes nothing, the hook installed while any is set.
    void relaySetCodesAndHook() {
        NamedRelay a, b;
        // Evaluated in order: null refused, a second registration changes nothing.
        QCOMPARE((QList<long>{RegisterToolTipRelay(nullptr), UnregisterToolTipRelay(nullptr),
                              RegisterToolTipRelay(&a), RegisterToolTipRelay(&a),
                              RegisterToolTipRelay(&b), UnregisterToolTipRelay(&a)}),
                 (QList<long>{-1, -1, 0, 0, 0, 0}));
        QVERIFY(RegisteredToolTipRelayCount() == 1 && ToolTipRelayHookInstalled());
        QCOMPARE(UnregisterToolTipRelay(&b), 0L);
        QVERIFY(!ToolTipRelayHookInstalled());
        QCOMPARE(UnregisterToolTipRelay(&a), E_INVALIDARG);
    }

    // The note: shown only while someone types, just above its field, drawn by the field's
    // window (never taking the focus), an alert named by its text to a screen reader, kept on the
    // screen, gone by itself after three seconds.
    void theNoteSitsAboveItsFieldAndGoesByItself() {
        {
            QWidget owner;
            QLineEdit field(&owner);
            CreateInfoWindow(&owner); // never shown: no window of the program has the focus
            ShowInfo(&field, QStringLiteral("nobody sees this"));
            QVERIFY(!InfoWindow()->isVisible());
        }
        {
            // At the screen's top right corner: moved down over the field and in from the edge.
            const QRect screen = QGuiApplication::primaryScreen()->geometry();
            FieldWindow corner(QPoint(screen.right() - 60, screen.top()), QSize(340, 0));
            ShowInfo(corner.field, QStringLiteral("a rather long message that needs room"));
            QCOMPARE(noteOnScreen().topRight(), screen.topRight());
        }
        {
            // Wider than the window that draws it: held inside, from the window's left edge.
            FieldWindow narrow(QPoint(300, 300), QSize(0, 40));
            ShowInfo(narrow.field, QString(60, QLatin1Char('W')));
            QCOMPARE(noteOnScreen().left(), narrow.window.mapToGlobal(QPoint(0, 0)).x());
        }
        FieldWindow form(QPoint(100, 200), QSize(0, 40));
        QVERIFY(form.field->hasFocus());
        ShowInfo(form.field, QStringLiteral(" Invalid postal code "));
        CInfoWindow* note = InfoWindow();
        const QRect field(form.field->mapToGlobal(QPoint(0, 0)), form.field->size());
        QCOMPARE(noteOnScreen().left(), field.left());
        QVERIFY(noteOnScreen().bottom() < field.top() &&
                field.top() - noteOnScreen().bottom() <= 3);
        QVERIFY(!note->isWindow() && note->window() == &form.window);
        QAccessibleInterface* alert = QAccessible::queryAccessibleInterface(note);
        QVERIFY(alert->role() == QAccessible::AlertMessage && !alert->state().disabled);
        QCOMPARE(alert->text(QAccessible::Name), QStringLiteral("Invalid postal code"));
        QElapsedTimer shown;
        shown.start();
        QTRY_VERIFY_WITH_TIMEOUT(!note->isVisible(), 5000);
        QVERIFY(shown.elapsed() >= 2500);
        QVERIFY(form.field->hasFocus());
        QCOMPARE(QApplication::activeWindow(), &form.window);
    }
};

QTEST_MAIN(TestMainDialog)
#include "MainDialogTest.moc"
