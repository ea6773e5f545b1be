#include "framework/Contrast.h"

#include <algorithm>
#include <cmath>

namespace kestrel {
namespace {

double channel(double c) {
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& color) {
    const QColor rgb = color.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) +
           0.0722 * channel(rgb.blueF());
}

double worstRatio(const QColor& text, std::initializer_list<QColor> backgrounds) {
    double worst = 21.0;
    for (const QColor& background : backgrounds) {
        worst = std::min(worst, ContrastRatio(text, background));
    }
    return worst;
}

} // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadableOn(const QColor& text, std::initializer_list<QColor> backgrounds, double ratio) {
    if (backgrounds.size() == 0 || worstRatio(text, backgrounds) >= ratio) {
        return text;
    }
    double average = 0;
    for (const QColor& background : backgrounds) {
        average += luminance(background);
    }
    const bool darken = average / static_cast<double>(backgrounds.size()) > 0.18;
    QColor candidate = text.toHsl();
    // Lightness in steps of 1/100: at worst a hundred tries, ending in black or white.
    for (int step = 0; step < 100; ++step) {
        const double lightness =
            std::clamp(candidate.lightnessF() + (darken ? -0.01 : 0.01), 0.0, 1.0);
        candidate.setHslF(candidate.hslHueF(), candidate.hslSaturationF(), lightness);
        if (worstRatio(candidate, backgrounds) >= ratio) {
            return candidate.toRgb();
        }
    }
    return darken ? QColor(Qt::black) : QColor(Qt::white);
}

} // namespace kestrel
