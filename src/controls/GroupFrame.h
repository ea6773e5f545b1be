#pragma once
// CGroupFrame: a group box that carries the controls lying wholly inside it.
//
// Enabling, disabling, showing, hiding or moving the frame does the same to every sibling
// control whose rectangle lies entirely within the frame's; a control that sticks out is left
// alone. (Controls that are the frame's own children follow it anyway.)

#include <QGroupBox>

class CGroupFrame : public QGroupBox {
    Q_OBJECT
public:
    explicit CGroupFrame(QWidget* parent = nullptr);
    explicit CGroupFrame(const QString& title, QWidget* parent = nullptr);
    ~CGroupFrame() override;

    // The siblings wholly inside `frameRect` (the parent's coordinates); the frame's own
    // rectangle when none is given.
    QList<QWidget*> ContainedControls() const;
    QList<QWidget*> ContainedControls(const QRect& frameRect) const;

    void setVisible(bool visible) override;

protected:
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void init();
    bool managedByLayout() const;

    bool m_bExplicitlyDisabled = false;
};
