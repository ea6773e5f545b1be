#include "app/KestrelPages.h"

#include "app/KestrelDlg.h"
#include "app/SaveChecks.h"
#include "controls/ToolTipPropertyPage.h"
#include "pages/member/PropPageMemberInfo.h"
#include "pages/project/PropPageProjectInfo.h"

namespace {
constexpr int kProjectPageTemplate = 129;
constexpr int kMemberPageTemplate = 130;
} // namespace

CKestrelPages MakePlaceholderPages(CToolTipHost* host) {
    CKestrelPages pages;
    pages.projectPage = new CToolTipPropertyPage(kProjectPageTemplate, host);
    pages.projectPage->setWindowTitle(QStringLiteral("Project Information *"));
    pages.memberPage = new CToolTipPropertyPage(kMemberPageTemplate, host);
    pages.memberPage->setWindowTitle(QStringLiteral("Member Information *"));
    return pages;
}

CKestrelPages MakeRegistrationPages(CToolTipHost* host) {
    auto* project = new CPropPageProjectInfo(host);
    auto* members = new CPropPageMemberInfo(host);
    members->SetProjectPage(project);
    CKestrelPages pages;
    pages.projectPage = project;
    pages.memberPage = members;
    pages.documentParts.profile = project;
    pages.documentParts.memberGroup = members;
    pages.documentParts.setLoadedReference = [project](const QString& reference) {
        project->SetLoadedReference(reference);
    };
    pages.documentParts.composedReference = [project] { return project->ComposedReference(); };
    pages.checkBeforeSave = [checks = CSaveChecks(project, members)](CKestrelDlg& dialog) mutable {
        return checks.Run(&dialog);
    };
    return pages;
}
