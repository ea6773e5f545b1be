#pragma once
// The info window: one small light-red note shown just above a field whose content failed its
// check. It never takes the focus or the mouse, and it goes away after three seconds, when the
// field is left successfully, or when another note replaces it. Drawn by its owner's dialog
// over the dialog's own controls, it is above that dialog and never above other programs'
// windows.

#include <QRect>
#include <QString>
#include <QTimer>
#include <QWidget>

class CInfoWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMarginX = 2;
    static constexpr int kMarginY = 2;
    static constexpr int kDisplayTimeMs = 3000;

    explicit CInfoWindow(QWidget* owner);

    void ShowInfo(QWidget* anchor, const QString& text);
    void HideInfo();

    QString text() const { return m_text; }
    QColor backgroundColor() const { return m_background; }
    bool timerRunning() const { return m_timer.isActive(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* m_owner;
    QString m_text;
    QColor m_background;
    QTimer m_timer;
};

// The process's one info window; made by CreateInfoWindow, lives as long as its owner.
void CreateInfoWindow(QWidget* owner);
// Both do nothing when no info window was created.
void ShowInfo(QWidget* anchor, const QString& text);
void HideInfo();
// The current info window, or null (for tests and for the owner's bookkeeping).
CInfoWindow* InfoWindow();
