#include "ProjectRoundTrip.h"

#include "TestFiles.h"
#include "app/KestrelDlg.h"
#include "app/KestrelPages.h"
#include "framework/MessageBox.h"
#include "pages/member/PropPageMemberAddress.h"
#include "pages/member/PropPageMemberContact.h"
#include "pages/member/PropPageMemberGeneral.h"
#include "pages/member/PropPageMemberInfo.h"
#include "pages/project/PropPageProjectAddress.h"
#include "pages/project/PropPageProjectInfo.h"
#include "pages/project/PropPageProjectMukimTS.h"
#include "pages/project/PropPageProjectSiteDesc.h"

#include <QCoreApplication>
#include <QXmlStreamReader>

#include <initializer_list>

namespace {

// Loads `from` into a new main dialog with the registration pages, sets every page up, takes the
// values back from the controls and writes the record to `to`; the written bytes.
QByteArray saveThroughPages(const QString& from, const QString& to, QString* failure) {
    CKestrelDlg dialog(MakeRegistrationPages);
    dialog.SetEditingType(QStringLiteral("LOCAL_PROJ"));
    dialog.LoadDocument(from);

    // In the order the user first meets them; each page's set-up shows the values it holds.
    auto* project = static_cast<CPropPageProjectInfo*>(dialog.ProjectPage());
    auto* members = static_cast<CPropPageMemberInfo*>(dialog.MemberPage());
    for (CPropertyPage* page : std::initializer_list<CPropertyPage*>{
             project, project->LotPage(), project->AddressPage(), project->SitePage(), members,
             members->GeneralPage(), members->AddressPage(), members->ContactPage()})
        page->EnsureInitDialog();
    // As Save & Quit does, short of its checks: a hostile record fails them, and what is tested
    // here is that whatever the pages hold is written so that it reads back the same.
    project->UpdateData(true);
    members->UpdateData(true);
    CProjectDocument& document = dialog.Document();
    if (!document.RebuildProjectNode()) {
        *failure = QStringLiteral("no document to rebuild");
        return {};
    }
    document.SetFilePath(to);
    if (const int result = document.SaveToFile(0); result != 0) {
        *failure = QStringLiteral("the save failed (%1)").arg(result);
        return {};
    }
    return readFile(to);
}

} // namespace

void SandboxLocations(const QString& folder) {
    const QByteArray base = QFile::encodeName(folder);
    for (const char* name :
         {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME"})
        qputenv(name, base + '/' + QByteArray(name).toLower());
    qputenv("KESTREL_LOG_FILE", base + "/kestrel.log");
    qputenv("KESTREL_PROJECT_STORE", base + "/projects.db");
    qputenv("KESTREL_CONTACTS", base + "/contacts.vcf");
}

RoundTrip RoundTripProjectFile(const QByteArray& bytes, const QString& folder) {
    kestrel::ScriptedAnswerer answers;
    RoundTrip trip;
    const QString input = folder + QStringLiteral("/input.xml");
    if (!writeFile(input, bytes)) {
        trip.failure = QStringLiteral("cannot write ") + input;
        return trip;
    }
    trip.firstSave = saveThroughPages(input, folder + QStringLiteral("/first.xml"), &trip.failure);
    const QByteArray second =
        trip.failure.isEmpty()
            ? saveThroughPages(folder + QStringLiteral("/first.xml"),
                               folder + QStringLiteral("/second.xml"), &trip.failure)
            : QByteArray();
    // What the pages left for later (deleteLater) goes now, not after a million runs.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    if (!trip.failure.isEmpty())
        return trip;
    QXmlStreamReader strict(trip.firstSave);
    while (!strict.atEnd())
        strict.readNext();
    if (!answers.messages().empty()) {
        trip.failure = QStringLiteral("a message box came up: ") + answers.messages().front().text;
    } else if (strict.hasError()) {
        trip.failure = QStringLiteral("first save not well-formed, line %1: %2")
                           .arg(strict.lineNumber())
                           .arg(strict.errorString());
    } else if (second != trip.firstSave) {
        trip.failure = QStringLiteral("the second save differs from the first:\n--- first\n") +
                       QString::fromUtf8(trip.firstSave) + QStringLiteral("\n--- second\n") +
                       QString::fromUtf8(second);
    }
    return trip;
}
