#include "controls/GroupFrame.h"

#include "framework/WindowClass.h"

#include <QLayout>
#include <QMoveEvent>
#include <functional>

CGroupFrame::CGroupFrame(QWidget* parent) : QGroupBox(parent) {
    init();
}

CGroupFrame::CGroupFrame(const QString& title, QWidget* parent) : QGroupBox(title, parent) {
    init();
}

CGroupFrame::~CGroupFrame() = default;

void CGroupFrame::init() {
    kestrel::SetWindowClassName(this, QStringLiteral("Button"));
    m_bExplicitlyDisabled = testAttribute(Qt::WA_Disabled);
}

QList<QWidget*> CGroupFrame::ContainedControls() const {
    return ContainedControls(geometry());
}

QList<QWidget*> CGroupFrame::ContainedControls(const QRect& frameRect) const {
    QList<QWidget*> contained;
    QWidget* parent = parentWidget();
    if (!parent) {
        return contained;
    }
    for (QObject* child : parent->children()) {
        auto* sibling = qobject_cast<QWidget*>(child);
        if (!sibling || sibling == this || sibling->isWindow()) {
            continue;
        }
        const QRect r = sibling->geometry();
        // Both corners inside: a control that sticks out belongs to nobody.
        if (frameRect.contains(r.topLeft()) && frameRect.contains(r.bottomRight())) {
            contained.append(sibling);
        }
    }
    return contained;
}

void CGroupFrame::setVisible(bool visible) {
    const bool wasHidden = isHidden();
    QGroupBox::setVisible(visible);
    // Only a change the page asked for: a page being shown for the first time shows its frame
    // too, and must not bring back controls the page keeps hidden.
    if (wasHidden == isHidden()) {
        return;
    }
    for (QWidget* control : ContainedControls()) {
        control->setVisible(visible);
    }
}

void CGroupFrame::changeEvent(QEvent* event) {
    QGroupBox::changeEvent(event);
    if (event->type() != QEvent::EnabledChange) {
        return;
    }
    // Only when the frame itself was switched, not when its parent was.
    const bool explicitlyDisabled = testAttribute(Qt::WA_Disabled);
    if (explicitlyDisabled == m_bExplicitlyDisabled) {
        return;
    }
    m_bExplicitlyDisabled = explicitlyDisabled;
    for (QWidget* control : ContainedControls()) {
        control->setEnabled(!explicitlyDisabled);
    }
}

bool CGroupFrame::managedByLayout() const {
    const QWidget* parent = parentWidget();
    if (!parent || !parent->layout()) {
        return false;
    }
    // A layout places the frame and its neighbours itself; carrying them along would move them
    // twice.
    std::function<bool(const QLayout*)> holds = [&](const QLayout* layout) {
        for (int i = 0; i < layout->count(); ++i) {
            QLayoutItem* item = layout->itemAt(i);
            if (item->widget() == this) {
                return true;
            }
            if (item->layout() && holds(item->layout())) {
                return true;
            }
        }
        return false;
    };
    return holds(parent->layout());
}

void CGroupFrame::moveEvent(QMoveEvent* event) {
    QGroupBox::moveEvent(event);
    const QPoint delta = event->pos() - event->oldPos();
    if (delta.isNull() || managedByLayout()) {
        return;
    }
    const QRect before(event->oldPos(), size());
    for (QWidget* control : ContainedControls(before)) {
        control->move(control->pos() + delta);
    }
    update();
}
