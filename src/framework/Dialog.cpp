#include "framework/Dialog.h"

#include "framework/ControlId.h"
#include "framework/DataExchange.h"
#include "framework/TabOrder.h"

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
        m_bFocusFirstControl = OnInitDialog();
    }
}

void CDialog::setVisible(bool visible) {
    // Set up before any child sees its show event: a dialog's own set-up comes before that of
    // the sheets and pages it holds.
    const bool appearing = visible && !isVisible();
    if (appearing) {
        EnsureInitDialog();
    }
    QDialog::setVisible(visible);
    if (!appearing) {
        return;
    }
    kestrel::TidyTabOrder(this);
    if (m_bFocusFirstControl) {
        // As the dialog manager does when OnInitDialog answers true: the first control in Tab
        // order starts with the focus, wherever the pages' own set-up left it.
        m_bFocusFirstControl = false;
        if (QWidget* first = FirstTabStop(this)) {
            first->setFocus(Qt::TabFocusReason);
        }
    }
}

QWidget* CDialog::FirstTabStop(QWidget* window) {
    for (QWidget* w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && !w->focusProxy() &&
            w->isVisibleTo(window) && w->isEnabled() && w->window() == window) {
            return w;
        }
    }
    return nullptr;
}

bool CDialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void CDialog::DoDataExchange(CDataExchange*) {}
