#include "framework/ControlId.h"

#include <QFrame>
#include <QHash>
#include <QSet>
#include <QWidget>

namespace {
// Every data exchange, tooltip pass and focus move looks ids up over all of a form's widgets, so
// they live in a hash rather than in Qt properties (a property read by name first searches the
// class's own properties, string by string). A widget leaves it when it is destroyed. Allocated
// once and never freed: a widget may outlive static destruction.
struct Marks {
    QHash<const QObject*, int> ids;
    QSet<const QObject*> forms;

    void track(QWidget* widget) {
        if (!ids.contains(widget) && !forms.contains(widget))
            QObject::connect(widget, &QObject::destroyed, [this](QObject* gone) {
                ids.remove(gone);
                forms.remove(gone);
            });
    }
};
Marks& marks() {
    static Marks* const all = new Marks;
    return *all;
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
        marks().track(control);
        marks().ids.insert(control, id);
    }
}

int GetControlId(const QWidget* control) {
    return marks().ids.value(control, 0);
}

void MarkAsForm(QWidget* form) {
    if (form) {
        marks().track(form);
        marks().forms.insert(form);
    }
}

bool IsForm(const QWidget* widget) {
    return marks().forms.contains(widget);
}

QList<QWidget*> OwnControls(const QWidget* form) {
    QList<QWidget*> controls;
    if (form)
        visitOwnControls(form, [&controls](QWidget* control) {
            controls.append(control);
            return false;
        });
    return controls;
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
