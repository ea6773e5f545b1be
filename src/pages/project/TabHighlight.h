#pragma once
// Highlighting a sheet's tab: a page marks its own tab while it is the active one, so the user
// sees which of the nested tabs belongs to which level even with the focus elsewhere.

class QTabWidget;

namespace kestrel {

// Draws the tab's title in the palette's highlight colour, or back in the normal colour.
// A null sheet or an index outside its tabs is ignored.
void HighlightSheetTab(QTabWidget* sheet, int index, bool highlight);
bool IsSheetTabHighlighted(const QTabWidget* sheet, int index);

} // namespace kestrel
