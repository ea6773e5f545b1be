#include "controls/ComboDropList.h"

#include "controls/DropListCombo.h"
#include "controls/ListSource.h"
#include "framework/ControlId.h"
#include "framework/WindowClass.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QFontMetrics>
#include <QHash>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

#include <algorithm>

namespace {

bool g_slideEnabled = true;

bool isListKey(int key) {
    switch (key) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Up:
    case Qt::Key_Down:
        return true;
    default:
        return false;
    }
}

bool isClosingKey(int key) {
    return key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Return ||
           key == Qt::Key_Enter || key == Qt::Key_Escape;
}

// Characters worth searching for: anything printable. The full stop is searched for like any
// other character, since road names carry it ("St. Helen's Road").
bool isSearchable(QChar c) {
    return c.isPrint();
}

// One row in view, by its place in the popup: what it shows follows the scrolling.
class DropListRowAccessible : public QAccessibleInterface {
public:
    DropListRowAccessible(CComboDropList* list, int place) : m_list(list), m_place(place) {}

    bool isValid() const override { return !m_list.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_list ? m_list->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return m_list ? QAccessible::queryAccessibleInterface(m_list.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::ListItem; }

    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name || !m_list)
            return {};
        return m_list->RowText(row());
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        if (!m_list)
            return {};
        const QRect item = m_list->ItemRect(row());
        return QRect(m_list->mapToGlobal(item.topLeft()), item.size());
    }

    QAccessible::State state() const override {
        QAccessible::State st;
        if (!m_list || !m_list->isVisible()) {
            st.invisible = true;
            return st;
        }
        st.selectable = true;
        st.selected = row() == m_list->Highlighted();
        st.active = st.selected;
        return st;
    }

private:
    int row() const { return m_list ? m_list->TopIndex() + m_place : -1; }

    QPointer<CComboDropList> m_list;
    int m_place;
};

// The open popup is a list whose rows in view are its items.
class DropListAccessible : public QAccessibleWidget {
public:
    explicit DropListAccessible(CComboDropList* list)
        : QAccessibleWidget(list, QAccessible::List) {}
    ~DropListAccessible() override {
        for (QAccessible::Id id : std::as_const(m_rows))
            QAccessible::deleteAccessibleInterface(id);
    }

    CComboDropList* list() const { return static_cast<CComboDropList*>(widget()); }

    // A window of its own, yet it belongs to the combo (as the combo's one child).
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(list()->Combo());
    }

    int childCount() const override { return list()->isVisible() ? list()->RowsInView() : 0; }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount())
            return nullptr;
        auto found = m_rows.constFind(index);
        if (found != m_rows.constEnd())
            return QAccessible::accessibleInterface(*found);
        auto* row = new DropListRowAccessible(list(), index);
        m_rows.insert(index, QAccessible::registerAccessibleInterface(row));
        return row;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (auto it = m_rows.constBegin(); it != m_rows.constEnd(); ++it) {
            if (QAccessible::accessibleInterface(it.value()) == child)
                return it.key() < childCount() ? it.key() : -1;
        }
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint pos = list()->mapFromGlobal(QPoint(x, y));
        if (!list()->ListRect().contains(pos))
            return nullptr;
        return child(list()->ItemAt(pos) - list()->TopIndex());
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name)
            return list()->Combo()->accessibleName();
        return QAccessibleWidget::text(t);
    }

private:
    mutable QHash<int, QAccessible::Id> m_rows;
};

QAccessibleInterface* dropListAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("CComboDropList") && object && object->isWidgetType())
        return new DropListAccessible(static_cast<CComboDropList*>(object));
    return nullptr;
}

} // namespace

