#pragma once
// The base of every page: when the page is first shown its controls get their tips from the
// tooltip host (the main dialog), and in a view-only run they become read-only. A page hands
// the same host on to the sheet and pages nested inside it.
//
// A page's own OnInitDialog calls CToolTipPropertyPage::OnInitDialog first, before it fills or
// limits any control.
//
// A page may also mark its own tab while it is the active one (HighlightOwnTab), so the user
// sees which of the nested tabs belongs to which level even with the focus elsewhere.

#include "framework/PropertyPage.h"

class CToolTipHost;

class CToolTipPropertyPage : public CPropertyPage {
    Q_OBJECT
public:
    CToolTipPropertyPage(int templateId, CToolTipHost* host, QWidget* parent = nullptr);

    CToolTipHost* ToolTipHost() const { return m_pToolTipHost; }

    bool OnSetActive() override;
    bool OnKillActive() override;
    // Whether this page's tab is drawn in the highlight colour.
    bool IsOwnTabHighlighted() const;

protected:
    bool OnInitDialog() override;
    // From now on the page's tab is drawn in the highlight colour while the page is active.
    void HighlightOwnTab() { m_bHighlightsOwnTab = true; }

    CToolTipHost* m_pToolTipHost; // not owned

private:
    void markOwnTab(bool highlight);

    bool m_bHighlightsOwnTab = false;
};
