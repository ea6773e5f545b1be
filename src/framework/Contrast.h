#pragma once
// Text contrast as the accessibility guidelines measure it: the ratio of the relative luminances
// of two colours, from 1 (the same) to 21 (black on white). Body text wants at least 4.5.

#include <QColor>
#include <initializer_list>

namespace kestrel {

constexpr double kReadableContrast = 4.5;

double ContrastRatio(const QColor& a, const QColor& b);

// `text` itself when it reaches `ratio` against every one of `backgrounds`; otherwise the same
// hue made darker (on light backgrounds) or lighter (on dark ones) until it does.
QColor ReadableOn(const QColor& text, std::initializer_list<QColor> backgrounds,
                  double ratio = kReadableContrast);

} // namespace kestrel
