#pragma once
// The main dialog's part towards the pages in widget tests: it runs the tooltip pass, which also
// applies the view-only rules.

#include "controls/ToolTipCtrl.h"
#include "controls/ToolTipHost.h"
#include "controls/ToolTipPass.h"

#include <QWidget>

class TestToolTipHost : public CToolTipHost {
public:
    TestToolTipHost() {
        m_tip.Create(&m_owner);
        m_tip.Activate(true);
    }
    void AddToolTips(QWidget* window) override { AddToolTipsToForm(m_tip, window); }

private:
    QWidget m_owner;
    CToolTipCtrl m_tip;
};
