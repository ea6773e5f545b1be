#pragma once
// Accessible names: what a screen reader (and the end-to-end tests) call a control.

#include <QString>

class QWidget;

namespace kestrel {

// Removes the mnemonic markers of a caption: "&Save" -> "Save", "Save && Quit" -> "Save & Quit".
QString StripMnemonics(const QString& caption);

// The caption of a control as a user reads it: a button's or group box's own text, else the
// text of the label that names it (a QLabel whose buddy it is, within the same window); ""
// when it has none.
QString ControlCaption(const QWidget* control);

// Gives the control its accessible name (its caption, unless it already has a name) and its
// accessible description (the tooltip text, when not empty).
void SetAccessibleTexts(QWidget* control, const QString& description);

} // namespace kestrel
