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

#include <limits>
#include <optional>

namespace {

const QString& appName() {
    static const QString name = QStringLiteral("Kestrel");
    return name;
}

// The file as it was before a save that may have to be undone, so undoing it never destroys
// what the user had there. Only a regular file is read: a named pipe would wait for a writer.
class PreviousFile {
public:
    explicit PreviousFile(const QString& path)
        : m_path(path), m_bExisted(StatLocalFile(path).exists),
          m_content(ReadLocalFile(path, std::numeric_limits<qint64>::max())) {}
    // Puts the previous file back, or removes the written one when there was none.
    void Restore() const {
        if (m_content) {
            SaveBytesAtomically(m_path, *m_content);
        } else if (!m_bExisted) {
            RemoveLocalFile(m_path);
        }
    }

private:
    QString m_path;
    bool m_bExisted;
    std::optional<QByteArray> m_content;
};

} // namespace

void CKestrelDlg::showError(const QString& text) {
    kestrel::MessageBox(this, text, appName(), kestrel::MB_OK | kestrel::MB_ICONWARNING);
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
    const LocalFileStatus info = StatLocalFile(path);
    // A folder, named pipe, device or socket can never hold the record: ask, as for a file we
    // may not write.
    const bool ask =
        path.isEmpty() || (info.exists && !(info.isFile && info.isReadable && info.isWritable));
    if (!ask) {
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
    if (isEditingType("NEW_PROJ") || isEditingType("NEW_PROJ_REF")) {
        saveAndRegisterNew(path);
    } else if (isEditingType("EDIT_PROJ") && composed != m_strLoadedReference) {
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
    const QString composed = composedReference();
    const QByteArray reference = composed.toLocal8Bit();
    void* library = XKR_GetAppDB()->m_hSdkDef;
    if (!library) {
        kestrel::WriteLog(QStringLiteral("TernSdkDef LoadLibary fail: "));
        return;
    }
    auto createProject =
        reinterpret_cast<CreateProjectProc>(GetRunTimeFunction(library, "CreateProject"));
    kestrel::WriteLog(QStringLiteral("TernSdkDef::CreateProject call: ") + composed);
    if (!createProject) {
        kestrel::WriteLog(QStringLiteral("TernSdkDef::CreateProject: Fucntion not found: "));
        return;
    }
    const int result = createProject(reference.constData());
    kestrel::WriteLog(QStringLiteral("TernSdkDef::CreateProject ret: ") + QString::number(result));
    if (result == 0) {
        m_doc.DropDocument();
        EndDialog(kestrel::IDOK);
        return;
    }
    showError(GetRCString(result == -1 ? kestrel::ids::IDS_DUPLICATE_REFERENCE
                                       : kestrel::ids::IDS_CREATE_FAILED));
    // The project is not in the store, so its file must not look saved.
    previous.Restore();
}

void CKestrelDlg::renameThenSave(const QString& path, const QString& composed) {
    const QByteArray newReference = composed.toLocal8Bit();
    const QByteArray oldReference = m_strLoadedReference.toLocal8Bit();
    void* library = XKR_GetAppDB()->m_hSdkDef;
    if (!library) {
        kestrel::WriteLog(QStringLiteral("TernSdkDef LoadLibary fail: "));
        return;
    }
    auto renameProject =
        reinterpret_cast<RenameProjectProc>(GetRunTimeFunction(library, "RenameProject"));
    kestrel::WriteLog(QStringLiteral("TernSdkDef::RenameProject call: ") + composed +
                      QStringLiteral(" -> ") + m_strLoadedReference);
    if (!renameProject) {
        kestrel::WriteLog(QStringLiteral("TernSdkDef::RenameProject: Fucntion not found: "));
        return;
    }
    const int result = renameProject(newReference.constData(), oldReference.constData());
    kestrel::WriteLog(QStringLiteral("TernSdkDef::RenameProject ret: ") + QString::number(result));
    if (result == -1) {
        showError(GetRCString(kestrel::ids::IDS_DUPLICATE_REFERENCE));
        return;
    }
    if (result != 0) {
        showError(GetRCString(kestrel::ids::IDS_CREATE_FAILED));
        return;
    }
    kestrel::WriteLog(QStringLiteral("Saving file to: ") + path);
    if (m_doc.SaveToFile(1) != 0) {
        showSaveError(path);
        return;
    }
    EndDialog(kestrel::IDOK);
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
