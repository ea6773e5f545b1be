#include "controls/InfoWindow.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QPainter>
#include <QPointer>
#include <QScreen>

namespace {
QPointer<CInfoWindow>& infoWindowInstance() {
    static QPointer<CInfoWindow> instance;
    return instance;
}

// A screen reader meets the note as an alert whose name is the note's text; it is disabled only
// so that it takes no input, which is nothing a listener needs to hear.
class InfoWindowAccessible : public QAccessibleWidget {
public:
    explicit InfoWindowAccessible(CInfoWindow* note)
        : QAccessibleWidget(note, QAccessible::AlertMessage) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name)
            return static_cast<CInfoWindow*>(widget())->text().trimmed();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State st = QAccessibleWidget::state();
        st.disabled = false;
        st.focusable = false;
        return st;
    }
};

QAccessibleInterface* infoWindowAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("CInfoWindow") && object && object->isWidgetType())
        return new InfoWindowAccessible(static_cast<CInfoWindow*>(object));
    return nullptr;
}
// Moves the note into the area: right, bottom, left, then top edge, in that order.
void holdWithin(QRect& note, const QRect& area) {
    if (note.right() > area.right()) {
        note.moveRight(area.right());
    }
    if (note.bottom() > area.bottom()) {
        note.moveBottom(area.bottom());
    }
    if (note.left() < area.left()) {
        note.moveLeft(area.left());
    }
    if (note.top() < area.top()) {
        note.moveTop(area.top());
    }
}
} // namespace

// A child of its owner, drawn over the owner's other controls: so it is above its own dialog
// and never above another program's window, is never activated (a tool window is, when shown,
// on some platforms) and goes where it is put (a top-level window cannot place itself on
// Wayland).
CInfoWindow::CInfoWindow(QWidget* owner)
    : QWidget(owner), m_owner(owner), m_background(255, 160, 160) {
    static const bool accessibleInstalled = [] {
        QAccessible::installFactory(infoWindowAccessible);
        return true;
    }();
    Q_UNUSED(accessibleInstalled);
    setObjectName(QStringLiteral("QN_InfoWnd"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    // Disabled, like the note it is: it must never receive input.
    setEnabled(false);
    hide();
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

    // Directly above the anchor, left-aligned with it; the note's bottom edge stays one pixel
    // clear of the field.
    const int left = anchorRect.left();
    const int right = anchorRect.left() + w + kMarginX + 1;
    const int bottom = anchorRect.top() - 1;
    const int top = anchorRect.top() - 1 - kMarginY - h - 1;
    QRect note(left, top - 1, right - left, bottom - top);

    // Keep the whole note on the anchor's screen: right, bottom, left, then top, so a field at
    // the very top of the screen gets its note at y = 0, over the field. Then, the same way,
    // within the owner it is drawn in.
    QScreen* screen = anchor->screen() ? anchor->screen() : QGuiApplication::primaryScreen();
    holdWithin(note, screen ? screen->geometry() : QRect(0, 0, 1 << 15, 1 << 15));
    if (m_owner) {
        holdWithin(note, QRect(m_owner->mapToGlobal(QPoint(0, 0)), m_owner->size()));
        setFont(m_owner->font());
        note.moveTopLeft(m_owner->mapFromGlobal(note.topLeft()));
    }
    setGeometry(note);
    show();
    raise();
    m_timer.start(kDisplayTimeMs);
    // Said aloud as it appears: the note is often the only sign that the focus came back. Qt
    // tells of the window coming and going; the new text and the alert are the note's to tell.
    QAccessibleEvent named(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&named);
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
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
