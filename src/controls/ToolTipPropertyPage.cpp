#include "controls/ToolTipPropertyPage.h"

#include "controls/ToolTipHost.h"

CToolTipPropertyPage::CToolTipPropertyPage(int templateId, CToolTipHost* host, QWidget* parent)
    : CPropertyPage(templateId, 0, parent), m_pToolTipHost(host) {}

bool CToolTipPropertyPage::OnInitDialog() {
    const bool result = CPropertyPage::OnInitDialog();
    if (m_pToolTipHost) {
        m_pToolTipHost->AddToolTips(this);
    }
    return result;
}
