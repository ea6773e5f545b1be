#include "controls/HoverButton.h"

#include "framework/WindowClass.h"

#include <QApplication>
#include <QEnterEvent>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>

namespace {

// The two-colour frame of a raised or sunken edge: top and left in one colour, bottom and right
// in the other.
void draw3dRect(QPainter& painter, const QRect& r, const QColor& topLeft,
                const QColor& bottomRight) {
    if (r.width() <= 0 || r.height() <= 0) {
        return;
    }
    painter.fillRect(QRect(r.left(), r.top(), r.width() - 1, 1), topLeft);
    painter.fillRect(QRect(r.left(), r.top(), 1, r.height() - 1), topLeft);
    painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
    painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
}

} // namespace

CHoverButton::CHoverButton(QWidget* parent) : QPushButton(parent) {
    init();
}

CHoverButton::CHoverButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    init();
}

CHoverButton::~CHoverButton() = default;

void CHoverButton::init() {
    kestrel::SetWindowClassName(this, QStringLiteral("Button"));
    // Enter and Escape belong to the dialog's own rules; no record button ever answers them.
    setAutoDefault(false);
    setDefault(false);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover, true);
    m_bExplicitlyDisabled = testAttribute(Qt::WA_Disabled);
    ResetStateColors(false);
    // The click takes the focus first, so a field being edited is left (and checked) before the
    // page handles the click.
    connect(this, &QAbstractButton::clicked, this, [this] { setFocus(Qt::MouseFocusReason); });
}

int CHoverButton::SetIconResource(int iconId, int /*iconIdOut*/) {
    m_icon = QPixmap();
    m_iconDisabled = QPixmap();
    m_iconSize = QSize();
    const QPixmap pixmap(QStringLiteral(":/icons/%1.png").arg(iconId));
    if (pixmap.isNull()) {
        update();
        return 1;
    }
    m_icon = pixmap;
    m_iconSize = pixmap.deviceIndependentSize().toSize();
    QStyleOption option;
    option.initFrom(this);
    m_iconDisabled = style()->generatedIconPixmap(QIcon::Disabled, pixmap, &option);
    updateGeometry();
    update();
    return 0;
}

int CHoverButton::SetFlatStyle(bool flat, bool repaint) {
    m_bIsFlat = flat;
    setFlat(flat);
    if (repaint) {
        update();
    }
    return 0;
}

int CHoverButton::SetStateColor(int index, const QColor& color, bool repaint) {
    if (index < 0 || index >= BTNST_MAX_COLORS) {
        return BTNST_INVALIDINDEX;
    }
    m_crColors[static_cast<size_t>(index)] = color;
    if (repaint) {
        update();
    }
    return 0;
}

QColor CHoverButton::GetStateColor(int index) const {
    if (index < 0 || index >= BTNST_MAX_COLORS) {
        return {};
    }
    return m_crColors[static_cast<size_t>(index)];
}

int CHoverButton::ResetStateColors(bool repaint) {
    const QPalette system = QApplication::palette(this);
    const QColor face = system.color(QPalette::Button);
    const QColor text = system.color(QPalette::ButtonText);
    m_crColors = {face, text, face, text, face, text};
    m_systemFace = face;
    m_systemText = text;
    if (repaint) {
        update();
    }
    return 0;
}

QSize CHoverButton::sizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    const QSize textSize = metrics.size(Qt::TextShowMnemonic, text());
    int width = textSize.width() + 16;
    int height = textSize.height() + 10;
    if (!m_icon.isNull()) {
        width += m_iconSize.width() + 2 * kImageMargin;
        height = qMax(height, m_iconSize.height() + 2 * kImageMargin + 4);
    }
    return {width, height};
}

QSize CHoverButton::minimumSizeHint() const {
    return sizeHint();
}

void CHoverButton::enterEvent(QEnterEvent* event) {
    QPushButton::enterEvent(event);
    // Dragging onto the button with the button held starts no hover.
    if (m_bIsFlat && !m_bMouseOnButton && !(QApplication::mouseButtons() & Qt::LeftButton)) {
        m_bMouseOnButton = true;
        update();
    }
}

