// Renders the project page and its nested lots, addresses and site description tabs, and the member
// page with its general, address and contact tabs, filled with a sample record, to PNG files for
// the documentation: page_screenshots <output folder>. Offscreen is enough. The contact picker is
// shown on the sample address book of the tests, as it opens, searched, and on a book with broken
// cards.

#include "app/QuietAppServices.h"
#include "contacts/ContactPickerDlg.h"
#include "controls/ToolTipDialog.h"
#include "controls/ToolTipPropertySheet.h"
#include "framework/DialogUnits.h"
#include "pages/member/PropPageMemberAddress.h"
#include "pages/member/PropPageMemberContact.h"
#include "pages/member/PropPageMemberGeneral.h"
#include "pages/member/PropPageMemberInfo.h"
#include "pages/project/PropPageProjectAddress.h"
#include "pages/project/PropPageProjectInfo.h"
#include "pages/project/PropPageProjectMukimTS.h"
#include "pages/project/PropPageProjectSiteDesc.h"

#include "controls/RecordListCtrl.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QTest>
#include <QVBoxLayout>

#include <cstdio>

namespace {

// The pictures show the record that ships with the program.
const char* const kSampleProject = KESTREL_SAMPLE_PROJECT;

// A record page is shown with one of its records loaded, as after a click on it.
void clickRecord(QWidget* page, int row) {
    auto* list = page->findChild<CRecordListCtrl*>();
    if (!list || row >= list->model()->rowCount())
        return;
    const QRect rect = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    QApplication::processEvents();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    CQuietAppServices services;

    CToolTipDialog dialog(102);
    auto* layout = new QVBoxLayout(&dialog);
    auto* sheet = new CToolTipPropertySheet(&dialog, &dialog);
    auto* page = new CPropPageProjectInfo(&dialog);
    auto* members = new CPropPageMemberInfo(&dialog);
    members->SetProjectPage(page);
    sheet->AddPage(page);
    sheet->AddPage(members);
    layout->addWidget(sheet);

    pugi::xml_document doc;
    if (!doc.load_file(kSampleProject)) {
        std::fprintf(stderr, "cannot read %s\n", kSampleProject);
        return 1;
    }
    const pugi::xml_node project = doc.child("krroot").child("project");
    page->SetLoadedReference(QString::fromUtf8(project.child_value("reference_no")));
    page->ReadXml(doc, project.child("profile"));
    members->ReadXml(doc, project.child("member_group"));

    // The main sheet's frame was drawn at 407 x 302 dialog units.
    dialog.resize(
        kestrel::DialogUnitsToPixels(dialog.font(), {407, 302}).expandedTo(dialog.sizeHint()));
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog)) {
        std::fprintf(stderr, "window not exposed\n");
        return 1;
    }
    QApplication::processEvents();
    bool ok = dialog.grab().save(out.filePath(QStringLiteral("project.png")));

    const std::pair<CPropertyPage*, const char*> tabs[] = {{page->LotPage(), "lots.png"},
                                                           {page->AddressPage(), "addresses.png"},
                                                           {page->SitePage(), "site.png"}};
    for (const auto& [tab, file] : tabs) {
        page->NestedSheet()->SetActivePage(tab);
        QApplication::processEvents();
        clickRecord(tab, 0);
        ok = tab->grab().save(out.filePath(QString::fromLatin1(file))) && ok;
    }
    ok = dialog.grab().save(out.filePath(QStringLiteral("project-site-tab.png"))) && ok;

    // The sample's first member coordinates as an architect and has a formatted address; the
    // second has a passport, two roles and an unformatted address.
    sheet->SetActivePage(members);
    QApplication::processEvents();
    clickRecord(members, 0);
    ok = dialog.grab().save(out.filePath(QStringLiteral("member.png"))) && ok;
    const std::pair<CPropertyPage*, const char*> memberTabs[] = {
        {members->GeneralPage(), "member-general.png"},
        {members->AddressPage(), "member-address-formatted.png"},
        {members->ContactPage(), "member-contact.png"}};
    for (const auto& [tab, file] : memberTabs) {
        members->NestedSheet()->SetActivePage(tab);
        QApplication::processEvents();
        ok = members->grab().save(out.filePath(QString::fromLatin1(file))) && ok;
    }
    members->NestedSheet()->SetActivePage(members->AddressPage());
    QApplication::processEvents();
    clickRecord(members, 1);
    ok = members->grab().save(out.filePath(QStringLiteral("member-address-unformatted.png"))) && ok;

    kestrel::CContactPickerDlg picker(
        kestrel::LoadAddressBook(QStringLiteral(KESTREL_SAMPLE_CONTACTS)));
    picker.show();
    ok = QTest::qWaitForWindowExposed(&picker) && ok;
    QApplication::processEvents();
    ok = picker.grab().save(out.filePath(QStringLiteral("contact-picker.png"))) && ok;
    QTest::keyClicks(picker.SearchField(), QStringLiteral("lim"));
    QTest::keyClick(picker.SearchField(), Qt::Key_Down);
    QApplication::processEvents();
    ok = picker.grab().save(out.filePath(QStringLiteral("contact-picker-search.png"))) && ok;
    picker.SearchField()->clear();
    picker.SetBook(kestrel::LoadAddressBook(QStringLiteral(KESTREL_BROKEN_CONTACTS)));
    QApplication::processEvents();
    ok = picker.grab().save(out.filePath(QStringLiteral("contact-picker-problems.png"))) && ok;

    std::printf("%s: %dx%d\n", ok ? "saved" : "FAILED", dialog.width(), dialog.height());
    return ok ? 0 : 1;
}
