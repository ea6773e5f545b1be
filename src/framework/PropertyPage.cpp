#include "framework/PropertyPage.h"

#include "framework/ControlId.h"
#include "framework/DataExchange.h"

#include <QLayout>

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
    if (m_bInitialized)
        return;
    m_bInitialized = true;
    OnInitDialog();
    // A page may make its controls in OnInitDialog. When that runs as the page is being shown,
    // Qt leaves the new children hidden: they are shown here, all but those hidden on purpose.
    if (isVisible()) {
        for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (!child->testAttribute(Qt::WA_WState_ExplicitShowHide) && !child->isWindow())
                child->show();
        // Placed at once, so they can be clicked before the next layout pass.
        if (layout())
            layout()->activate();
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
