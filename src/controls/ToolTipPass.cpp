#include "controls/ToolTipPass.h"

#include "controls/ToolTipCtrl.h"
#include "framework/Accessibility.h"
#include "framework/AppServices.h"
#include "framework/Contrast.h"
#include "framework/ControlId.h"
#include "framework/WindowClass.h"
#include "sdk/StringTable.h"

#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QVariant>

namespace {

constexpr int kQuitWithoutSaving = 1056;
constexpr int kRoadNameList = 1059;
constexpr int kMemberRoleList = 1060;
constexpr const char* kCheckLocked = "kestrelCheckLocked";

// A check-box group box holds its controls: disabling it would disable the edits inside as
// well, which must stay selectable. So only its own check is locked.
class GroupCheckLock final : public QObject {
public:
    explicit GroupCheckLock(QGroupBox* group) : QObject(group) {}
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return true;
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            const int key = static_cast<QKeyEvent*>(event)->key();
            return key == Qt::Key_Space || key == Qt::Key_Select;
        }
        default:
            return false;
        }
    }
};

void disableControl(QWidget* control) {
    if (auto* group = qobject_cast<QGroupBox*>(control)) {
        if (group->isCheckable() && !group->property(kCheckLocked).toBool()) {
            group->setProperty(kCheckLocked, true);
            group->installEventFilter(new GroupCheckLock(group));
            group->setFocusPolicy(Qt::NoFocus);
        }
        return;
    }
    control->setEnabled(false);
}

void makeReadOnly(QWidget* control) {
    if (auto* line = qobject_cast<QLineEdit*>(control)) {
        line->setReadOnly(true);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) {
        plain->setReadOnly(true);
    } else if (auto* rich = qobject_cast<QTextEdit*>(control)) {
        rich->setReadOnly(true);
    }
}

// Depth first, in creation order, like the enumeration of child windows: separate windows
// (popups, dialogs) are not children.
void collectDescendants(const QWidget* parent, QList<QWidget*>& out) {
    for (QObject* child : parent->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (!widget || widget->isWindow()) {
            continue;
        }
        out.append(widget);
        collectDescendants(widget, out);
    }
}

// A view-only run disables the lists, pickers and check boxes whose values it exists to show; the
// style's disabled text is too faint to read them. The form keeps them disabled but draws their
// text dark enough to read on the disabled backgrounds.
void makeDisabledValuesReadable(QWidget* form) {
    QPalette pal = form->palette();
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText}) {
        pal.setColor(QPalette::Disabled, role,
                     kestrel::ReadableOn(pal.color(QPalette::Disabled, role),
                                         {pal.color(QPalette::Disabled, QPalette::Base),
                                          pal.color(QPalette::Disabled, QPalette::Window),
                                          pal.color(QPalette::Disabled, QPalette::Button)}));
    }
    form->setPalette(pal);
}

} // namespace

QString ToolTipText(int id) {
    return kestrel::StripMnemonics(GetRCString(id));
}

void ApplyViewOnlyRules(QWidget* control, const QString& className) {
    if (!control) {
        return;
    }
    if (className == QLatin1String("Edit")) {
        makeReadOnly(control);
    } else if (className == QLatin1String("Button") || className == QLatin1String("ComboBox") ||
               className == QLatin1String("SysDateTimePick32") ||
               className == QLatin1String("CComboDropList")) {
        disableControl(control);
    }
    switch (kestrel::GetControlId(control)) {
    case kQuitWithoutSaving:
        control->setEnabled(true);
        break;
    case kRoadNameList:
    case kMemberRoleList:
        control->setEnabled(false);
        break;
    default:
        break;
    }
}

void AddToolTipsToForm(CToolTipCtrl& toolTip, QWidget* parent) {
    if (!parent) {
        return;
    }
    const bool viewOnly = kestrel::IsViewOnly();
    if (viewOnly) {
        makeDisabledValuesReadable(parent);
    }
    QList<QWidget*> descendants;
    collectDescendants(parent, descendants);
    for (QWidget* window : descendants) {
        const int id = kestrel::GetControlId(window);
        if (id < 1) {
            continue;
        }
        QWidget* control = GetDlgItem(parent, id);
        if (!control) {
            continue;
        }
        if (viewOnly) {
            QString className = kestrel::WindowClassName(window);
            if (className.isEmpty()) {
                // A kind the rules do not know: name it all the same, so the log shows it.
                className = QString::fromLatin1(window->metaObject()->className());
            }
            kestrel::WriteLog(className);
            ApplyViewOnlyRules(control, className);
        }
        const QString text = ToolTipText(id);
        if (text.isEmpty()) {
            kestrel::SetAccessibleTexts(control, QString());
            continue;
        }
        toolTip.AddTool(control, text);
    }
}