CComboDropList::CComboDropList(CDropListCombo* combo)
    : QWidget(combo, Qt::Popup | Qt::FramelessWindowHint), m_pCombo(combo),
      m_pScrollBar(new QScrollBar(Qt::Vertical, this)) {
    static const bool accessibleInstalled = [] {
        QAccessible::installFactory(dropListAccessible);
        return true;
    }();
    Q_UNUSED(accessibleInstalled);
    setObjectName(QStringLiteral("CComboDropList"));
    kestrel::SetWindowClassName(this, QStringLiteral("CComboDropList"));
    // A click outside closes the popup and goes no further: the click that closes it on the
    // combo itself must not open it again.
    setAttribute(Qt::WA_NoMouseReplay);
    setAttribute(Qt::WA_OpaquePaintEvent); // paintEvent covers every pixel
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    m_pScrollBar->setObjectName(QStringLiteral("CComboDropListScrollBar"));
    kestrel::SetControlId(m_pScrollBar, kScrollBarId);
    m_pScrollBar->setFocusPolicy(Qt::NoFocus);
    m_pScrollBar->setRange(0, 0);
    m_pScrollBar->setSingleStep(1);
    m_pScrollBar->installEventFilter(this);
    connect(m_pScrollBar, &QScrollBar::valueChanged, this, [this] { update(); });

    m_autoScrollTimer.setSingleShot(true);
    connect(&m_autoScrollTimer, &QTimer::timeout, this, [this] { AutoScrollCheck(m_ptLastMove); });
    m_searchTimer.setSingleShot(true);
    connect(&m_searchTimer, &QTimer::timeout, this, &CComboDropList::OnSearchTimer);
    m_slideTimer.setInterval(kSlideStepMs);
    connect(&m_slideTimer, &QTimer::timeout, this, &CComboDropList::SlideStep);

    m_elapsed.start();
    m_clock = [this] { return m_elapsed.elapsed(); };
    MeasureItemHeight();
}

CComboDropList::~CComboDropList() = default;

void CComboDropList::SetSlideEnabled(bool enabled) {
    g_slideEnabled = enabled;
}

void CComboDropList::SetSearchClock(Clock clock) {
    m_clock = clock ? std::move(clock) : Clock([this] { return m_elapsed.elapsed(); });
}

CListSource* CComboDropList::Source() const {
    return m_pCombo->GetItemSource();
}

int CComboDropList::Count() const {
    return m_pCombo->GetCount();
}

