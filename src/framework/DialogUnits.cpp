#include "framework/DialogUnits.h"

#include <QFontMetrics>

namespace kestrel {

QSize DialogBaseUnits(const QFont& font) {
    // Measuring the letters costs as much as laying out a line, and a window being built asks
    // for the same font's units dozens of times: the last font's answer is kept, by the font's
    // key (a font must not outlive the application). Windows are built on one thread only.
    static QString lastKey;
    static QSize lastUnits;
    const QString key = font.key();
    if (lastUnits.isValid() && key == lastKey)
        return lastUnits;
    // The average width is that of the 52 letters, rounded, as the layouts were measured.
    static const QString letters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const QFontMetrics metrics(font);
    const int width = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
    lastKey = key;
    lastUnits = {qMax(1, width), qMax(1, metrics.height())};
    return lastUnits;
}

QSize DialogUnitsToPixels(const QFont& font, QSize dialogUnits) {
    const QSize base = DialogBaseUnits(font);
    return {(dialogUnits.width() * base.width() + 2) / 4,
            (dialogUnits.height() * base.height() + 4) / 8};
}

int ScaledToFont(const QFont& font, int pixels) {
    constexpr int kReferenceCharWidth = 6;
    const int scaled =
        (pixels * DialogBaseUnits(font).width() + kReferenceCharWidth / 2) / kReferenceCharWidth;
    return qMax(pixels, scaled);
}

} // namespace kestrel
