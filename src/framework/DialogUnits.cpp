#include "framework/DialogUnits.h"

#include <QFontMetrics>

namespace kestrel {

QSize DialogBaseUnits(const QFont& font) {
    // The average width is that of the 52 letters, rounded, as the layouts were measured.
    static const QString letters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const QFontMetrics metrics(font);
    const int width = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
    return {qMax(1, width), qMax(1, metrics.height())};
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
