#pragma once
// A field whose check failed on leaving takes the focus back once the focus change under way has
// settled. Only one field does so at a time: while it does, the fields the focus passes through on
// its way back do not check themselves, so two failing fields never pull the focus back and forth.
// The sheets ask as well: a page is not left while one of its fields is taking the focus back.

#include <functional>

class QWidget;

namespace kestrel {

// Gives `field` the focus again as soon as the event loop is free, then runs `regained` (select
// the text, show the note). Nothing happens when the field is hidden or disabled by then.
void TakeFocusBack(QWidget* field, std::function<void(QWidget*)> regained);

// The field that is taking the focus back, or null.
QWidget* FieldTakingFocusBack();

} // namespace kestrel
