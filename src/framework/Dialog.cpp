#include "framework/Dialog.h"

#include "framework/ControlId.h"
#include "framework/DataExchange.h"

CDialog::CDialog(int templateId, QWidget* parent) : QDialog(parent), m_nTemplateId(templateId) {
    kestrel::MarkAsForm(this);
}

int CDialog::DoModal() {
    const int result = exec();
    if (m_bInitialized) {
        OnDestroy();
        m_bInitialized = false;
    }
    return result;
}

void CDialog::EndDialog(int result) {
    done(result);
}

bool CDialog::UpdateData(bool saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return !dx.Failed();
}

void CDialog::EnsureInitDialog() {
    if (!m_bInitialized) {
        m_bInitialized = true;
        OnInitDialog();
    }
}

void CDialog::setVisible(bool visible) {
    // Set up before any child sees its show event: a dialog's own set-up comes before that of
    // the sheets and pages it holds.
    if (visible && !isVisible()) {
        EnsureInitDialog();
    }
    QDialog::setVisible(visible);
}

bool CDialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void CDialog::DoDataExchange(CDataExchange*) {}
