#pragma once
// The main registration dialog (dialog 102, "KESTREL"): the outer sheet with the project and
// member pages, Save & Quit (1055) and Quit without saving (1056), the window menu with the About
// box and the LOG window entry. It owns the project document for the whole run.

#include "app/KestrelPages.h"
#include "controls/ToolTipDialog.h"
#include "document/ProjectDocument.h"
#include "document/XmlRecordGroup.h"
#include "framework/FocusTarget.h"

#include <QString>

#include <future>

class CPropertyPage;
class CPropertySheet;
class CToolTipPropertySheet;
class QAction;
class QLabel;
class QMenu;
class QPushButton;

class CKestrelDlg : public CToolTipDialog, public CXmlRecordGroup {
    Q_OBJECT
public:
    // With the pages of the installed factory (see SetPageFactory).
    explicit CKestrelDlg(QWidget* parent = nullptr);
    CKestrelDlg(const KestrelPageFactory& factory, QWidget* parent = nullptr);
    ~CKestrelDlg() override;

    // The factory every dialog built without one uses; an empty one restores the placeholders.
    static void SetPageFactory(KestrelPageFactory factory);

    // Stores the editing type and logs "Editing type: " + type.
    void SetEditingType(const QString& type);
    const QString& EditingType() const { return m_strEditingType; }

    // Opens the file (or starts a new record) and hands its parts to the pages.
    void LoadDocument(const QString& path);
    CProjectDocument& Document() { return m_doc; }
    QString FilePath() const { return m_doc.FilePath(); }
    // The reference read from the file ("" for a new record).
    const QString& LoadedReference() const { return m_strLoadedReference; }

    // The document-level exchange: the project element.
    QString WriteXml(pugi::xml_document& doc, pugi::xml_node node) override;
    QString ReadXml(pugi::xml_document& doc, pugi::xml_node node) override;

    // Button 1055.
    void OnSaveAndQuit();
    // Button 1056, Escape and the window manager's close request.
    void OnQuitWithoutSaving();
    // A file dropped on the dialog: an ".xml" file replaces this dialog by a new one editing
    // that file ("LOCAL_PROJ"), run modally from here; this one ends with IDC_SAVE_AND_QUIT.
    // Anything else is ignored.
    void OnDropFiles(const QString& path);
    // Window-menu commands: IDM_ABOUTBOX shows the About box, IDM_LOGWINDOW toggles the LOG
    // window and its check mark.
    void OnSysCommand(int command);

    // Where a failed check sends the user (see kestrel::BringForward).
    using FocusTarget = kestrel::FocusTarget;

    CToolTipPropertySheet* Sheet() const { return m_pSheet; }
    CToolTipPropertyPage* ProjectPage() const { return m_pages.projectPage; }
    CToolTipPropertyPage* MemberPage() const { return m_pages.memberPage; }
    QMenu* SystemMenu() const { return m_pSysMenu; }
    bool IsLogWindowChecked() const { return m_bLogWindowChecked; }

protected:
    bool OnInitDialog() override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

public slots:
    // Every way the dialog would be cancelled goes through Quit without saving.
    void reject() override;

private:
    void buildLayout();
    void buildSystemMenu();
    void showSystemMenu(const QPoint& globalPos);
    bool chooseFileName();
    bool isEditingType(const char* type) const;
    void saveAndRegisterNew(const QString& path);
    void renameThenSave(const QString& path, const QString& composed);
    void undoRename(const QString& composed);
    void saveOnly(const QString& path);
    QString composedReference() const;
    void showStoreRefusal(int result);
    void showSaveError(const QString& path);
    void showError(const QString& text);

    QWidget* m_pSheetFrame = nullptr; // frame 1003: where the sheet goes, until it is set up
    CToolTipPropertySheet* m_pSheet = nullptr;
    CKestrelPages m_pages;
    QPushButton* m_pSaveButton = nullptr;
    QPushButton* m_pQuitButton = nullptr;
    QLabel* m_pMandatoryText = nullptr;
    QMenu* m_pSysMenu = nullptr;
    QAction* m_pLogAction = nullptr;
    bool m_bLogWindowChecked = false;

    CProjectDocument m_doc;
    QString m_strEditingType = QStringLiteral("LOCAL_PROJ");
    QString m_strLoadedReference;
    // The lookup lists, read on a thread of their own while the pages are built; lookups made
    // meanwhile wait for the list they need under the database's lock.
    std::future<void> m_codeLists;
};
