// Save & Quit of the main dialog: update the pages, run their checks, rebuild the project
// element, choose the file, then write it and create or rename the project in the host's store
// as the editing type asks.

#include "app/KestrelDlg.h"
#include "app/ResourceIds.h"
#include "controls/ToolTipPropertyPage.h"
#include "framework/AppServices.h"
#include "framework/MessageBox.h"
#include "sdk/AppDB.h"
#include "sdk/FileNames.h"
#include "sdk/RunTimeLibrary.h"
#include "sdk/StringTable.h"
#include "sdk/XmlHelpers.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QLoggingCategory>

#include <limits>
#include <optional>

namespace {

Q_LOGGING_CATEGORY(lcSave, "kestrel.app")

const QString& appName() {
    static const QString name = QStringLiteral("Kestrel");
    return name;
}

// The file as it was before a save that may have to be undone, so undoing it never destroys
// what the user had there. Only a regular file is read: a named pipe would wait for a writer.
class PreviousFile {
public:
    explicit PreviousFile(const QString& path)
        : m_path(path), m_existed(StatLocalFile(path).exists),
          m_content(ReadLocalFile(path, std::numeric_limits<qint64>::max())) {}
    // Puts the previous file back, or removes the written one when there was none. False when
    // the path no longer holds what it held before; the written file then stays, for a previous
    // file that could not be read cannot be put back, and the written one is all there is.
    bool Restore() const {
        if (!m_existed) {
            return RemoveLocalFile(m_path) || !StatLocalFile(m_path).exists;
        }
        if (!m_content) {
            return false;
        }
        return SaveBytesAtomically(m_path, *m_content) == kXmlSaveOk;
    }

private:
    QString m_path;
    bool m_existed;
    std::optional<QByteArray> m_content; // nothing when there was no file or it could not be read
};

// A path the save can use as it is: nothing there yet, or a file it may read and write. A folder
// (or anything else that is no plain file) is no place for the record.
// Told by its status: a named pipe, device or socket is never opened to find out.
bool isUsablePath(const QString& path) {
    if (path.isEmpty()) {
        return false;
    }
    const LocalFileStatus info = StatLocalFile(path);
    return !info.exists || (info.isFile && info.isReadable && info.isWritable);
}

// The wait cursor for as long as the host's store works: a call may wait up to ten seconds for
// another editor that holds the store.
class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// The host library's export `name`, logged as every store call is: a library that is not loaded
// on its own, otherwise the call line and then a missing export. Null when it cannot be called.
void* storeFunction(const char* name, const QString& callLine) {
    void* library = XKR_GetAppDB()->m_hSdkDef;
    if (!library) {
        kestrel::WriteLog(QStringLiteral("TernSdkDef LoadLibary fail: "));
        return nullptr;
    }
    void* function = GetRunTimeFunction(library, name);
    const QString prefix = QStringLiteral("TernSdkDef::") + QLatin1String(name);
    kestrel::WriteLog(prefix + QStringLiteral(" call: ") + callLine);
    if (!function) {
        kestrel::WriteLog(prefix + QStringLiteral(": Fucntion not found: "));
    }
    return function;
}

// Calls the export `name` with the references, under the wait cursor, and logs its result.
// Nothing when the library or the export is missing.
template <typename Proc, typename... References>
std::optional<int> callStore(const char* name, const QString& callLine,
                             const References&... references) {
    const auto function = reinterpret_cast<Proc>(storeFunction(name, callLine));
    if (!function) {
        return std::nullopt;
    }
    int result = 0;
    {
        const BusyCursor busy;
        result = function(references.toLocal8Bit().constData()...);
    }
    kestrel::WriteLog(QStringLiteral("TernSdkDef::") + QLatin1String(name) +
                      QStringLiteral(" ret: ") + QString::number(result));
    return result;
}

std::optional<int> createProject(const QString& reference) {
    return callStore<CreateProjectProc>("CreateProject", reference, reference);
}

std::optional<int> renameProject(const QString& newReference, const QString& oldReference) {
    return callStore<RenameProjectProc>("RenameProject",
                                        newReference + QStringLiteral(" -> ") + oldReference,
                                        newReference, oldReference);
}

} // namespace

// The save's own failures come in a plain box: the program's name, an OK button, no icon.
void CKestrelDlg::showError(const QString& text) {
    kestrel::MessageBox(this, text, appName(), kestrel::MB_OK);
}

// -1 is a reference taken already; anything else a store that could not do it.
void CKestrelDlg::showStoreRefusal(int result) {
    showError(GetRCString(result == -1 ? kestrel::ids::IDS_DUPLICATE_REFERENCE
                                       : kestrel::ids::IDS_CREATE_FAILED));
}

