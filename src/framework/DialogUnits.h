#pragma once
// Dialog units: the layouts were drawn in units of the dialog font (a quarter of the average
// character width across, an eighth of the character height down). Initial window sizes are
// derived from them so a window keeps its proportions whatever font the desktop uses.

#include <QFont>
#include <QSize>

namespace kestrel {

// Pixels per 4 horizontal / 8 vertical dialog units for this font.
QSize DialogBaseUnits(const QFont& font);
QSize DialogUnitsToPixels(const QFont& font, QSize dialogUnits);

// A length in pixels given for the layouts' own font at 96 dpi (6 pixels of average character
// width), made to grow with `font` as the text does; never below the length given.
int ScaledToFont(const QFont& font, int pixels);

} // namespace kestrel
