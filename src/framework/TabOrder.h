#pragma once
// The order in which Tab visits a window's controls, made to follow the window's structure: a
// container's controls one after the other, in the order the form gave them (its setTabOrder
// calls, else the order they were made in), and in a sheet the page before the tabs, as in the
// property sheets users know. Qt's own chain mixes levels up when pages are put into sheets or
// make their controls when first shown; the dialog and the sheets tidy it when that happens.

class QWidget;

namespace kestrel {

// Reorders the Tab chain of `window` (a top-level widget) as described above.
void TidyTabOrder(QWidget* window);

} // namespace kestrel