void CKestrelDlg::showSaveError(const QString& path) {
    showError(QStringLiteral("Error encountered while saving to file: \n") + path +
              QStringLiteral("\nPlease try again."));
}

QString CKestrelDlg::composedReference() const {
    return m_pages.documentParts.composedReference ? m_pages.documentParts.composedReference()
                                                   : QString();
}

bool CKestrelDlg::chooseFileName() {
    const QString path = m_doc.FilePath();
    if (isUsablePath(path)) {
        return true;
    }
    kestrel::SaveFileRequest request;
    request.initialPath = path;
    request.defaultExtension = QStringLiteral("xml");
    request.filter = QStringLiteral("XML (*.xml);;All Files (*)");
    request.confirmOverwrite = true;
    const QString chosen = kestrel::GetSaveFileName(this, request);
    if (chosen.isEmpty() || QFileInfo(chosen).fileName().isEmpty()) {
        return false;
    }
    m_doc.SetFilePath(QFileInfo(chosen).absoluteFilePath());
    return true;
}

void CKestrelDlg::OnSaveAndQuit() {
    // 1. The pages' members from their controls (a page never shown has nothing to give).
    for (CToolTipPropertyPage* page : {m_pages.projectPage, m_pages.memberPage}) {
        if (page && page->IsInitialized()) {
            page->UpdateData(true);
        }
    }
    // 2-5. Unsaved forms and the field checks belong to the pages.
    if (m_pages.checkBeforeSave && !m_pages.checkBeforeSave(*this)) {
        return;
    }
    // 6. The project element anew; this also composes the reference.
    if (!m_doc.RebuildProjectNode()) {
        showSaveError(m_doc.FilePath());
        return;
    }
    // 7. The file name.
    if (!chooseFileName()) {
        return;
    }
    // 8. Write, and tell the host's store as the editing type asks.
    const QString path = m_doc.FilePath();
    const QString composed = composedReference();
    const bool isNew = isEditingType("NEW_PROJ") || isEditingType("NEW_PROJ_REF");
    const bool isRenamed = isEditingType("EDIT_PROJ") && composed != m_strLoadedReference;
    // A record whose file holds no reference was never registered: there is nothing to rename,
    // so it is registered as a new one, and its previous file is put back if the store says no.
    if (isNew || (isRenamed && m_strLoadedReference.trimmed().isEmpty())) {
        saveAndRegisterNew(path);
    } else if (isRenamed) {
        renameThenSave(path, composed);
    } else {
        saveOnly(path);
    }
}

void CKestrelDlg::saveAndRegisterNew(const QString& path) {
    const PreviousFile previous(path);
    kestrel::WriteLog(QStringLiteral("Saving file to: ") + path);
    if (m_doc.SaveToFile(0) != 0) {
        showSaveError(path);
        return;
    }
    // References longer than the store takes are passed whole; the store refuses them and the
    // user sees the creation error rather than a project registered under a cut reference.
    const std::optional<int> result = createProject(composedReference());
    if (!result) {
        return; // logged; the written file stays
    }
    if (*result == 0) {
        m_doc.DropDocument();
        EndDialog(kestrel::IDOK);
        return;
    }
    showStoreRefusal(*result);
    // The project is not in the store, so its file must not look saved.
    if (!previous.Restore()) {
        showError(QStringLiteral("Error encountered while restoring the previous file: \n") + path +
                  QStringLiteral("\nThe file now holds this record, which is not registered."));
    }
}

void CKestrelDlg::renameThenSave(const QString& path, const QString& composed) {
    const std::optional<int> result = renameProject(composed, m_strLoadedReference);
    if (!result) {
        return;
    }
    if (*result != 0) {
        showStoreRefusal(*result);
        return;
    }
    kestrel::WriteLog(QStringLiteral("Saving file to: ") + path);
    if (m_doc.SaveToFile(1) != 0) {
        undoRename(composed);
        showSaveError(path);
        return;
    }
    EndDialog(kestrel::IDOK);
}

// The store took the new reference but the file still holds the old one: give the project its
// old reference back, or the next attempt would find its own new reference taken.
void CKestrelDlg::undoRename(const QString& composed) {
    if (renameProject(m_strLoadedReference, composed) != 0) {
        qCWarning(lcSave).noquote() << "The store keeps the project as" << composed
                                    << "although its file still says" << m_strLoadedReference;
    }
}

void CKestrelDlg::saveOnly(const QString& path) {
    kestrel::WriteLog(QStringLiteral("Saving file to: ") + path);
    if (m_doc.SaveToFile(1) != 0) {
        showSaveError(path);
        return;
    }
    kestrel::WriteLog(QStringLiteral("Skiping TernSdkDef call due to editing type: ") +
                      m_strEditingType);
    EndDialog(kestrel::IDOK);
}
