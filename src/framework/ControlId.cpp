#include "framework/ControlId.h"

#include <QFrame>
#include <QHash>
#include <QWidget>

namespace {
// Every data exchange, tooltip pass and focus move looks ids up over all of a form's widgets, so
// they live in a hash rather than in Qt properties (a property read by name first searches the
// class's own properties, string by string). A widget leaves it when it is destroyed. Allocated
// once and never freed: a widget may outlive static destruction.
struct Mark {
    int id = 0;
    bool form = false;
};
QHash<const QObject*, Mark>& marks() {
    static auto* const all = new QHash<const QObject*, Mark>;
    return *all;
}

// The widget's mark, made (and forgotten again when the widget is destroyed) on first use.
Mark& markOf(QWidget* widget) {
    auto found = marks().find(widget);
    if (found == marks().end()) {
        QObject::connect(widget, &QObject::destroyed, [](QObject* gone) { marks().remove(gone); });
        found = marks().insert(widget, {});
    }
    return *found;
}

// Depth first in creation order, not entering windows or nested forms; stops when `visit`
// answers true.
template <class Visit> bool visitOwnControls(const QWidget* parent, const Visit& visit) {
    for (QObject* child : parent->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (!widget || widget->isWindow())
            continue;
        if (visit(widget))
            return true;
        if (!kestrel::IsForm(widget) && visitOwnControls(widget, visit))
            return true;
    }
    return false;
}
} // namespace

namespace kestrel {

void SetControlId(QWidget* control, int id) {
    if (control) {
        markOf(control).id = id;
    }
}

int GetControlId(const QWidget* control) {
    return marks().value(control).id;
}

void MarkAsForm(QWidget* form) {
    if (form) {
        markOf(form).form = true;
    }
}

bool IsForm(const QWidget* widget) {
    return marks().value(widget).form;
}

QWidget* MakeSheetPlaceholder(QWidget* form, int id) {
    auto* frame = new QFrame(form);
    SetControlId(frame, id);
    frame->hide();
    return frame;
}

} // namespace kestrel

QWidget* GetDlgItem(const QWidget* form, int id) {
    QWidget* found = nullptr;
    if (form && id != 0)
        visitOwnControls(form, [&](QWidget* control) {
            if (kestrel::GetControlId(control) != id)
                return false;
            found = control;
            return true;
        });
    return found;
}
