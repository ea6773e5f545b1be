#include "app/KestrelDlg.h"

#include "app/AboutDlg.h"
#include "app/AppIcon.h"
#include "app/KestrelApp.h"
#include "app/ResourceIds.h"
#include "controls/InfoWindow.h"
#include "controls/ToolTipPropertyPage.h"
#include "controls/ToolTipPropertySheet.h"
#include "framework/AppServices.h"
#include "framework/ControlId.h"
#include "framework/DialogUnits.h"
#include "framework/MessageBox.h"
#include "sdk/AppDB.h"
#include "sdk/StringTable.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLoggingCategory>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include <future>
#include <system_error>

namespace {
Q_LOGGING_CATEGORY(lcApp, "kestrel.app")
} // namespace

namespace {

// The first dropped item, if it is a local file; "" otherwise.
QString firstDroppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls() || data->urls().isEmpty()) {
        return {};
    }
    const QUrl first = data->urls().constFirst();
    return first.isLocalFile() ? first.toLocalFile() : QString();
}

KestrelPageFactory& installedFactory() {
    static KestrelPageFactory factory;
    return factory;
}

// Runs `work` on a thread of its own; when no thread is to be had, where its result is asked for
// (the lookup lists are then read at their first lookup, as without a thread).
template <class Work> auto alongside(Work work) -> std::future<decltype(work())> {
    try {
        return std::async(std::launch::async, std::move(work));
    } catch (const std::system_error&) {
        return std::async(std::launch::deferred, std::move(work));
    }
}

// The dialog's layout in dialog units: margins 7, buttons 50 x 16, 10 between them. The
// height fits the tallest page, the member page, at the usual font sizes: its controls are made
// when it is first opened, and a window that grew then would jump under the user's pointer.
constexpr int kMarginDlu = 7;
constexpr QSize kButtonDlu(50, 16);
constexpr QSize kDialogDlu(422, 366);

} // namespace

CKestrelDlg::CKestrelDlg(QWidget* parent)
    : CKestrelDlg(installedFactory() ? installedFactory()
                                     : KestrelPageFactory(MakePlaceholderPages),
                  parent) {}

CKestrelDlg::CKestrelDlg(const KestrelPageFactory& factory, QWidget* parent)
    : CToolTipDialog(kestrel::ids::IDD_KESTREL_DIALOG, parent) {
    // Decoding the icon and reading the lookup lists need no widgets, and building the pages
    // takes most of a start: both are done meanwhile, on threads of their own.
    std::future<QImage> icon = alongside([] { return KestrelIconImage(); });
    m_codeLists = alongside([] { XKR_GetAppDB()->LoadCodeLists(); });
    setWindowTitle(QStringLiteral("KESTREL"));
    // A window of its own (shown in the task bar, can be minimised) with no close button: the
    // window manager's close request goes through Quit without saving.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint);
    // Modal as far as its own windows go, yet the LOG window stays usable beside it.
    setWindowModality(Qt::WindowModal);
    setAcceptDrops(true);

    // The layout's frame that marks the sheet's place is one of the dialog's controls until
    // the dialog is set up (a view-only run names it in the log); the sheet then takes over.
    m_pSheetFrame = kestrel::MakeSheetPlaceholder(this, kestrel::ids::IDC_SHEET_FRAME);
    m_pSheet = new CToolTipPropertySheet(this, this);
    m_pages = (factory ? factory : KestrelPageFactory(MakePlaceholderPages))(this);
    // The dialog keeps the loaded reference itself, then tells the page.
    auto pageSetter = m_pages.documentParts.setLoadedReference;
    ProjectParts parts = m_pages.documentParts;
    parts.setLoadedReference = [this, pageSetter](const QString& reference) {
        m_strLoadedReference = reference;
        if (pageSetter) {
            pageSetter(reference);
        }
    };
    m_doc.SetParts(parts);

    buildLayout();
    buildSystemMenu();
    setWindowIcon(QIcon(QPixmap::fromImage(icon.get())));
}

CKestrelDlg::~CKestrelDlg() = default;

void CKestrelDlg::SetPageFactory(KestrelPageFactory factory) {
    installedFactory() = std::move(factory);
}

