#pragma once
// Text fields that admit only their field's characters and check their value on leaving.
//
// CFieldValidator holds a field's checks; pages own validators, fields only point to them.
// CCharFilterEdit (one line) and CCharFilterTextEdit (several lines, for texts that take Enter)
// refuse a printable character outside the allowed set with a beep while the user types or
// composes it with an input method; editing keys and the clipboard keep working, and pasted text
// is not filtered. When the field loses the focus its validator checks the whole text; a failed
// check keeps the user in the field, with the text selected and the message shown in the info
// window above it.

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QString>

#include <optional>

class QFocusEvent;
class QInputMethodEvent;
class QKeyEvent;

class CFieldValidator {
public:
    virtual ~CFieldValidator() = default;
    // "" when the set or the text is empty, or every character of the text is in the set;
    // otherwise "Invalid Input". The comparison is exact (case-sensitive).
    virtual QString CheckChars(int controlId, const QString& allowed, const QString& text);
    // The field's format rule; it may rewrite the text. "" = accepted (the default).
    virtual QString CheckFormat(QString& text);
};

// The filtering and checking both field kinds share.
class CCharFilter {
public:
    // The control id of "Quit without saving": leaving a field for it never validates.
    static constexpr int kQuitWithoutSavingId = 1056;

    // Null clears the set (no filtering).
    void SetAllowedChars(const char* allowed);
    void SetAllowedChars(const QString& allowed);
    void ClearAllowedChars();
    bool HasAllowedChars() const { return m_hasAllowed; }
    QString AllowedChars() const { return m_allowed; }

    void SetValidator(CFieldValidator* validator) { m_pValidator = validator; }
    CFieldValidator* GetValidator() const { return m_pValidator; }

    // Typed, composed and pasted letters become capitals; typed and composed ones before they
    // are checked against the set. A letter whose capital is no single character of its own
    // ("ß" has "SS"; the dotless "ı" has the "I" of "i") cannot be typed; pasted, it stays as
    // it is.
    void SetUpperCase(bool upper) { m_upperCase = upper; }
    bool IsUpperCase() const { return m_upperCase; }

    // The text with every letter that has a capital of its own made that capital; the others
    // stay. False when some letter had none.
    static bool ToCapitals(QString& text);

    // Tab: moves the focus on instead of being typed.
    unsigned m_chNextControl = 9;

protected:
    enum class KeyVerdict { Pass, Refuse, Replace };
    // What to do with a typed key; with Replace, `replacement` holds the text to type instead.
    KeyVerdict FilterKey(const QKeyEvent* event, QString* replacement) const;
    // The same for text typed or composed with an input method.
    KeyVerdict FilterTyped(const QString& typed, QString* replacement) const;
    // What an input method's commit string may put in the field: as typed text, refused (with a
    // beep) it commits nothing. Null when the event can go on as it is.
    std::optional<QString> FilterCommit(const QString& commit) const;
    // Runs the checks for a field that lost the focus. `text` is the field's text; on return it
    // holds what must be written back. Answers the message ("" = valid) and whether to check at
    // all (false when leaving for the quit button or for a popup of the field itself, and while
    // another field is taking the focus back).
    bool CheckOnLeave(QWidget* field, const QFocusEvent* event, QString& text,
                      QString* message) const;
    // Pulls the focus back into the field once the focus change has settled, selects the text
    // and shows the message (see kestrel::TakeFocusBack).
    void KeepFocus(QWidget* field, const QString& message) const;

private:
    QString m_allowed;
    bool m_hasAllowed = false;
    bool m_upperCase = false;
    CFieldValidator* m_pValidator = nullptr;
};

class CCharFilterEdit : public QLineEdit, public CCharFilter {
    Q_OBJECT
public:
    explicit CCharFilterEdit(QWidget* parent = nullptr);
    ~CCharFilterEdit() override;

    // The field's length limit (characters); 0 = none. It holds what the user types, pastes,
    // drops or composes, never a text the program puts in: a loaded value longer than the limit
    // is shown and kept whole (QLineEdit::setMaxLength would cut it on setText).
    Q_INVOKABLE void LimitText(int maxChars);
    int maxLength() const { return m_maxLength; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Undo (else redo), the text coming back as the field held it.
    void StepHistory(bool undo);

    int m_maxLength = 0;
};

class CCharFilterTextEdit : public QPlainTextEdit, public CCharFilter {
    Q_OBJECT
public:
    explicit CCharFilterTextEdit(QWidget* parent = nullptr);
    ~CCharFilterTextEdit() override;

    // The field's length limit (characters, line breaks included); 0 = none. Like the one-line
    // field's, it holds typed, pasted and composed text only, never a loaded value.
    Q_INVOKABLE void LimitText(int maxChars);
    int maxLength() const { return m_maxLength; }
    // Every character as the field holds it (non-breaking spaces too), lines ending in "\n".
    QString text() const;
    void setText(const QString& text) { setPlainText(text); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    int roomFor(const QString& insertion) const;
    int m_maxLength = 0;
};
