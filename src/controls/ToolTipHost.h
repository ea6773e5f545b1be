#pragma once
// The two roles of the main dialog towards the forms inside it: it attaches the tooltips of
// every sheet's and page's controls (CToolTipHost), and it receives the mouse events of every
// control, however deeply nested, so its tooltip sees them (CToolTipRelay).

class QEvent;
class QWidget;

class CToolTipHost {
public:
    virtual ~CToolTipHost() = default;
    // Attaches tooltips to the window's own controls and, in a view-only run, makes them
    // read-only or disabled.
    virtual void AddToolTips(QWidget* window) = 0;
};

class CToolTipRelay {
public:
    virtual ~CToolTipRelay() = default;
    // A mouse event on its way to `target`; nonzero when the tooltip took it.
    virtual long RelayEvent(QWidget* target, QEvent* event) = 0;
    // The dialog that owns the tooltip; the relay is skipped while it has no window.
    virtual QWidget* GetRelayWnd() const = 0;
};
