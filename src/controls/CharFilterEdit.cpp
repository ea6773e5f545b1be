#include "controls/CharFilterEdit.h"

#include "controls/InfoWindow.h"
#include "framework/ControlId.h"
#include "framework/DataExchange.h"
#include "framework/FocusReclaim.h"
#include "framework/MessageBox.h"
#include "framework/WindowClass.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>
#include <QValidator>

#include <limits>

namespace {

// Holds a one-line field to its length limit for what the user puts in. QLineEdit runs its
// validator on every change, setText included; setText starts a new undo history, so a change
// with nothing to undo is the program's (a loaded value) and passes whole, while every edit of the
// user (typing, pasting, dropping, composing) can be undone and is held to the limit. An edit
// that would pass the limit keeps only as much of what was inserted as fits; an edit that
// shortens or keeps the length of a loaded over-long value is always allowed, so the user can
// still correct it.
class LengthLimit : public QValidator {
public:
    LengthLimit(QLineEdit* edit, int limit)
        : QValidator(edit), m_edit(edit), m_limit(limit), m_before(edit->text()) {
        connect(edit, &QLineEdit::textChanged, this,
                [this](const QString& text) { m_before = text; });
    }
    void SetLimit(int limit) { m_limit = limit; }

    State validate(QString& input, int& pos) const override {
        const qsizetype allowed = qMax<qsizetype>(m_limit, m_before.size());
        if (m_limit <= 0 || input.size() <= allowed || !m_edit->isUndoAvailable()) {
            return Acceptable;
        }
        // The inserted run lies between what the old and the new text share at either end.
        qsizetype prefix = 0;
        const qsizetype shorter = qMin(input.size(), m_before.size());
        while (prefix < shorter && input.at(prefix) == m_before.at(prefix)) {
            ++prefix;
        }
        qsizetype suffix = 0;
        while (suffix < shorter - prefix &&
               input.at(input.size() - 1 - suffix) == m_before.at(m_before.size() - 1 - suffix)) {
            ++suffix;
        }
        const qsizetype end = input.size() - suffix;
        qsizetype excess = input.size() - allowed;
        qsizetype cut = end - excess;
        // Never split a character outside the Basic Multilingual Plane.
        if (cut > prefix && input.at(cut - 1).isHighSurrogate()) {
            --cut;
            ++excess;
        }
        if (cut < prefix) {
            return Invalid;
        }
        input.remove(cut, end - cut);
        pos = static_cast<int>(qBound<qsizetype>(0, cut, input.size()));
        return Acceptable;
    }

private:
    QLineEdit* m_edit;
    int m_limit;
    QString m_before;
};

} // namespace

QString CFieldValidator::CheckChars(int /*controlId*/, const QString& allowed,
                                    const QString& text) {
    if (allowed.isEmpty() || text.isEmpty()) {
        return {};
    }
    for (const QChar ch : text) {
        if (!allowed.contains(ch, Qt::CaseSensitive)) {
            return QStringLiteral("Invalid Input");
        }
    }
    return {};
}

QString CFieldValidator::CheckFormat(QString& /*text*/) {
    return {};
}

void CCharFilter::SetAllowedChars(const char* allowed) {
    if (!allowed) {
        ClearAllowedChars();
        return;
    }
    SetAllowedChars(QString::fromUtf8(allowed));
}

void CCharFilter::SetAllowedChars(const QString& allowed) {
    m_allowed = allowed;
    m_hasAllowed = true;
}

void CCharFilter::ClearAllowedChars() {
    m_allowed.clear();
    m_hasAllowed = false;
}

CCharFilter::KeyVerdict CCharFilter::FilterKey(const QKeyEvent* event, QString* replacement) const {
    // Shortcuts (clipboard, undo, select all) are never typed characters.
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        return KeyVerdict::Pass;
    }
    QString text = event->text();
    if (text.isEmpty()) {
        return KeyVerdict::Pass;
    }
    bool printable = false;
    for (const QChar ch : text) {
        printable = printable || ch.isPrint();
    }
    if (!printable) {
        // Backspace, Enter and the other control characters keep their editing meaning.
        return KeyVerdict::Pass;
    }
    if (m_upperCase) {
        text = text.toUpper();
    }
    if (m_hasAllowed) {
        for (const QChar ch : text) {
            if (ch.isPrint() && !m_allowed.contains(ch, Qt::CaseSensitive)) {
                return KeyVerdict::Refuse;
            }
        }
    }
    if (text != event->text()) {
        *replacement = text;
        return KeyVerdict::Replace;
    }
    return KeyVerdict::Pass;
}

bool CCharFilter::CheckOnLeave(QWidget* field, const QFocusEvent* event, QString& text,
                               QString* message) const {
    // The field's own context menu, or the user switching to another program, is no leaving.
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason) {
        return false;
    }
    // The focus only passes through on its way back to a field whose check failed: checking
    // here too would pull it away again, and two failing fields would never stop.
    if (QWidget* reclaiming = kestrel::FieldTakingFocusBack(); reclaiming && reclaiming != field) {
        return false;
    }
    // Qt has already moved the focus when the field hears of it: this is where the user went.
    QWidget* next = QApplication::focusWidget();
    if (next && kestrel::GetControlId(next) == kQuitWithoutSavingId) {
        HideInfo();
        return false;
    }
    // A read-only field (a view-only run) cannot be corrected, so it must not hold the user.
    const auto* line = qobject_cast<const QLineEdit*>(field);
    const auto* plain = qobject_cast<const QPlainTextEdit*>(field);
    if ((line && line->isReadOnly()) || (plain && plain->isReadOnly())) {
        HideInfo();
        return false;
    }
    if (!m_pValidator || text.isEmpty()) {
        // An empty field is the page's business when the record is stored.
        HideInfo();
        return false;
    }
    QString result = m_pValidator->CheckFormat(text);
    if (result.isEmpty() && m_hasAllowed) {
        result = m_pValidator->CheckChars(kestrel::GetControlId(field), m_allowed, text);
    }
    *message = result;
    return true;
}

