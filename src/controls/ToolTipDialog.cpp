#include "controls/ToolTipDialog.h"

#include "controls/ToolTipPass.h"
#include "controls/ToolTipRelay.h"

#include <QApplication>
#include <QShortcut>
#include <QToolTip>

CToolTipDialog::CToolTipDialog(int templateId, QWidget* parent) : CDialog(templateId, parent) {
    // A field's rules live in its tip, which the mouse brings up; Shift+F1 brings it up for the
    // control that has the focus.
    auto* help = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, &CToolTipDialog::ShowFocusToolTip);
}

bool CToolTipDialog::ShowFocusToolTip() {
    QWidget* focus = QApplication::focusWidget();
    if (!focus || focus->window() != this) {
        return false;
    }
    // The inner parts of a control (a combo's line, a date's field) show their control's tip.
    for (QWidget* control = focus; control && control != this; control = control->parentWidget()) {
        const QString text = control->toolTip();
        if (!text.isEmpty()) {
            QToolTip::showText(control->mapToGlobal(QPoint(0, control->height())), text, control);
            return true;
        }
    }
    return false;
}

CToolTipDialog::~CToolTipDialog() {
    // A dialog that is never ended properly must not stay in the relay set.
    UnregisterToolTipRelay(this);
}

bool CToolTipDialog::OnInitDialog() {
    const bool result = CDialog::OnInitDialog();
    if (!m_toolTip.IsWindow()) {
        m_toolTip.Create(this);
    }
    m_toolTip.Activate(true);
    AddToolTips(this);
    RegisterToolTipRelay(this);
    return result;
}

void CToolTipDialog::OnDestroy() {
    m_toolTip.DestroyWindow();
    UnregisterToolTipRelay(this);
    CDialog::OnDestroy();
}

void CToolTipDialog::AddToolTips(QWidget* window) {
    if (!window) {
        return;
    }
    // On Qt a nested page can be set up before this dialog is shown (a page shown on its own);
    // its controls get their tips all the same.
    if (!m_toolTip.IsWindow()) {
        m_toolTip.Create(this);
        m_toolTip.Activate(true);
    }
    AddToolTipsToForm(m_toolTip, window);
}

long CToolTipDialog::RelayEvent(QWidget* target, QEvent* event) {
    return m_toolTip.IsWindow() ? m_toolTip.RelayEvent(target, event) : 0;
}

QWidget* CToolTipDialog::GetRelayWnd() const {
    return const_cast<CToolTipDialog*>(this);
}
