#pragma once
// The dialog base that owns the program's one tooltip: it gives its own controls their tips,
// serves as the tooltip host of every sheet and page inside it, and takes the mouse events of
// the whole program through the relay set while it is set up.

#include "controls/ToolTipCtrl.h"
#include "controls/ToolTipHost.h"
#include "framework/Dialog.h"

class CToolTipDialog : public CDialog, public CToolTipHost, public CToolTipRelay {
    Q_OBJECT
public:
    explicit CToolTipDialog(int templateId, QWidget* parent = nullptr);
    ~CToolTipDialog() override;

    // CToolTipHost: the tooltip pass over the window's own controls (see ToolTipPass.h).
    void AddToolTips(QWidget* window) override;
    // CToolTipRelay
    long RelayEvent(QWidget* target, QEvent* event) override;
    QWidget* GetRelayWnd() const override;

    const CToolTipCtrl& ToolTip() const { return m_toolTip; }

    // Shows the tip of the control that has the focus beside it (what Shift+F1 does); false when
    // that control has none.
    bool ShowFocusToolTip();

protected:
    // Creates and activates the tooltip, gives the dialog's own controls their tips and joins
    // the relay set. A derived dialog calls it first.
    bool OnInitDialog() override;
    // Takes the tips off and leaves the relay set.
    void OnDestroy() override;

    CToolTipCtrl m_toolTip;
};
