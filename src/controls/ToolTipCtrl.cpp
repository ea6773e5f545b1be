#include "controls/ToolTipCtrl.h"

#include "framework/Accessibility.h"

#include <algorithm>

bool CToolTipCtrl::Create(QWidget* owner) {
    if (!owner) {
        return false;
    }
    m_owner = owner;
    m_bCreated = true;
    return true;
}

void CToolTipCtrl::DestroyWindow() {
    for (const Tool& tool : m_tools) {
        if (tool.control) {
            tool.control->setToolTip(QString());
        }
    }
    m_tools.clear();
    m_bCreated = false;
    m_bActive = false;
}

void CToolTipCtrl::Activate(bool active) {
    m_bActive = active;
    for (const Tool& tool : m_tools) {
        applyTip(tool);
    }
}

bool CToolTipCtrl::AddTool(QWidget* control, const QString& text) {
    if (!m_bCreated || !control) {
        return false;
    }
    auto found = std::find_if(m_tools.begin(), m_tools.end(),
                              [control](const Tool& tool) { return tool.control == control; });
    if (found == m_tools.end()) {
        // Drop the entries of controls that are gone before the list grows.
        std::erase_if(m_tools, [](const Tool& tool) { return tool.control.isNull(); });
        m_tools.push_back({control, text});
        found = std::prev(m_tools.end());
    } else {
        found->text = text;
    }
    applyTip(*found);
    kestrel::SetAccessibleTexts(control, text);
    return true;
}

bool CToolTipCtrl::HasTool(const QWidget* control) const {
    return findTool(control) != nullptr;
}

long CToolTipCtrl::RelayEvent(QWidget* target, QEvent*) const {
    if (!m_bCreated) {
        return 0;
    }
    // A tool's inner parts (the line edit inside a combo, a list's viewport) count as the tool.
    for (QWidget* widget = target; widget; widget = widget->parentWidget()) {
        if (findTool(widget)) {
            return 1;
        }
        if (widget->isWindow()) {
            break;
        }
    }
    return 0;
}

const CToolTipCtrl::Tool* CToolTipCtrl::findTool(const QWidget* control) const {
    if (!control) {
        return nullptr;
    }
    for (const Tool& tool : m_tools) {
        if (tool.control == control) {
            return &tool;
        }
    }
    return nullptr;
}

void CToolTipCtrl::applyTip(const Tool& tool) const {
    if (tool.control) {
        tool.control->setToolTip(m_bActive ? tool.text : QString());
    }
}
