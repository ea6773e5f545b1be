#include "app/AppIcon.h"

QIcon KestrelIcon() {
    return QIcon(QStringLiteral(":/icons/kestrel.png"));
}
