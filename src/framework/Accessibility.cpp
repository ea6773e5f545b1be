#include "framework/Accessibility.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>

namespace kestrel {

QString StripMnemonics(const QString& caption) {
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&')) {
            // "&&" stands for one ampersand; a lone "&" only marks the next letter.
            if (i + 1 < caption.size() && caption[i + 1] == QLatin1Char('&')) {
                out += QLatin1Char('&');
                ++i;
            }
            continue;
        }
        out += caption[i];
    }
    return out;
}

QString ControlCaption(const QWidget* control) {
    if (!control) {
        return {};
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(control)) {
        return StripMnemonics(button->text());
    }
    if (const auto* group = qobject_cast<const QGroupBox*>(control)) {
        return StripMnemonics(group->title());
    }
    const QWidget* top = control->window();
    for (const QLabel* label : top->findChildren<QLabel*>()) {
        if (label->buddy() == control) {
            return StripMnemonics(label->text()).trimmed();
        }
    }
    return {};
}

void SetAccessibleTexts(QWidget* control, const QString& description) {
    if (!control) {
        return;
    }
    if (control->accessibleName().isEmpty()) {
        const QString caption = ControlCaption(control);
        if (!caption.isEmpty()) {
            control->setAccessibleName(caption);
        }
    }
    if (!description.isEmpty()) {
        control->setAccessibleDescription(description);
    }
}

} // namespace kestrel