void CHoverButton::leaveEvent(QEvent* event) {
    QPushButton::leaveEvent(event);
    endHover();
}

void CHoverButton::mouseMoveEvent(QMouseEvent* event) {
    QPushButton::mouseMoveEvent(event);
    const bool over = rect().contains(event->position().toPoint());
    if ((event->buttons() & Qt::LeftButton) && !m_bMouseOnButton) {
        return;
    }
    if (over) {
        if (m_bIsFlat && !m_bMouseOnButton) {
            m_bMouseOnButton = true;
            update();
        }
    } else {
        endHover();
    }
}

void CHoverButton::focusInEvent(QFocusEvent* event) {
    QPushButton::focusInEvent(event);
    // Switching back to the program keeps whatever the focus showed before.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) {
        m_bKeyboardFocus = event->reason() != Qt::MouseFocusReason;
    }
    update();
}

void CHoverButton::focusOutEvent(QFocusEvent* event) {
    QPushButton::focusOutEvent(event);
    endHover();
}

void CHoverButton::followSystemColors() {
    // A change of the system colours discards the page's colours; a palette given to a parent
    // does not.
    const QPalette system = QApplication::palette(this);
    if (system.color(QPalette::Button) != m_systemFace ||
        system.color(QPalette::ButtonText) != m_systemText) {
        ResetStateColors(true);
    }
}

void CHoverButton::endHover() {
    if (m_bIsFlat && m_bMouseOnButton) {
        m_bMouseOnButton = false;
        update();
    }
}

void CHoverButton::moveFocusOnward() {
    // Only a button the user can see hands the focus on.
    if (!isVisible()) {
        return;
    }
    for (QWidget* next = nextInFocusChain(); next && next != this;
         next = next->nextInFocusChain()) {
        if (next->window() == window() && next->isVisible() && next->isEnabled() &&
            (next->focusPolicy() & Qt::TabFocus) && !next->focusProxy()) {
            next->setFocus(Qt::TabFocusReason);
            return;
        }
    }
    if (QWidget* parent = parentWidget()) {
        parent->setFocus(Qt::OtherFocusReason);
    }
}

void CHoverButton::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange: {
        // Only when this button itself is switched, not when its page is.
        const bool explicitlyDisabled = testAttribute(Qt::WA_Disabled);
        if (explicitlyDisabled != m_bExplicitlyDisabled) {
            m_bExplicitlyDisabled = explicitlyDisabled;
            if (explicitlyDisabled) {
                // The page disabled the button under the user's hands: the focus goes on to the
                // control after it.
                moveFocusOnward();
            }
        }
        if (!isEnabled()) {
            endHover();
        }
        break;
    }
    case QEvent::PaletteChange:
        followSystemColors();
        break;
    case QEvent::ActivationChange:
        if (!isActiveWindow()) {
            endHover();
        }
        break;
    default:
        break;
    }
}

bool CHoverButton::event(QEvent* event) {
    if (event->type() == QEvent::ApplicationPaletteChange) {
        followSystemColors();
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
        // Two quick clicks count as two clicks.
        auto* click = static_cast<QMouseEvent*>(event);
        QMouseEvent press(QEvent::MouseButtonPress, click->position(), click->scenePosition(),
                          click->globalPosition(), click->button(), click->buttons(),
                          click->modifiers());
        return QPushButton::event(&press);
    }
    return QPushButton::event(event);
}

void CHoverButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QRect face = rect();
    PaintFace(painter, face);
    PaintEdge(painter, face);
    QRect captionArea = rect();
    if (!m_icon.isNull()) {
        PaintIcon(painter, rect(), captionArea);
    }
    if (!text().isEmpty()) {
        PaintCaption(painter, captionArea);
    }
    if (hasFocus() && !m_bIsFlat) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = face.adjusted(3, 3, -3, -3);
        focus.backgroundColor = m_crColors[BTNST_COLOR_BK_FOCUS];
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    } else if (hasFocus() && m_bKeyboardFocus) {
        PaintFocusFrame(painter, rect());
    }
}

