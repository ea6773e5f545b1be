#include "app/KestrelPages.h"

#include "controls/ToolTipPropertyPage.h"

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
