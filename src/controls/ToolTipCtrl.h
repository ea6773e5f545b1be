#pragma once
// The one tooltip of the main dialog. On Qt each control shows its own tip, so the tooltip is
// the list of tools it gave a text to: the text goes into the control's toolTip and, for screen
// readers, its accessible description.

#include <QPointer>
#include <QString>
#include <QWidget>

#include <vector>

class QEvent;

class CToolTipCtrl {
public:
    // Attaches the tooltip to its owner; the tools are then given their texts. Returns false
    // without an owner.
    bool Create(QWidget* owner);
    bool IsWindow() const { return m_bCreated; }
    // Takes every tip off its control and forgets the tools.
    void DestroyWindow();

    // An inactive tooltip keeps its tools but shows no tips.
    void Activate(bool active);
    bool IsActive() const { return m_bActive; }

    // Adds (or re-texts) a tool. False when the tooltip was not created or control is null.
    bool AddTool(QWidget* control, const QString& text);
    bool HasTool(const QWidget* control) const;

    // A mouse event on its way to target: nonzero when target is one of the tools (or lies
    // inside one). Nothing is kept: each control shows its own tip.
    long RelayEvent(QWidget* target, QEvent* event) const;

private:
    struct Tool {
        QPointer<QWidget> control;
        QString text;
    };
    const Tool* findTool(const QWidget* control) const;
    void applyTip(const Tool& tool) const;

    QPointer<QWidget> m_owner;
    std::vector<Tool> m_tools;
    bool m_bCreated = false;
    bool m_bActive = false;
};
