#pragma once
// Small forms for widget tests: each control is a child of the form, stacked in the form's
// layout in the order it is made, and may carry the number a dialog template would give it.
// Free of any test framework.

#include "framework/ControlId.h"

#include <QtWidgets>

#include <utility>

// A new control of `form`, which must have a layout, placed below those made before it. The
// arguments go to the control's constructor ahead of the parent (a button's caption, say).
template <class W, class... Args> W* addToForm(QWidget* form, Args&&... args) {
    auto* widget = new W(std::forward<Args>(args)..., form);
    form->layout()->addWidget(widget);
    return widget;
}

// The same, numbered so the exchange and lookup functions find it by its id.
template <class W, class... Args> W* addControl(QWidget* form, int id, Args&&... args) {
    W* widget = addToForm<W>(form, std::forward<Args>(args)...);
    kestrel::SetControlId(widget, id);
    return widget;
}

// The page's own control with this id and kind; a test that names a missing control stops at
// once rather than crashing later.
template <class T> T* Control(QWidget* page, int id) {
    auto* control = qobject_cast<T*>(GetDlgItem(page, id));
    if (!control)
        qFatal("control %d missing", id);
    return control;
}
