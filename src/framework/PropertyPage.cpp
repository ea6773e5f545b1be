#include "framework/PropertyPage.h"

#include "framework/ControlId.h"
#include "framework/DataExchange.h"

CPropertyPage::CPropertyPage(int templateId, int captionId, QWidget* parent)
    : QWidget(parent), m_nTemplateId(templateId), m_nCaptionId(captionId) {
    kestrel::MarkAsForm(this);
}

bool CPropertyPage::UpdateData(bool saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return !dx.Failed();
}

void CPropertyPage::EnsureInitDialog() {
    if (!m_bInitialized) {
        m_bInitialized = true;
        OnInitDialog();
    }
}

bool CPropertyPage::OnSetActive() {
    if (m_bFirstSetActive) {
        m_bFirstSetActive = false;
    } else {
        UpdateData(false);
    }
    return true;
}

bool CPropertyPage::OnKillActive() {
    return UpdateData(true);
}

bool CPropertyPage::OnInitDialog() {
    UpdateData(false);
    return true;
}

void CPropertyPage::DoDataExchange(CDataExchange*) {}

void CPropertyPage::showEvent(QShowEvent* event) {
    EnsureInitDialog();
    QWidget::showEvent(event);
}
