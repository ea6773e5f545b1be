// Renders the project page and its nested lots, addresses and site description tabs, filled with a
// sample record, to PNG files for the documentation: page_screenshots <output folder>. Offscreen
// is enough.

#include "app/QuietAppServices.h"
#include "controls/ToolTipDialog.h"
#include "controls/ToolTipPropertySheet.h"
#include "framework/DialogUnits.h"
#include "pages/project/PropPageProjectAddress.h"
#include "pages/project/PropPageProjectInfo.h"
#include "pages/project/PropPageProjectMukimTS.h"
#include "pages/project/PropPageProjectSiteDesc.h"

#include "controls/RecordListCtrl.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTest>
#include <QVBoxLayout>

#include <cstdio>

namespace {

// The pictures show the record that ships with the program.
const char* const kSampleProject = KESTREL_SAMPLE_PROJECT;

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    CQuietAppServices services;

    CToolTipDialog dialog(102);
    auto* layout = new QVBoxLayout(&dialog);
    auto* sheet = new CToolTipPropertySheet(&dialog, &dialog);
    auto* page = new CPropPageProjectInfo(&dialog);
    auto* member = new CPropertyPage(130);
    member->setWindowTitle(QStringLiteral("Member Information *"));
    sheet->AddPage(page);
    sheet->AddPage(member);
    layout->addWidget(sheet);

    pugi::xml_document doc;
    if (!doc.load_file(kSampleProject)) {
        std::fprintf(stderr, "cannot read %s\n", kSampleProject);
        return 1;
    }
    const pugi::xml_node project = doc.child("krroot").child("project");
    page->SetLoadedReference(QString::fromUtf8(project.child_value("reference_no")));
    page->ReadXml(doc, project.child("profile"));

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
        // A record page is shown with its first record loaded, as after a click on it.
        if (auto* list = tab->findChild<CRecordListCtrl*>(); list && list->model()->rowCount()) {
            const QRect row = list->visualRect(list->model()->index(0, 0));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
            QApplication::processEvents();
        }
        ok = tab->grab().save(out.filePath(QString::fromLatin1(file))) && ok;
    }
    ok = dialog.grab().save(out.filePath(QStringLiteral("project-site-tab.png"))) && ok;
    std::printf("%s: %dx%d\n", ok ? "saved" : "FAILED", dialog.width(), dialog.height());
    return ok ? 0 : 1;
}
