#include "controls/ToolTipPropertySheet.h"

#include "controls/ToolTipHost.h"

CToolTipPropertySheet::CToolTipPropertySheet(CToolTipHost* host, QWidget* parent)
    : CPropertySheet(parent), m_pToolTipHost(host) {}

bool CToolTipPropertySheet::OnInitDialog() {
    const bool result = CPropertySheet::OnInitDialog();
    if (m_pToolTipHost) {
        m_pToolTipHost->AddToolTips(this);
    }
    return result;
}
