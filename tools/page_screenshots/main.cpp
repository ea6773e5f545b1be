// Renders the project page and its nested lots, addresses and site description tabs, filled with a
// sample record, to PNG files for the documentation: page_screenshots <output folder>. Offscreen
// is enough.

#include "TestAppServices.h"

#include "controls/ToolTipDialog.h"
#include "controls/ToolTipPropertySheet.h"
#include "framework/DialogUnits.h"
#include "pages/project/PropPageProjectAddress.h"
#include "pages/project/PropPageProjectInfo.h"
#include "pages/project/PropPageProjectMukimTS.h"
#include "pages/project/PropPageProjectSiteDesc.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTest>
#include <QVBoxLayout>

#include <cstdio>

namespace {

const char* const kSample = R"(<profile>
  <title>Erection of a 5-storey block of flats with basement car park and communal facilities</title>
  <commence_date>2002-03-04T09:30:00</commence_date>
  <complete_date>2004-05-06T17:00:00</complete_date>
  <category_code>NE</category_code>
  <classification_code>RN</classification_code>
  <land_ownership_code>LH</land_ownership_code>
  <lotmkts_group>
    <lotmkts><mk_ts_code>MK17</mk_ts_code><plot_no>12</plot_no><lot_no>3456</lot_no><part_lot_flag>Y</part_lot_flag></lotmkts>
    <lotmkts><mk_ts_code>TS05</mk_ts_code><plot_no></plot_no><lot_no>99</lot_no><part_lot_flag>N</part_lot_flag></lotmkts>
  </lotmkts_group>
  <address_group>
    <address><building_name>ABC TOWER</building_name><house_block_no>10</house_block_no><level_no>05</level_no><unit_no>12</unit_no><road_code>R01908</road_code><postal_code>123456</postal_code></address>
  </address_group>
  <site_descr>Corner plot next to the canal, access from the service road.</site_descr>
  <road_group><road>R02332</road><road>R00130</road><road>R00055</road></road_group>
</profile>)";

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    TestAppServices services;

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
    doc.load_string(kSample);
    page->SetLoadedReference(QStringLiteral("A123-00042-2002"));
    page->ReadXml(doc, doc.child("profile"));

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
        ok = tab->grab().save(out.filePath(QString::fromLatin1(file))) && ok;
    }
    ok = dialog.grab().save(out.filePath(QStringLiteral("project-site-tab.png"))) && ok;
    std::printf("%s: %dx%d\n", ok ? "saved" : "FAILED", dialog.width(), dialog.height());
    return ok ? 0 : 1;
}