void CComboDropList::MeasureItemHeight() {
    // One line of capitals in the combo's font, plus a pixel between rows.
    const QFontMetrics metrics(m_pCombo->font());
    const QRect bounds = metrics.boundingRect(QRect(0, 0, 1000, 50), Qt::TextSingleLine,
                                              QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"));
    m_nItemHeight = std::max(1, bounds.height() + 1);
}

CComboDropList::Box CComboDropList::ComboBox() const {
    const QPoint origin = m_pCombo->mapToGlobal(QPoint(0, 0));
    return Box{origin.x(), origin.y(), origin.x() + m_pCombo->width(),
               origin.y() + m_pCombo->height()};
}

int CComboDropList::TopIndex() const {
    int first = m_pScrollBar->value();
    if (first + m_nVisibleRows >= Count())
        first = Count() - m_nVisibleRows;
    // A list shorter than the popup starts at the top rather than at the bottom.
    return std::max(first, 0);
}

QRect CComboDropList::ListRect() const {
    const int clientWidth = width() - 2 * kBorder;
    const int clientHeight = height() - 2 * kBorder;
    return QRect(kBorder, kBorder, std::max(0, clientWidth - m_pScrollBar->width()),
                 std::max(0, clientHeight));
}

QRect CComboDropList::ItemRect(int index) const {
    // Client coordinates: left 1, top h * k + 1, right = client width - scroll bar, bottom
    // h * (k + 1), exclusive; shifted by the border into popup coordinates.
    const int row = index - TopIndex();
    const int clientRight = width() - 2 * kBorder - m_pScrollBar->width();
    const int top = m_nItemHeight * row + 1;
    const int bottom = m_nItemHeight * (row + 1);
    return QRect(kBorder + 1, kBorder + top, std::max(0, clientRight - 1), bottom - top);
}

int CComboDropList::ItemAt(const QPoint& pos) const {
    int y = pos.y() - kBorder;
    // The pixel line between two rows belongs to the upper one.
    if (y % m_nItemHeight == 0)
        y -= 1;
    return y / m_nItemHeight + TopIndex();
}

void CComboDropList::Open() {
    if (isVisible())
        return;
    MeasureItemHeight();
    const Box combo = ComboBox();
    QScreen* screen = m_pCombo->screen();
    const QRect screenRect = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    // The arithmetic runs with the screen's top at 0, as a single-screen desktop has it.
    const int origin = screenRect.top();
    const int H = screenRect.height();
    const int rTop = combo.top - origin;
    const int rBottom = combo.bottom - origin;
    const int b = kBorder;
    const int h = m_nItemHeight;
    int L = m_nVisibleRows * h + 2 * b;

    const Box below{combo.left, rBottom, combo.right, rBottom + L};
    Box box = below;
    if (below.bottom <= H) {
        box = below;
    } else if (rTop - L >= 0) {
        box = Box{combo.left, rTop - L, combo.right, rTop};
    } else if (H - b - rBottom > rTop - 1) {
        // Against the bottom of the screen, with as many rows as fit.
        int top = H - b - L;
        if (top < 0) {
            m_nVisibleRows = std::max(1, (H - 3 * b - 1) / h);
            L = m_nVisibleRows * h + 2 * b;
            top = H - b - L;
        }
        box = Box{combo.left, top, combo.right, H - b};
    } else {
        // Against the top of the screen.
        box = Box{combo.left, 1, combo.right, 1 + L};
        if (1 + L > H) {
            m_nVisibleRows = std::max(1, (H - 1 - 2 * b) / h);
            box.bottom = 1 + m_nVisibleRows * h + 2 * b;
        }
    }
    m_bOpensBelow = (box == below);
    box.top += origin;
    box.bottom += origin;

    m_bClosing = false;
    if (g_slideEnabled) {
        // Rows, range and highlight are those of the final size from the first frame on; only
        // the window grows.
        LayoutFor(box);
        m_bAnimating = true;
        m_nSlideStep = 0;
        SlideStep();
        if (m_bAnimating)
            m_slideTimer.start();
    } else {
        PlaceAt(box, false);
    }
}

void CComboDropList::SlideStep() {
    const double step = 0.1 * m_target.height();
    ++m_nSlideStep;
    const double d = step * m_nSlideStep;
    if (!m_bAnimating || step <= 0 || d > m_target.height() || m_nSlideStep > kSlideSteps) {
        m_slideTimer.stop();
        m_bAnimating = false;
        PlaceAt(m_target, false);
        return;
    }
    Box part = m_target;
    const int cut = static_cast<int>(d);
    if (m_bOpensBelow)
        part.bottom = part.top + cut;
    else
        part.top = part.bottom - cut;
    PlaceAt(part, true);
}

CComboDropList::Box CComboDropList::LayoutFor(Box box) {
    if (box.right - box.left < kMinimumSize)
        box.right = box.left + kMinimumSize;
    if (box.bottom - box.top < kMinimumSize) {
        if (m_bOpensBelow)
            box.bottom = box.top + kMinimumSize;
        else
            box.top = box.bottom - kMinimumSize;
    }
    m_target = box;
    m_nVisibleRows = std::max(0, box.height() - 2 * kBorder) / m_nItemHeight;
    m_pScrollBar->setRange(0, std::max(0, Count() - m_nVisibleRows));
    m_pScrollBar->setPageStep(std::max(1, m_nVisibleRows - 1));
    m_nHighlighted = m_pCombo->GetCurSel();
    EnsureHighlightVisible();
    return box;
}

void CComboDropList::PlaceAt(Box box, bool sliding) {
    if (!sliding)
        box = LayoutFor(box);
    setGeometry(box.rect());
    const int scrollWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const int clientWidth = std::max(0, width() - 2 * kBorder);
    const int clientHeight = std::max(0, height() - 2 * kBorder);
    m_pScrollBar->setGeometry(kBorder + clientWidth - scrollWidth, kBorder, scrollWidth,
                              clientHeight);
    if (!isVisible())
        show();
    raise();
}

void CComboDropList::EnsureHighlightVisible() {
    const int count = Count();
    const int first = TopIndex();
    if (m_nHighlighted < 0)
        m_nHighlighted = 0;
    if (m_nHighlighted >= count)
        m_nHighlighted = count - 1;
    if (m_nHighlighted >= first + m_nVisibleRows)
        m_pScrollBar->setValue(m_nHighlighted - m_nVisibleRows + 1);
    else if (m_nHighlighted >= 0 && m_nHighlighted < first)
        m_pScrollBar->setValue(m_nHighlighted);
    update();
    AnnounceHighlight();
}

void CComboDropList::AnnounceHighlight() {
    // The keys stay with the combo while the list is open; a screen reader hears the row they
    // moved to as the one that has the focus.
    if (!isVisible() || !QAccessible::isActive())
        return;
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(this);
    QAccessibleInterface* row = list ? list->child(m_nHighlighted - TopIndex()) : nullptr;
    if (row) {
        QAccessibleEvent focused(row, QAccessible::Focus);
        QAccessible::updateAccessibility(&focused);
    }
}

void CComboDropList::Close() {
    m_bClosing = true;
    m_slideTimer.stop();
    m_bAnimating = false;
    m_autoScrollTimer.stop();
    m_nHighlighted = -1;
    ResetMouseState();
    if (isVisible())
        hide();
    m_bClosing = false;
    m_pCombo->update();
}

void CComboDropList::ResetMouseState() {
    m_ptDown = QPoint(-1, -1);
    m_ptLastMove = QPoint(-1, -1);
    m_bSizing = false;
    m_corner = Corner::None;
}

void CComboDropList::hideEvent(QHideEvent* event) {
    // Qt may close the popup on its own (another window activated): leave the same state as
    // an explicit Close.
    if (!m_bClosing) {
        m_slideTimer.stop();
        m_bAnimating = false;
        m_autoScrollTimer.stop();
        m_nHighlighted = -1;
        ResetMouseState();
        m_pCombo->update();
    }
    QWidget::hideEvent(event);
}

// ---- keys -----------------------------------------------------------------------------------

bool CComboDropList::ProcessKeyPress(QKeyEvent* event) {
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (!Source()) {
        if (isVisible() && isClosingKey(key)) {
            Close();
            return true;
        }
        return false;
    }
    if (mods & Qt::AltModifier) {
        if (key == Qt::Key_PageUp || key == Qt::Key_PageDown || key == Qt::Key_Up ||
            key == Qt::Key_Down) {
            Open();
            return true;
        }
        return false; // menus and mnemonics of the dialog
    }
    if (key == Qt::Key_F4) {
        if (isVisible())
            Close();
        else
            Open();
        return true;
    }
    if (isClosingKey(key)) {
        if (!isVisible())
            return false; // Enter and Escape belong to the dialog while the list is closed
        KeyDown(key, true);
        return true;
    }
    if (isListKey(key)) {
        KeyDown(key, true);
        return true;
    }
    if (key == Qt::Key_Backspace) {
        SearchChar(QChar(u'\b'));
        return true;
    }
    if (mods & (Qt::ControlModifier | Qt::MetaModifier))
        return false;
    const QString text = event->text();
    bool searched = false;
    for (QChar c : text) {
        if (isSearchable(c)) {
            SearchChar(c);
            searched = true;
        }
    }
    return searched;
}

void CComboDropList::KeyDown(int key, bool realKey) {
    if (m_nHighlighted < 0)
        m_nHighlighted = m_pCombo->GetCurSel();
    if (isClosingKey(key)) {
        // The choice stays as it is: Escape does not undo what the arrows chose.
        Close();
        return;
    }
    const int count = Count();
    switch (key) {
    case Qt::Key_PageUp:
        m_nHighlighted -= m_nVisibleRows - 1;
        break;
    case Qt::Key_PageDown:
        m_nHighlighted += m_nVisibleRows - 1;
        break;
    case Qt::Key_End:
        m_nHighlighted = count - 1;
        break;
    case Qt::Key_Home:
        m_nHighlighted = 0;
        break;
    case Qt::Key_Up:
        m_nHighlighted -= 1;
        break;
    case Qt::Key_Down:
        m_nHighlighted += 1;
        break;
    default:
        return;
    }
    m_nHighlighted = std::clamp(m_nHighlighted, 0, std::max(0, count - 1));
    if (realKey)
        m_pCombo->SetCurSel(m_nHighlighted);
    EnsureHighlightVisible();
}

int CComboDropList::RowsInView() const {
    return std::clamp(Count() - TopIndex(), 0, m_nVisibleRows);
}

QString CComboDropList::RowText(int index) const {
    CListSource* source = Source();
    return source && index >= 0 && index < Count() ? source->GetText(index) : QString();
}

void CComboDropList::FollowSelection() {
    m_nHighlighted = m_pCombo->GetCurSel();
}

bool CComboDropList::SearchExpired() const {
    return m_clock() - m_lastSearchKey >= kSearchResetMs;
}

QString CComboDropList::SearchText() const {
    return SearchExpired() ? QString() : m_strSearch;
}

void CComboDropList::OnSearchTimer() {
    if (!SearchExpired()) {
        // The clock has not got there yet (it is not the wall clock); look again later.
        m_searchTimer.start(kSearchResetMs);
        return;
    }
    m_strSearch.clear();
    update();
}

void CComboDropList::SearchChar(QChar c) {
    CListSource* source = Source();
    if (!source)
        return;
    if (SearchExpired())
        m_strSearch.clear();
    const QString kept = m_strSearch;
    const bool backspace = (c == QChar(u'\b'));
    if (backspace) {
        if (!m_strSearch.isEmpty()) {
            m_strSearch.chop(1);
            if (!m_strSearch.isEmpty() && m_strSearch.back().isHighSurrogate())
                m_strSearch.chop(1);
        }
    } else {
        m_strSearch += c;
    }

    if (!m_strSearch.isEmpty()) {
        const bool oneChar = m_strSearch.size() == 1 ||
                             (m_strSearch.size() == 2 && m_strSearch.front().isHighSurrogate());
        int found = -1;
        if (backspace) {
            found = source->FindStringBefore(m_nHighlighted, m_strSearch);
        } else if (oneChar) {
            found = m_pCombo->FindString(m_nHighlighted, m_strSearch);
            if (found < 0)
                found = m_pCombo->FindString(0, m_strSearch);
            if (found < 0)
                m_strSearch.clear();
        } else {
            found = m_pCombo->FindString(m_nHighlighted, m_strSearch);
            if (found < 0) {
                // No row goes on like that: keep what was typed before and move on to the next
                // row that matches it, so repeating a letter walks through its rows.
                m_strSearch = kept;
                found = m_pCombo->FindString(m_nHighlighted + 1, m_strSearch);
            }
        }
        if (found >= 0) {
            // Take the row's own capitals, so the caret sits after what is really shown.
            m_strSearch = source->GetText(found).left(m_strSearch.size());
            m_nHighlighted = found;
            m_pCombo->SetCurSel(found);
        }
    }
    EnsureHighlightVisible();
    m_lastSearchKey = m_clock();
    m_searchTimer.start(kSearchResetMs);
}

bool CComboDropList::event(QEvent* event) {
    // Tab closes the open list and leaves the focus where it is; it does not walk the popup.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            Close();
            return true;
        }
    }
    return QWidget::event(event);
}

