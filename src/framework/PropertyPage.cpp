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
    // A page in a sheet nested inside another page belongs to that page's set-up, which makes
    // the sheet: the outer page's own controls come first. Qt shows children before their
    // parents, so the outer page is set up here when it has not been yet.
    for (QWidget* above = parentWidget(); above; above = above->parentWidget()) {
        if (auto* outer = qobject_cast<CPropertyPage*>(above)) {
            outer->EnsureInitDialog();
            break;
        }
    }
    if (m_bInitialized)
        return; // the outer page's set-up has set this one up too
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
