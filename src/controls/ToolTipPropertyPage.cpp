#include "controls/ToolTipPropertyPage.h"

#include "controls/ToolTipHost.h"
#include "framework/Contrast.h"
#include "framework/PropertySheet.h"

#include <QColor>
#include <QPalette>
#include <QTabBar>

CToolTipPropertyPage::CToolTipPropertyPage(int templateId, CToolTipHost* host, QWidget* parent)
    : CPropertyPage(templateId, 0, parent), m_pToolTipHost(host) {}

bool CToolTipPropertyPage::OnInitDialog() {
    const bool result = CPropertyPage::OnInitDialog();
    if (m_pToolTipHost) {
        m_pToolTipHost->AddToolTips(this);
    }
    return result;
}

bool CToolTipPropertyPage::OnSetActive() {
    markOwnTab(true);
    return CPropertyPage::OnSetActive();
}

bool CToolTipPropertyPage::OnKillActive() {
    markOwnTab(false);
    return CPropertyPage::OnKillActive();
}

void CToolTipPropertyPage::markOwnTab(bool highlight) {
    CPropertySheet* sheet = GetParentSheet();
    if (!m_bHighlightsOwnTab || !sheet) {
        return;
    }
    const int index = sheet->GetPageIndex(this);
    if (index < 0) {
        return;
    }
    QTabBar* bar = sheet->tabBar();
    // An invalid colour gives the tab back the style's own text colour. The highlight colour is
    // meant for backgrounds; as a caption it is taken as dark as it must be to read well on the
    // tab.
    const QPalette& pal = bar->palette();
    const QColor caption = kestrel::ReadableOn(
        pal.color(QPalette::Highlight), {pal.color(QPalette::Window), pal.color(QPalette::Base),
                                         pal.color(QPalette::Button), pal.color(QPalette::Light)});
    bar->setTabTextColor(index, highlight ? caption : QColor());
}

bool CToolTipPropertyPage::IsOwnTabHighlighted() const {
    const CPropertySheet* sheet = GetParentSheet();
    const int index = sheet ? sheet->GetPageIndex(this) : -1;
    return index >= 0 && sheet->tabBar()->tabTextColor(index).isValid();
}