void CComboDropList::keyPressEvent(QKeyEvent* event) {
    if (ProcessKeyPress(event))
        event->accept();
    else
        event->ignore();
}

void CComboDropList::inputMethodEvent(QInputMethodEvent* event) {
    for (QChar c : event->commitString()) {
        if (isSearchable(c))
            SearchChar(c);
    }
    event->accept();
}

// ---- painting -------------------------------------------------------------------------------

QRect CComboDropList::CaretRect() const {
    const QString search = SearchText();
    if (!isVisible() || search.isEmpty() || m_nHighlighted < 0 || m_nHighlighted >= Count())
        return QRect();
    CListSource* source = Source();
    if (!source || !CListSource::StartsWith(source->GetText(m_nHighlighted), search))
        return QRect();
    const QRect item = ItemRect(m_nHighlighted);
    const QFontMetrics metrics(m_pCombo->font());
    const int x = item.left() + kTextIndent + metrics.horizontalAdvance(search);
    return QRect(x, item.top(), 3, std::max(1, m_nItemHeight - 2));
}

void CComboDropList::paintEvent(QPaintEvent*) {
    // Qt paints into the window's backing store and copies it out in one go, which is the
    // off-screen buffer that keeps scrolling free of flicker.
    QPainter painter(this);
    const QPalette& pal = palette();
    const bool enabled = isEnabled();
    const QColor background = enabled ? QColor(255, 255, 255) : pal.color(QPalette::Button);
    painter.fillRect(rect(), background);
    painter.setPen(pal.color(QPalette::Shadow));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    CListSource* source = Source();
    if (!source || m_nItemHeight <= 0)
        return;
    painter.setFont(m_pCombo->font());
    painter.setClipRect(ListRect());
    const int count = Count();
    const int first = TopIndex();
    const bool focused = m_pCombo->hasFocus() || QApplication::focusWidget() == m_pCombo;
    const QString search = SearchText();
    for (int i = first + m_nVisibleRows; i >= first; --i) {
        if (i < 0 || i >= count)
            continue;
        const QRect item = ItemRect(i);
        const bool highlighted = (i == m_nHighlighted) && focused;
        painter.fillRect(item, highlighted ? pal.color(QPalette::Highlight) : background);
        painter.setPen(highlighted ? pal.color(QPalette::HighlightedText)
                                   : pal.color(enabled ? QPalette::Active : QPalette::Disabled,
                                               QPalette::Text));
        const QString text = source->GetText(i);
        painter.drawText(item.adjusted(kTextIndent, 0, 0, 0),
                         Qt::TextSingleLine | Qt::AlignLeft | Qt::AlignTop, text);
    }
    const QRect caret = CaretRect();
    if (!caret.isNull())
        painter.fillRect(caret, QColor(128, 128, 128));
}

