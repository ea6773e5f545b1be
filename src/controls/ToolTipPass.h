#pragma once
// The pass over a form's controls that gives each its tooltip from the string table and, in a
// view-only run, puts it into its read-only state.

#include <QString>

class CToolTipCtrl;
class QWidget;

// Visits every descendant of parent. A control whose id is below 1, or that is not one of the
// parent's own controls (it belongs to a nested sheet or page, which has its own pass), is
// skipped. In a view-only run the visited control's class name is logged and the view-only
// rules are applied. Then the control gets the string-table entry with its id as its tip.
void AddToolTipsToForm(CToolTipCtrl& toolTip, QWidget* parent);

// The view-only rules for one control: by class name, "Edit" becomes read-only (it stays
// enabled, so its text can still be selected), "Button", "ComboBox", "SysDateTimePick32" and
// "CComboDropList" are disabled; then by id, 1056 ("Quit without saving") is enabled and the
// road and role lists (1059, 1060) are disabled.
void ApplyViewOnlyRules(QWidget* control, const QString& className);

// The tip text of a string-table entry as shown: "&&" reads "&".
QString ToolTipText(int id);
