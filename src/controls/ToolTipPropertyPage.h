#pragma once
// The base of every page: when the page is first shown its controls get their tips from the
// tooltip host (the main dialog), and in a view-only run they become read-only. A page hands
// the same host on to the sheet and pages nested inside it.
//
// A page's own OnInitDialog calls CToolTipPropertyPage::OnInitDialog first, before it fills or
// limits any control.

#include "framework/PropertyPage.h"

class CToolTipHost;

class CToolTipPropertyPage : public CPropertyPage {
    Q_OBJECT
public:
    CToolTipPropertyPage(int templateId, CToolTipHost* host, QWidget* parent = nullptr);

    CToolTipHost* ToolTipHost() const { return m_pToolTipHost; }

protected:
    bool OnInitDialog() override;

    CToolTipHost* m_pToolTipHost; // not owned
};