// ---- mouse ----------------------------------------------------------------------------------

CComboDropList::Corner CComboDropList::CornerAt(const QPoint& pos) const {
    const int fromRight = width() - pos.x();
    if (fromRight < 1 || fromRight > kGripSize)
        return Corner::None;
    const int fromBottom = height() - pos.y();
    if (fromBottom >= 1 && fromBottom <= kGripSize)
        return Corner::BottomRight;
    const int fromTop = pos.y() + 1;
    if (fromTop >= 1 && fromTop <= kGripSize)
        return Corner::TopRight;
    return Corner::None;
}

void CComboDropList::UpdateCursor(const QPoint& pos) {
    const Corner corner = CornerAt(pos);
    Qt::CursorShape shape = Qt::ArrowCursor;
    if (corner == Corner::BottomRight)
        shape = Qt::SizeFDiagCursor;
    else if (corner == Corner::TopRight)
        shape = Qt::SizeBDiagCursor;
    if (corner != Corner::None && !m_bSizing)
        m_corner = corner;
    if (cursor().shape() != shape)
        setCursor(shape);
    if (m_pScrollBar->cursor().shape() != shape)
        m_pScrollBar->setCursor(shape);
}

void CComboDropList::HandlePress(const QPoint& pos) {
    if (!rect().contains(pos)) {
        Close();
        return;
    }
    m_ptDown = pos;
    const Corner corner = CornerAt(pos);
    if (corner != Corner::None) {
        m_bSizing = true;
        m_corner = corner;
    }
}

