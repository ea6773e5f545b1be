#pragma once
// The window-class name of a control: the name a view-only run writes to the activity log for
// every control it makes read-only or disables ("Edit", "Button", "ComboBox",
// "SysDateTimePick32", "CComboDropList", "Static", "SysListView32").

#include <QString>

class QWidget;

namespace kestrel {

// A widget may name its own class through this dynamic property (a QString); the control kit
// does so where a Qt class does not tell the kind (the drop-list combo and its popup).
inline constexpr const char* kWindowClassProperty = "kestrelWindowClass";

void SetWindowClassName(QWidget* control, const QString& className);
// The declared name if any, else by the widget's Qt kind; "" for anything else.
QString WindowClassName(const QWidget* control);

} // namespace kestrel
