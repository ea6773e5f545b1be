#include "app/AppIcon.h"

namespace {
constexpr auto kIconPath = ":/icons/kestrel.png";
} // namespace

QIcon KestrelIcon() {
    return QIcon(QString::fromLatin1(kIconPath));
}

QImage KestrelIconImage() {
    return QImage(QString::fromLatin1(kIconPath));
}