void CKestrelDlg::buildLayout() {
    const QSize unit = kestrel::DialogUnitsToPixels(font(), QSize(kMarginDlu, kMarginDlu));
    const QSize buttonSize = kestrel::DialogUnitsToPixels(font(), kButtonDlu);

    if (m_pages.projectPage) {
        m_pSheet->AddPage(m_pages.projectPage);
    }
    if (m_pages.memberPage) {
        m_pSheet->AddPage(m_pages.memberPage);
    }
    m_pSheet->setFocusPolicy(Qt::TabFocus);

    m_pSaveButton = new QPushButton(QStringLiteral("Ok"), this);
    kestrel::SetControlId(m_pSaveButton, kestrel::ids::IDC_SAVE_AND_QUIT);
    m_pQuitButton = new QPushButton(QStringLiteral("Cancel"), this);
    kestrel::SetControlId(m_pQuitButton, kestrel::ids::IDC_QUIT_WITHOUT_SAVING);
    for (QPushButton* button : {m_pSaveButton, m_pQuitButton}) {
        // Neither is a default button: Enter never ends the dialog.
        button->setAutoDefault(false);
        button->setDefault(false);
        button->setMinimumSize(buttonSize);
    }
    connect(m_pSaveButton, &QPushButton::clicked, this, &CKestrelDlg::OnSaveAndQuit);
    connect(m_pQuitButton, &QPushButton::clicked, this, &CKestrelDlg::OnQuitWithoutSaving);

    m_pMandatoryText =
        new QLabel(QStringLiteral("[Fields marked with an asterisk (*) are mandatory]"), this);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(unit.width() * 10 / kMarginDlu);
    buttons->addWidget(m_pMandatoryText, 1, Qt::AlignVCenter);
    buttons->addWidget(m_pSaveButton);
    buttons->addWidget(m_pQuitButton);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(unit.width(), unit.height(), unit.width(), unit.height());
    layout->setSpacing(unit.height());
    layout->addWidget(m_pSheet, 1);
    layout->addLayout(buttons);

    resize(kestrel::DialogUnitsToPixels(font(), kDialogDlu));
}

void CKestrelDlg::buildSystemMenu() {
    m_pSysMenu = new QMenu(this);
    m_pSysMenu->setAccessibleName(QStringLiteral("System"));
    const QString about = GetRCString(kestrel::ids::IDS_ABOUTBOX);
    if (!about.isEmpty()) {
        m_pSysMenu->addSeparator();
        QAction* action = m_pSysMenu->addAction(about);
        connect(action, &QAction::triggered, this,
                [this] { OnSysCommand(kestrel::ids::IDM_ABOUTBOX); });
    }
    m_pLogAction = m_pSysMenu->addAction(QStringLiteral("LOG Window"));
    m_pLogAction->setCheckable(true);
    connect(m_pLogAction, &QAction::triggered, this,
            [this] { OnSysCommand(kestrel::ids::IDM_LOGWINDOW); });

    auto* shortcut = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
    connect(shortcut, &QShortcut::activated, this,
            [this] { showSystemMenu(mapToGlobal(QPoint(0, 0))); });
}

void CKestrelDlg::showSystemMenu(const QPoint& globalPos) {
    m_pLogAction->setChecked(m_bLogWindowChecked);
    m_pSysMenu->popup(globalPos);
}

bool CKestrelDlg::OnInitDialog() {
    CToolTipDialog::OnInitDialog();
    delete m_pSheetFrame;
    m_pSheetFrame = nullptr;
    CreateInfoWindow(this);
    // Once, a moment after the window appears: catch the user's eye.
    QTimer::singleShot(100, this, [this] { QApplication::alert(this); });
    return true;
}

void CKestrelDlg::OnSysCommand(int command) {
    if (command == kestrel::ids::IDM_ABOUTBOX) {
        CAboutDlg about(this);
        about.DoModal();
    } else if (command == kestrel::ids::IDM_LOGWINDOW) {
        if (CKestrelApp* app = CKestrelApp::Current()) {
            app->ShowLogWindow(!m_bLogWindowChecked);
        }
        m_bLogWindowChecked = !m_bLogWindowChecked;
        m_pLogAction->setChecked(m_bLogWindowChecked);
    }
}

void CKestrelDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        if (event->modifiers() == Qt::NoModifier) {
            event->accept();
            OnQuitWithoutSaving();
            return;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        // No default button, so Enter never ends the dialog; but a push button that has the
        // focus is pressed by Enter as by Space, as the platform's dialogs do.
        event->accept();
        auto* button = qobject_cast<QPushButton*>(QApplication::focusWidget());
        if (button && button->window() == this && button->isEnabled() &&
            (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            button->click();
        }
        return;
    }
    default:
        break;
    }
    CToolTipDialog::keyPressEvent(event);
}

