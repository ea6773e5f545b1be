#pragma once
// Numeric control ids on Qt widgets.
//
// Every control of a form carries the number its tooltip, its messages and its focus targets are
// known by. A form ("dialog" or "page") finds its own controls by id; controls that belong to a
// nested form are that form's business and are not found from outside.

class QWidget;

namespace kestrel {

void SetControlId(QWidget* control, int id);
// 0 when the widget carries no id.
int GetControlId(const QWidget* control);

// Marks a widget as a form of its own (a dialog, a sheet or a page), so lookups from an enclosing
// form stop at it.
void MarkAsForm(QWidget* form);
bool IsForm(const QWidget* widget);

// The static frame a layout draws where a nested sheet goes: a hidden control of the form with
// that id, which the form deletes once it has set itself up (the sheet then takes its place).
// Until then it is one of the form's controls, like any other (a view-only run names it).
QWidget* MakeSheetPlaceholder(QWidget* form, int id);

} // namespace kestrel

// The first of the form's own controls with this id, or null: its descendants in creation order,
// but none inside a nested form.
QWidget* GetDlgItem(const QWidget* form, int id);
