#include "framework/FocusReclaim.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace kestrel {
namespace {

QPointer<QWidget>& reclaiming() {
    static QPointer<QWidget> field;
    return field;
}

} // namespace

void TakeFocusBack(QWidget* field, std::function<void(QWidget*)> regained) {
    if (!field) {
        return;
    }
    reclaiming() = field;
    // Taking the focus back while Qt is still handing it over would fight the hand-over.
    QTimer::singleShot(0, field, [field, regained = std::move(regained)] {
        if (reclaiming() != field) {
            return; // a later failure took over
        }
        if (field->isVisible() && field->isEnabled()) {
            // The widget losing the focus now sees a field taking it back and leaves it alone.
            field->setFocus(Qt::OtherFocusReason);
            if (regained) {
                regained(field);
            }
        }
        reclaiming() = nullptr;
    });
}

QWidget* FieldTakingFocusBack() {
    return reclaiming().data();
}

} // namespace kestrel
