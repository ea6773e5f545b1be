#include "framework/WindowClass.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QVariant>

namespace kestrel {

void SetWindowClassName(QWidget* control, const QString& className) {
    if (control) {
        control->setProperty(kWindowClassProperty, className);
    }
}

QString WindowClassName(const QWidget* control) {
    if (!control) {
        return {};
    }
    const QVariant declared = control->property(kWindowClassProperty);
    if (declared.isValid() && !declared.toString().isEmpty()) {
        return declared.toString();
    }
    // Most specific kinds first: item views and text edits are frames too.
    if (qobject_cast<const QLineEdit*>(control) || qobject_cast<const QPlainTextEdit*>(control) ||
        qobject_cast<const QTextEdit*>(control)) {
        return QStringLiteral("Edit");
    }
    if (qobject_cast<const QAbstractButton*>(control) || qobject_cast<const QGroupBox*>(control)) {
        return QStringLiteral("Button");
    }
    if (qobject_cast<const QComboBox*>(control)) {
        return QStringLiteral("ComboBox");
    }
    if (qobject_cast<const QDateTimeEdit*>(control)) {
        return QStringLiteral("SysDateTimePick32");
    }
    if (qobject_cast<const QAbstractItemView*>(control)) {
        return QStringLiteral("SysListView32");
    }
    if (qobject_cast<const QLabel*>(control) || qobject_cast<const QFrame*>(control)) {
        return QStringLiteral("Static");
    }
    return {};
}

} // namespace kestrel
