#pragma once
// How the two top pages plug into the main dialog. The dialog asks a factory for them when it is
// constructed: the factory builds the project page and the member page (each given the dialog
// as tooltip host), says how the document reads and writes them, and supplies the page checks
// that Save & Quit runs before it writes anything.
//
// Until the real pages are plugged in, MakePlaceholderPages gives two empty pages with the
// pages' captions. To plug in the real ones:
//     CKestrelDlg::SetPageFactory([](CToolTipHost* host) {
//         CKestrelPages pages;
//         auto* project = new CPropPageProjectInfo(host);
//         auto* member = new CPropPageMemberInfo(host);
//         pages.projectPage = project;
//         pages.memberPage = member;
//         pages.documentParts.profile = project;          // CXmlRecordGroup
//         pages.documentParts.memberGroup = member;       // CXmlRecordGroup
//         pages.documentParts.setLoadedReference = [project](const QString& r) { ... };
//         pages.documentParts.composedReference = [project] { return ...; };
//         pages.checkBeforeSave = [project, member](CKestrelDlg& dlg) { ... };
//         return pages;
//     });

#include "document/ProjectDocument.h"

#include <functional>

class CKestrelDlg;
class CToolTipHost;
class CToolTipPropertyPage;

struct CKestrelPages {
    // Become the first and second page of the dialog's sheet, which owns them.
    CToolTipPropertyPage* projectPage = nullptr;
    CToolTipPropertyPage* memberPage = nullptr;
    // How the document reads the pages and writes them (see ProjectParts).
    ProjectParts documentParts;
    // Save & Quit, after the pages' data were updated from their controls: the questions about
    // forms holding unsaved edits and the field checks across the pages. It shows its own
    // message (bringing the focus target forward with kestrel::BringForward) and answers
    // false to stop the save. Empty: nothing to check.
    std::function<bool(CKestrelDlg& dialog)> checkBeforeSave;
};

using KestrelPageFactory = std::function<CKestrelPages(CToolTipHost* host)>;

// Two empty pages, "Project Information *" and "Member Information *".
CKestrelPages MakePlaceholderPages(CToolTipHost* host);
// The registration pages: the project page with its nested pages, and the member page (for now
// the stand-in that keeps a file's members as they are), with the Save & Quit checks across them.
CKestrelPages MakeRegistrationPages(CToolTipHost* host);
