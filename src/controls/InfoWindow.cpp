#include "controls/InfoWindow.h"

#include <QApplication>
#include <QPainter>
#include <QPointer>
#include <QScreen>

namespace {
QPointer<CInfoWindow>& infoWindowInstance() {
    static QPointer<CInfoWindow> instance;
    return instance;
}
} // namespace

CInfoWindow::CInfoWindow(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                         Qt::WindowTransparentForInput | Qt::WindowStaysOnTopHint),
      m_owner(owner), m_background(255, 160, 160) {
    setObjectName(QStringLiteral("QN_InfoWnd"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    // Disabled, like the note it is: it must never receive input.
    setEnabled(false);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &CInfoWindow::HideInfo);
}

void CInfoWindow::ShowInfo(QWidget* anchor, const QString& text) {
    HideInfo();
    if (!anchor || !QApplication::focusWidget()) {
        // Nobody is typing: a note would point at nothing the user is looking at.
        return;
    }
    m_background = QColor(255, 160, 160);
    m_text = text;
    const QRect anchorRect(anchor->mapToGlobal(QPoint(0, 0)), anchor->size());

    const QFontMetrics metrics(m_owner ? m_owner->font() : font());
    const QRect textRect = metrics.boundingRect(QRect(0, 0, 0, 0), Qt::TextExpandTabs, m_text);
    const int w = textRect.width();
    const int h = textRect.height();

    int left = anchorRect.left();
    int right = anchorRect.left() + w + kMarginX + 1;
    int bottom = anchorRect.top() - 1;
    int top = anchorRect.top() - 1 - kMarginY - h - 1;

    // Keep the whole note on the anchor's screen.
    QScreen* screen = anchor->screen() ? anchor->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1 << 15, 1 << 15);
    if (right > area.right() + 1) {
        const int excess = right - (area.right() + 1);
        left -= excess;
        right -= excess;
    }
    if (bottom > area.bottom() + 1) {
        const int excess = bottom - (area.bottom() + 1);
        top -= excess;
        bottom -= excess;
    }
    if (left < area.left()) {
        right += area.left() - left;
        left = area.left();
    }
    if (top < area.top()) {
        bottom += area.top() - top;
        top = area.top();
    }

    if (m_owner) {
        setFont(m_owner->font());
    }
    setGeometry(left, top - 1, right - left, bottom - top);
    show();
    raise();
    m_timer.start(kDisplayTimeMs);
}

void CInfoWindow::HideInfo() {
    hide();
    m_timer.stop();
}

void CInfoWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), m_background);
    painter.setPen(QColor(0, 0, 0));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.drawText(rect().adjusted(1, 1, -1, -1), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop,
                     m_text);
}

void CreateInfoWindow(QWidget* owner) {
    if (!owner) {
        return;
    }
    QPointer<CInfoWindow>& instance = infoWindowInstance();
    delete instance.data();
    instance = new CInfoWindow(owner);
}

void ShowInfo(QWidget* anchor, const QString& text) {
    if (CInfoWindow* window = infoWindowInstance().data()) {
        window->ShowInfo(anchor, text);
    }
}

void HideInfo() {
    if (CInfoWindow* window = infoWindowInstance().data()) {
        window->HideInfo();
    }
}

CInfoWindow* InfoWindow() {
    return infoWindowInstance().data();
}