void CKestrelDlg::closeEvent(QCloseEvent* event) {
    if (!isVisible()) {
        event->accept();
        return;
    }
    OnQuitWithoutSaving();
    if (isVisible()) {
        event->ignore();
    } else {
        event->accept();
    }
}

void CKestrelDlg::contextMenuEvent(QContextMenuEvent* event) {
    // Reaches the dialog only from its background: controls with a menu of their own keep it.
    showSystemMenu(event->globalPos());
    event->accept();
}

void CKestrelDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (!firstDroppedFile(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void CKestrelDlg::dropEvent(QDropEvent* event) {
    const QString path = firstDroppedFile(event->mimeData());
    if (path.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    // Finish the drop first (the program it came from waits for the answer); the new dialog
    // then runs from this dialog's loop.
    QTimer::singleShot(0, this, [this, path] { OnDropFiles(path); });
}

void CKestrelDlg::OnDropFiles(const QString& path) {
    if (QFileInfo(path).suffix().compare(QLatin1String("xml"), Qt::CaseInsensitive) != 0) {
        return;
    }
    activateWindow();
    raise();
    setFocus(Qt::OtherFocusReason);
    // Here the editing type is compared exactly, as the host spells it.
    if (m_strEditingType != QLatin1String("VIEW_PROJ")) {
        const int answer = kestrel::MessageBox(
            this, GetRCString(kestrel::ids::IDS_SAVE_CURRENT_CHANGES), QStringLiteral("Kestrel"),
            kestrel::MB_YESNO | kestrel::MB_ICONQUESTION);
        if (answer == kestrel::IDYES) {
            OnSaveAndQuit();
            if (m_doc.HasDocument()) {
                return; // the save stopped: stay with this record
            }
        }
    }
    m_doc.DropDocument();
    EndDialog(kestrel::ids::IDC_SAVE_AND_QUIT);

    CKestrelDlg next;
    next.LoadDocument(path);
    next.SetEditingType(QStringLiteral("LOCAL_PROJ"));
    next.DoModal();
}

void CKestrelDlg::reject() {
    OnQuitWithoutSaving();
}

void CKestrelDlg::SetEditingType(const QString& type) {
    m_strEditingType = type;
    kestrel::WriteLog(QStringLiteral("Editing type: ") + type);
}

bool CKestrelDlg::isEditingType(const char* type) const {
    return m_strEditingType.compare(QLatin1String(type), Qt::CaseInsensitive) == 0;
}

void CKestrelDlg::LoadDocument(const QString& path) {
    m_strLoadedReference.clear();
    m_doc.LoadDocument(path);
    using Origin = CProjectDocument::Origin;
    const char* reason = nullptr;
    switch (m_doc.DocumentOrigin()) {
    case Origin::ReplacedNotAFile:
        reason = "not a regular file";
        break;
    case Origin::ReplacedUnreadable:
        reason = "not readable";
        break;
    case Origin::ReplacedUnparsable:
        reason = "not well-formed XML";
        break;
    case Origin::ReplacedForeign:
        reason = "not a project record";
        break;
    default:
        return;
    }
    // Not an activity-log line: the log holds only the lines a run is known to write.
    qCWarning(lcApp, "Cannot use file (%s), starting a new record: %s", reason,
              qUtf8Printable(path));
}

QString CKestrelDlg::WriteXml(pugi::xml_document& doc, pugi::xml_node node) {
    return m_doc.WriteXml(doc, node);
}

QString CKestrelDlg::ReadXml(pugi::xml_document& doc, pugi::xml_node node) {
    return m_doc.ReadXml(doc, node);
}

void CKestrelDlg::OnQuitWithoutSaving() {
    if (!isEditingType("VIEW_PROJ")) {
        // Escape then Enter must not throw the record away: No is the default.
        const int answer = kestrel::MessageBox(
            this, GetRCString(kestrel::ids::IDS_ABORT_CHANGES), QStringLiteral("Kestrel"),
            kestrel::MB_YESNO | kestrel::MB_ICONQUESTION | kestrel::MB_DEFBUTTON2);
        if (answer != kestrel::IDYES) {
            return;
        }
    }
    m_doc.DropDocument();
    kestrel::WriteLog(QStringLiteral("COMMAND: Cancel"));
    EndDialog(kestrel::IDCANCEL);
}