void CComboDropList::HandleMove(const QPoint& pos, const QPoint& globalPos, bool buttonDown) {
    if (m_bSizing) {
        const Box combo = ComboBox();
        Box box = m_target;
        box.right = globalPos.x();
        const bool wantBelow = (m_corner == Corner::BottomRight) ? globalPos.y() >= combo.bottom
                                                                 : globalPos.y() > combo.bottom;
        if (wantBelow) {
            m_bOpensBelow = true;
            box.top = combo.bottom;
            box.bottom = globalPos.y();
        } else {
            m_bOpensBelow = false;
            box.bottom = combo.top;
            box.top = globalPos.y();
        }
        PlaceAt(box, false);
        return;
    }
    if (ListRect().contains(pos)) {
        const int item = ItemAt(pos);
        if (item != m_nHighlighted) {
            m_nHighlighted = item;
            update();
        }
    }
    UpdateCursor(pos);
    if (buttonDown) {
        m_ptLastMove = globalPos;
        AutoScrollCheck(globalPos);
    }
}

void CComboDropList::AutoScrollCheck(const QPoint& p) {
    if (p == QPoint(-1, -1) || m_ptDown == QPoint(-1, -1) || !isVisible())
        return;
    const QRect window = geometry();
    if (window.contains(p))
        return;
    const int bottom = window.top() + window.height();
    const int count = Count();
    int d = p.y() - bottom;
    if (d > 0 && TopIndex() + m_nVisibleRows < count) {
        KeyDown(d < 101 ? Qt::Key_Down : Qt::Key_PageDown, false);
        m_autoScrollTimer.start(d < 101 ? 1000 / d : 1);
        return;
    }
    d = window.top() - p.y();
    if (d >= 1 && TopIndex() > 0)
        KeyDown(d < 101 ? Qt::Key_Up : Qt::Key_PageUp, false);
    m_autoScrollTimer.start(d < 101 ? 1000 / std::max(d, 1) : 1);
}

