#include "framework/ControlId.h"

#include <QFrame>
#include <QVariant>
#include <QWidget>

namespace {
constexpr const char* kIdProperty = "kestrelControlId";
constexpr const char* kFormProperty = "kestrelForm";

void collectOwnControls(const QWidget* parent, QList<QWidget*>& out) {
    for (QObject* child : parent->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (!widget || widget->isWindow()) {
            continue;
        }
        out.append(widget);
        if (!kestrel::IsForm(widget)) {
            collectOwnControls(widget, out);
        }
    }
}
} // namespace

namespace kestrel {

void SetControlId(QWidget* control, int id) {
    if (control) {
        control->setProperty(kIdProperty, id);
    }
}

int GetControlId(const QWidget* control) {
    return control ? control->property(kIdProperty).toInt() : 0;
}

void MarkAsForm(QWidget* form) {
    if (form) {
        form->setProperty(kFormProperty, true);
    }
}

bool IsForm(const QWidget* widget) {
    return widget && widget->property(kFormProperty).toBool();
}

QList<QWidget*> OwnControls(const QWidget* form) {
    QList<QWidget*> controls;
    if (form) {
        collectOwnControls(form, controls);
    }
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
    if (id == 0) {
        return nullptr;
    }
    for (QWidget* control : kestrel::OwnControls(form)) {
        if (kestrel::GetControlId(control) == id) {
            return control;
        }
    }
    return nullptr;
}
