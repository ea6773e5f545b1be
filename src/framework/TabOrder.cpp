#include "framework/TabOrder.h"

#include <QHash>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>

#include <algorithm>
#include <climits>
#include <vector>

namespace kestrel {
namespace {

// A control Tab can stop at. A compound control's inner parts (a date field's line) hand the
// focus to the control and are not stops of their own; a sheet is no stop, its tabs are.
bool isStop(const QWidget* w) {
    return w->focusPolicy() != Qt::NoFocus && !w->focusProxy() &&
           !qobject_cast<const QTabWidget*>(w);
}

class Tidier {
public:
    explicit Tidier(QWidget* window) {
        int position = 0;
        for (QWidget* w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain())
            m_position.insert(w, ++position);
    }

    void collect(QWidget* container, std::vector<QWidget*>& order) {
        std::vector<std::pair<int, QWidget*>> children;
        for (QObject* object : container->children()) {
            auto* child = qobject_cast<QWidget*>(object);
            if (!child || child->isWindow())
                continue;
            children.emplace_back(key(container, child), child);
        }
        std::stable_sort(children.begin(), children.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& [unused, child] : children) {
            if (isStop(child))
                order.push_back(child);
            collect(child, order);
        }
    }

private:
    // Where a child goes among its siblings: where its first stop stands in the chain now. A
    // sheet's tabs come after its pages.
    int key(const QWidget* container, QWidget* child) {
        if (qobject_cast<QTabBar*>(child) && qobject_cast<const QTabWidget*>(container))
            return INT_MAX;
        const int first = firstStop(child);
        return first < INT_MAX ? first : m_position.value(child, INT_MAX);
    }

    int firstStop(QWidget* w) {
        int first = isStop(w) ? m_position.value(w, INT_MAX) : INT_MAX;
        for (QObject* object : w->children()) {
            auto* child = qobject_cast<QWidget*>(object);
            if (child && !child->isWindow())
                first = std::min(first, firstStop(child));
        }
        return first;
    }

    QHash<const QWidget*, int> m_position;
};

} // namespace

void TidyTabOrder(QWidget* window) {
    if (!window)
        return;
    // A sheet stands for its tabs in Qt's chain (its focus proxy), at the sheet's own place; the
    // tabs' place after the pages is to be the only one.
    for (QTabWidget* sheet : window->findChildren<QTabWidget*>()) {
        sheet->setFocusProxy(nullptr);
        sheet->setFocusPolicy(Qt::NoFocus);
    }
    Tidier tidier(window);
    std::vector<QWidget*> order;
    tidier.collect(window, order);
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

} // namespace kestrel