void CHoverButton::PaintFace(QPainter& painter, QRect& face) {
    const bool pressed = isDown();
    const bool focused = hasFocus();
    if (!m_bIsFlat && (focused || isDefault())) {
        painter.setPen(QColor(0, 0, 0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(face.adjusted(0, 0, -1, -1));
        face.adjust(1, 1, -1, -1);
    }
    QColor fill = m_crColors[BTNST_COLOR_BK_OUT];
    if (m_bMouseOnButton || pressed) {
        fill = m_crColors[BTNST_COLOR_BK_IN];
    } else if (focused) {
        fill = m_crColors[BTNST_COLOR_BK_FOCUS];
    }
    painter.fillRect(face, fill);
}

void CHoverButton::PaintEdge(QPainter& painter, const QRect& face) {
    const QPalette& pal = palette();
    const QColor highlight = pal.color(QPalette::Light);
    const QColor light = pal.color(QPalette::Midlight);
    const QColor shadow = pal.color(QPalette::Dark);
    const QColor darkShadow = pal.color(QPalette::Shadow);
    if (isDown()) {
        if (m_bIsFlat) {
            if (m_bDrawBorder) {
                draw3dRect(painter, face, shadow, highlight);
            }
        } else {
            draw3dRect(painter, face, shadow, shadow);
        }
        return;
    }
    if (!m_bIsFlat) {
        draw3dRect(painter, face, highlight, darkShadow);
        draw3dRect(painter, face.adjusted(1, 1, -1, -1), light, shadow);
    } else if (m_bMouseOnButton && m_bDrawBorder) {
        draw3dRect(painter, face, highlight, shadow);
    }
}

void CHoverButton::PaintIcon(QPainter& painter, const QRect& button, QRect& captionArea) {
    const int w = m_iconSize.width();
    const int h = m_iconSize.height();
    int left = 0;
    if (text().isEmpty()) {
        left = button.left() + (button.width() - w) / 2;
    } else {
        left = button.left() + kImageMargin;
        captionArea.setLeft(button.left() + kImageMargin + w);
    }
    int top = button.top() + (button.height() - h) / 2;
    if (isDown()) {
        left += 1;
        top += 1;
    }
    painter.drawPixmap(QRect(left, top, w, h), isEnabled() ? m_icon : m_iconDisabled);
}

void CHoverButton::PaintCaption(QPainter& painter, const QRect& captionArea) {
    QRect area = captionArea;
    if (isDown()) {
        area.translate(1, 1);
    }
    const int flags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
    if (!isEnabled()) {
        // Embossed, like any disabled caption of the system.
        painter.setPen(palette().color(QPalette::Light));
        painter.drawText(area.translated(1, 1), flags, text());
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawText(area, flags, text());
        return;
    }
    QColor color = m_crColors[BTNST_COLOR_FG_OUT];
    if (m_bMouseOnButton || isDown()) {
        color = m_crColors[BTNST_COLOR_FG_IN];
    } else if (hasFocus()) {
        color = m_crColors[BTNST_COLOR_FG_FOCUS];
    }
    painter.setPen(color);
    painter.drawText(area, flags, text());
}

void CHoverButton::PaintFocusFrame(QPainter& painter, const QRect& button) {
    constexpr int kWidth = 2;
    const QColor color = palette().color(QPalette::Active, QPalette::Highlight);
    const QRect r = button;
    painter.fillRect(QRect(r.left(), r.top(), r.width(), kWidth), color);
    painter.fillRect(QRect(r.left(), r.bottom() - kWidth + 1, r.width(), kWidth), color);
    painter.fillRect(QRect(r.left(), r.top(), kWidth, r.height()), color);
    painter.fillRect(QRect(r.right() - kWidth + 1, r.top(), kWidth, r.height()), color);
}