void CCharFilter::KeepFocus(QWidget* field, const QString& message) const {
    const QString note = QLatin1Char(' ') + message + QLatin1Char(' ');
    kestrel::TakeFocusBack(field, [note](QWidget* target) {
        if (auto* line = qobject_cast<QLineEdit*>(target)) {
            line->selectAll();
        } else if (auto* plain = qobject_cast<QPlainTextEdit*>(target)) {
            plain->selectAll();
            plain->ensureCursorVisible();
        }
        HideInfo();
        ShowInfo(target, note);
    });
}

// ---------------------------------------------------------------------------------------------

CCharFilterEdit::CCharFilterEdit(QWidget* parent) : QLineEdit(parent) {
    kestrel::SetWindowClassName(this, QStringLiteral("Edit"));
    // QLineEdit's own limit (32767 by default) cuts what setText is given; the field's limit is
    // LimitText's, for what the user puts in.
    setMaxLength(std::numeric_limits<int>::max());
}

CCharFilterEdit::~CCharFilterEdit() = default;

void CCharFilterEdit::LimitText(int maxChars) {
    m_maxLength = qMax(maxChars, 0);
    if (auto* limit = dynamic_cast<LengthLimit*>(const_cast<QValidator*>(validator()))) {
        limit->SetLimit(m_maxLength);
    } else {
        setValidator(new LengthLimit(this, m_maxLength));
    }
}

void CCharFilterEdit::keyPressEvent(QKeyEvent* event) {
    QString replacement;
    switch (FilterKey(event, &replacement)) {
    case KeyVerdict::Refuse:
        kestrel::MessageBeep();
        event->accept();
        return;
    case KeyVerdict::Replace: {
        QKeyEvent typed(event->type(), event->key(), event->modifiers(), replacement,
                        event->isAutoRepeat(), static_cast<ushort>(event->count()));
        QLineEdit::keyPressEvent(&typed);
        event->setAccepted(typed.isAccepted());
        return;
    }
    case KeyVerdict::Pass:
        break;
    }
    QLineEdit::keyPressEvent(event);
}

void CCharFilterEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    QString value = text();
    QString message;
    if (!CheckOnLeave(this, event, value, &message)) {
        return;
    }
    // Written back so a reformatting by the format check shows.
    if (value != text()) {
        setText(value);
    }
    if (message.isEmpty()) {
        HideInfo();
        return;
    }
    KeepFocus(this, message);
}

// ---------------------------------------------------------------------------------------------

CCharFilterTextEdit::CCharFilterTextEdit(QWidget* parent) : QPlainTextEdit(parent) {
    kestrel::SetWindowClassName(this, QStringLiteral("Edit"));
    // Tab moves on to the next field; Enter starts a new line.
    setTabChangesFocus(true);
}

CCharFilterTextEdit::~CCharFilterTextEdit() = default;

QString CCharFilterTextEdit::text() const {
    return kestrel::PlainText(this);
}

void CCharFilterTextEdit::LimitText(int maxChars) {
    m_maxLength = qMax(maxChars, 0);
}

int CCharFilterTextEdit::roomFor(const QString& insertion) const {
    if (m_maxLength <= 0) {
        return static_cast<int>(insertion.size());
    }
    const QTextCursor cursor = textCursor();
    const int kept =
        static_cast<int>(toPlainText().size()) - (cursor.selectionEnd() - cursor.selectionStart());
    return qBound(0, m_maxLength - kept, static_cast<int>(insertion.size()));
}

void CCharFilterTextEdit::keyPressEvent(QKeyEvent* event) {
    QString replacement;
    const KeyVerdict verdict = FilterKey(event, &replacement);
    if (verdict == KeyVerdict::Refuse) {
        kestrel::MessageBeep();
        event->accept();
        return;
    }
    const QString typed = verdict == KeyVerdict::Replace ? replacement : event->text();
    const bool inserts = !typed.isEmpty() &&
                         !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) &&
                         (typed.at(0).isPrint() || typed == QLatin1String("\r"));
    if (inserts && roomFor(typed) < typed.size()) {
        // Full: the field takes no more characters.
        event->accept();
        return;
    }
    if (verdict == KeyVerdict::Replace) {
        QKeyEvent upper(event->type(), event->key(), event->modifiers(), replacement,
                        event->isAutoRepeat(), static_cast<ushort>(event->count()));
        QPlainTextEdit::keyPressEvent(&upper);
        event->setAccepted(upper.isAccepted());
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void CCharFilterTextEdit::insertFromMimeData(const QMimeData* source) {
    // Pasted text is not filtered, only cut to the length limit.
    if (m_maxLength <= 0 || !source || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    const QString pasted = source->text();
    textCursor().insertText(pasted.left(roomFor(pasted)));
    ensureCursorVisible();
}

void CCharFilterTextEdit::focusOutEvent(QFocusEvent* event) {
    QPlainTextEdit::focusOutEvent(event);
    QString value = text();
    QString message;
    if (!CheckOnLeave(this, event, value, &message)) {
        return;
    }
    if (value != text()) {
        setPlainText(value);
    }
    if (message.isEmpty()) {
        HideInfo();
        return;
    }
    KeepFocus(this, message);
}
