#include "controls/DropListCombo.h"

#include "controls/ComboDropList.h"
#include "controls/ListSource.h"
#include "framework/WindowClass.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionComboBox>

namespace {

// What a screen reader is told about the box. Qt's own combo box names itself by its current
// text on Linux; ours keeps the name the page gave it (the label's text) and reports the chosen
// road as its value, so a user, and the end-to-end tests, find the road field by its label.
//
// The value also comes as the box's text (the text interface), which is how screen readers on
// Linux read what a combo box shows, and the open list is the box's one child.
class DropListComboAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit DropListComboAccessible(CDropListCombo* combo)
        : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    CDropListCombo* combo() const { return static_cast<CDropListCombo*>(widget()); }

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    int childCount() const override { return combo()->HasDropList() ? 1 : 0; }
    QAccessibleInterface* child(int index) const override {
        if (index != 0 || !combo()->HasDropList())
            return nullptr;
        return QAccessible::queryAccessibleInterface(combo()->DropList());
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child && combo()->HasDropList() && child->object() == combo()->DropList() ? 0 : -1;
    }

    // The text interface: the chosen road, read-only, nothing selected.
    QString text(int start, int end) const override {
        const QString value = combo()->GetWindowText();
        if (end < 0 || end > value.size())
            end = static_cast<int>(value.size());
        start = qBound(0, start, end);
        return value.mid(start, end - start);
    }
    int characterCount() const override {
        return static_cast<int>(combo()->GetWindowText().size());
    }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    void selection(int, int* startOffset, int* endOffset) const override {
        *startOffset = 0;
        *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    QRect characterRect(int) const override { return QRect(); }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        *startOffset = offset;
        *endOffset = offset;
        return QString();
    }

    QString text(QAccessible::Text t) const override {
        switch (t) {
        case QAccessible::Name: {
            const QString name = combo()->accessibleName();
            return name.isEmpty() ? combo()->GetWindowText() : name;
        }
        case QAccessible::Value:
            return combo()->GetWindowText();
        default:
            return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override {
        QAccessible::State st = QAccessibleWidget::state();
        st.expandable = true;
        st.expanded = combo()->IsDroppedDown();
        st.collapsed = !st.expanded;
        return st;
    }

    QStringList actionNames() const override {
        return QStringList{showMenuAction(), pressAction()} << QAccessibleWidget::actionNames();
    }

    void doAction(const QString& actionName) override {
        if (actionName == showMenuAction() || actionName == pressAction()) {
            if (combo()->IsDroppedDown())
                combo()->hidePopup();
            else
                combo()->showPopup();
            return;
        }
        QAccessibleWidget::doAction(actionName);
    }
};

QAccessibleInterface* dropListComboAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("CDropListCombo") && object && object->isWidgetType())
        return new DropListComboAccessible(static_cast<CDropListCombo*>(object));
    return nullptr;
}

} // namespace

CDropListCombo::CDropListCombo(QWidget* parent) : QComboBox(parent) {
    static const bool accessibleInstalled = [] {
        QAccessible::installFactory(dropListComboAccessible);
        return true;
    }();
    Q_UNUSED(accessibleInstalled);
    setEditable(false);
    kestrel::SetWindowClassName(this, QStringLiteral("ComboBox"));
    setFocusPolicy(Qt::StrongFocus);
    // The box's width must not follow the one text it holds at a time.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(20);
    // However the choice changes while the list is closed (SetCurSel, or a plain combo
    // helper clearing the current index), the next key starts from it.
    connect(this, &QComboBox::currentIndexChanged, this, [this] {
        if (m_pDropList && !m_pDropList->isVisible())
            m_pDropList->FollowSelection();
    });
}

CDropListCombo::~CDropListCombo() = default;

void CDropListCombo::SetItemSource(CListSource* source) {
    m_pSource = source;
}

int CDropListCombo::GetCount() const {
    return m_pSource ? m_pSource->GetCount() : 0;
}

int CDropListCombo::FindString(int start, const QString& text) const {
    return m_pSource ? m_pSource->FindString(start, text) : 0;
}

int CDropListCombo::GetCurSel() const {
    if (count() == 0 || currentIndex() < 0)
        return -1;
    const QVariant data = itemData(currentIndex());
    bool ok = false;
    const int index = data.toInt(&ok);
    return ok ? index : -1;
}

int CDropListCombo::SetCurSel(int index) {
    const int previous = GetCurSel();
    // The box holds the chosen text only; the list itself stays in the source.
    clear();
    const bool valid = m_pSource && index >= 0 && index < m_pSource->GetCount();
    if (valid) {
        addItem(m_pSource->GetText(index), index);
        setCurrentIndex(0);
    }
    // A closed list moves on from what is chosen now, not from where its highlight last was
    // (a page loading a record chooses without the list).
    if (m_pDropList && !m_pDropList->isVisible())
        m_pDropList->FollowSelection();
    if (GetCurSel() != previous) {
        QAccessibleValueChangeEvent changed(this, GetWindowText());
        QAccessible::updateAccessibility(&changed);
    }
    return valid ? previous : -1;
}

int CDropListCombo::SelectString(int start, const QString& text) {
    const int found = FindString(start, text);
    if (found >= 0)
        SetCurSel(found);
    return found;
}

CComboDropList* CDropListCombo::DropList() {
    if (!m_pDropList) {
        m_pDropList = new CComboDropList(this);
        m_pDropList->setEnabled(isEnabled());
    }
    return m_pDropList;
}

bool CDropListCombo::IsDroppedDown() const {
    return m_pDropList && m_pDropList->isVisible();
}

void CDropListCombo::showPopup() {
    DropList()->Open();
    update();
}

void CDropListCombo::hidePopup() {
    if (m_pDropList)
        m_pDropList->Close();
    update();
}

void CDropListCombo::initStyleOption(QStyleOptionComboBox* option) const {
    QComboBox::initStyleOption(option);
    if (IsDroppedDown())
        option->state |= QStyle::State_On;
}

void CDropListCombo::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    if (hasFocus() && IsDroppedDown()) {
        hidePopup();
        return;
    }
    setFocus(Qt::MouseFocusReason);
    showPopup();
    window()->raise();
}

void CDropListCombo::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}

void CDropListCombo::mouseDoubleClickEvent(QMouseEvent* event) {
    // A double click would otherwise count as a second press and close what the first opened.
    event->accept();
}

void CDropListCombo::keyPressEvent(QKeyEvent* event) {
    if (DropList()->ProcessKeyPress(event))
        event->accept();
    else
        event->ignore();
}

void CDropListCombo::keyReleaseEvent(QKeyEvent* event) {
    event->ignore();
}

void CDropListCombo::inputMethodEvent(QInputMethodEvent* event) {
    for (QChar c : event->commitString()) {
        if (c.isPrint())
            DropList()->SearchChar(c);
    }
    event->accept();
}

void CDropListCombo::wheelEvent(QWheelEvent* event) {
    // The box holds one item: turning the wheel over it has nothing to step through.
    event->ignore();
}

void CDropListCombo::focusOutEvent(QFocusEvent* event) {
    QComboBox::focusOutEvent(event);
    // Opening our own popup moves the focus to it for a while; only a real departure closes.
    if (event->reason() != Qt::PopupFocusReason)
        hidePopup();
}

void CDropListCombo::changeEvent(QEvent* event) {
    QComboBox::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        DropList()->setEnabled(isEnabled());
}
