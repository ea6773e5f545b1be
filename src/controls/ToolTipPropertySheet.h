#pragma once
// A property sheet whose own controls get their tips from a tooltip host (the main dialog).
// Null host: no tips.

#include "framework/PropertySheet.h"

class CToolTipHost;

class CToolTipPropertySheet : public CPropertySheet {
    Q_OBJECT
public:
    explicit CToolTipPropertySheet(CToolTipHost* host = nullptr, QWidget* parent = nullptr);

    CToolTipHost* ToolTipHost() const { return m_pToolTipHost; }

protected:
    bool OnInitDialog() override;

    CToolTipHost* m_pToolTipHost; // not owned
};
