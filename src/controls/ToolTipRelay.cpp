#include "controls/ToolTipRelay.h"

#include "controls/ToolTipHost.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>

#include <set>

namespace {

bool isMouseEvent(const QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        return true;
    default:
        return false;
    }
}

// Ordered by pointer value, no duplicates: the first live relay takes each event.
std::set<CToolTipRelay*>& relays() {
    static std::set<CToolTipRelay*> set;
    return set;
}

class RelayHook final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!isMouseEvent(event) || !watched->isWidgetType()) {
            return false;
        }
        auto* target = static_cast<QWidget*>(watched);
        for (CToolTipRelay* relay : relays()) {
            const QWidget* owner = relay->GetRelayWnd();
            if (owner && owner->testAttribute(Qt::WA_WState_Created)) {
                relay->RelayEvent(target, event);
                break;
            }
        }
        // Only watching: the event goes on to its target unchanged.
        return false;
    }
};

QPointer<RelayHook>& hook() {
    static QPointer<RelayHook> instance;
    return instance;
}

} // namespace

long RegisterToolTipRelay(CToolTipRelay* relay) {
    if (!relay) {
        return kRelayNullArgument;
    }
    if (!hook()) {
        QCoreApplication* app = QCoreApplication::instance();
        if (!app) {
            return E_UNEXPECTED;
        }
        auto* filter = new RelayHook;
        // Parented to the application, so it goes away with it even if someone forgets to
        // unregister.
        filter->setParent(app);
        app->installEventFilter(filter);
        hook() = filter;
    }
    relays().insert(relay);
    return kRelayOk;
}

long UnregisterToolTipRelay(CToolTipRelay* relay) {
    if (!relay) {
        return kRelayNullArgument;
    }
    if (relays().erase(relay) == 0) {
        return E_INVALIDARG;
    }
    if (relays().empty() && hook()) {
        if (QCoreApplication* app = QCoreApplication::instance()) {
            app->removeEventFilter(hook());
        }
        delete hook().data();
        hook() = nullptr;
    }
    return kRelayOk;
}

int RegisteredToolTipRelayCount() {
    return static_cast<int>(relays().size());
}

bool ToolTipRelayHookInstalled() {
    return !hook().isNull();
}
