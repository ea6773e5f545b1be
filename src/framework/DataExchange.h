#pragma once
// Data exchange between a form's controls and its members.
//
// A form's DoDataExchange(CDataExchange*) lists its fields once; the same list moves values into
// the controls (saving = false) and back out of them (saving = true). A failed validation marks
// the exchange failed and puts the focus on the offending control; UpdateData then reports false.

#include <QDateTime>
#include <QString>

class QPlainTextEdit;
class QWidget;

namespace kestrel {
// The text of a multi-line field, every character as the field holds it and its line breaks as
// "\n". (QPlainTextEdit::toPlainText turns each non-breaking space into a plain one.)
QString PlainText(const QPlainTextEdit* edit);
} // namespace kestrel

class CDataExchange {
public:
    CDataExchange(QWidget* form, bool saveAndValidate);

    // The form's own control with this id (see GetDlgItem), remembered for Fail(); null if absent.
    QWidget* PrepareCtrl(int id);
    // Marks the exchange failed and gives the focus to the last prepared control.
    void Fail();
    bool Failed() const { return m_bFailed; }
    // The control prepared last: the one a DDV_ check that follows a DDX_ call refers to.
    QWidget* LastControl() const { return m_pLastControl; }

    bool m_bSaveAndValidate;
    QWidget* m_pDlgWnd;

private:
    QWidget* m_pLastControl = nullptr;
    bool m_bFailed = false;
};

// Single- and multi-line text fields (QLineEdit, QPlainTextEdit, editable QComboBox, QLabel).
// A value of more than 16384 characters (only a file brings one) is shown cut to that length
// and held whole: saving gives the whole value back while the field still shows the cut as it
// was given, and the field's text once the user changed it.
void DDX_Text(CDataExchange* pDX, int id, QString& value);
// On saving, refuses a value longer than maxChars with a message and fails the exchange; on
// loading, makes the control itself refuse longer input.
void DDV_MaxChars(CDataExchange* pDX, const QString& value, int maxChars);
// Drop-down lists: saving takes the shown text; loading selects the first item that begins with
// the value (ignoring case), or nothing when the value is empty or matches no item.
void DDX_CBString(CDataExchange* pDX, int id, QString& value);
// Check boxes: 0 unticked, 1 ticked, 2 indeterminate.
void DDX_Check(CDataExchange* pDX, int id, int& value);
// A run of radio buttons starting at the one with this id (the following ids, in order):
// the index of the checked one, -1 when none is.
void DDX_Radio(CDataExchange* pDX, int id, int& value);
// Date pickers (QDateTimeEdit): the whole date-time is kept, the picker shows what it shows.
void DDX_DateTimeCtrl(CDataExchange* pDX, int id, QDateTime& value);