void CComboDropList::HandleRelease(const QPoint& pos, const QPoint& globalPos) {
    Q_UNUSED(globalPos);
    const bool hadDown = m_ptDown != QPoint(-1, -1);
    if (m_bSizing) {
        // Whole rows only.
        Box box = m_target;
        const int rows = m_nVisibleRows;
        if (m_bOpensBelow)
            box.bottom = box.top + rows * m_nItemHeight + 2 * kBorder;
        else
            box.top = box.bottom - 2 * kBorder - rows * m_nItemHeight;
        PlaceAt(box, false);
    } else if (hadDown && !rect().contains(pos)) {
        Close();
    } else if (hadDown && QRect(kBorder, kBorder, width() - 2 * kBorder, height() - 2 * kBorder)
                              .contains(pos)) {
        m_pCombo->SetCurSel(ItemAt(pos));
        Close();
    }
    m_autoScrollTimer.stop();
    ResetMouseState();
}

void CComboDropList::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        if (!rect().contains(event->position().toPoint()))
            Close();
        return;
    }
    HandlePress(event->position().toPoint());
}

void CComboDropList::mouseMoveEvent(QMouseEvent* event) {
    HandleMove(event->position().toPoint(), event->globalPosition().toPoint(),
               (event->buttons() & Qt::LeftButton) != 0);
}

void CComboDropList::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    HandleRelease(event->position().toPoint(), event->globalPosition().toPoint());
}

void CComboDropList::mouseDoubleClickEvent(QMouseEvent*) {
    Close();
}

void CComboDropList::wheelEvent(QWheelEvent* event) {
    const int notches = event->angleDelta().y() / 120;
    if (notches != 0)
        m_pScrollBar->setValue(m_pScrollBar->value() - notches * kWheelRows);
    event->accept();
}

bool CComboDropList::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_pScrollBar)
        return QWidget::eventFilter(watched, event);
    // The resizing corners lie over the ends of the scroll bar: take those presses, and the
    // moves and release of a resize, before the scroll bar sees them.
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint pos = m_pScrollBar->mapTo(this, mouse->position().toPoint());
        if (mouse->button() == Qt::LeftButton && CornerAt(pos) != Corner::None) {
            HandlePress(pos);
            return true;
        }
        m_ptDown = QPoint(-1, -1);
        return false;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint pos = m_pScrollBar->mapTo(this, mouse->position().toPoint());
        if (m_bSizing) {
            HandleMove(pos, mouse->globalPosition().toPoint(), true);
            return true;
        }
        UpdateCursor(pos);
        return false;
    }
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (m_bSizing) {
            HandleRelease(m_pScrollBar->mapTo(this, mouse->position().toPoint()),
                          mouse->globalPosition().toPoint());
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}
