#include "controls/CharFilterEdit.h"

#include "controls/InfoWindow.h"
#include "framework/ControlId.h"
#include "framework/DataExchange.h"
#include "framework/FocusReclaim.h"
#include "framework/MessageBox.h"
#include "framework/WindowClass.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextCursor>
#include <QValidator>

#include <algorithm>
#include <limits>

namespace {

// The capital a field in capitals takes for `c`: `c` itself when upper-casing leaves it as it is;
// otherwise its capital, when that is one character and the small letter of that capital is `c`.
// None for the rest: "ß" (capitals "SS"), the dotless "ı" or the long "ſ" (their capitals are
// those of "i" and "s"), so no letter ever turns into another one.
std::optional<char32_t> capitalOf(char32_t c) {
    const QString small = QString::fromUcs4(&c, 1);
    const QList<uint> capital = small.toUpper().toUcs4();
    if (capital.size() == 1 && capital.front() == c) {
        return c;
    }
    if (capital.size() != 1 || QChar::toLower(capital.front()) != c) {
        return std::nullopt;
    }
    return capital.front();
}

// Where an edit put its text: the run between what the old and the new text share at either end,
// ending at the cursor when that agrees ("ab" pasted into the middle of "abab" is the middle run,
// not the last one). [first, second) of the new text.
std::pair<qsizetype, qsizetype> insertedRun(const QString& before, const QString& after,
                                            int cursor) {
    const qsizetype shorter = qMin(after.size(), before.size());
    qsizetype suffix = after.size() - cursor;
    const bool atCursor = cursor >= 0 && suffix >= 0 && suffix <= shorter &&
                          QStringView(after).right(suffix) == QStringView(before).right(suffix);
    const qsizetype prefixRoom = atCursor ? shorter - suffix : shorter;
    qsizetype prefix = 0;
    while (prefix < prefixRoom && after.at(prefix) == before.at(prefix)) {
        ++prefix;
    }
    if (!atCursor) {
        suffix = 0;
        while (suffix < shorter - prefix &&
               after.at(after.size() - 1 - suffix) == before.at(before.size() - 1 - suffix)) {
            ++suffix;
        }
    }
    return {prefix, after.size() - suffix};
}

// What the user puts into a one-line field, whichever way: QLineEdit runs its validator on every
// change, setText included. setText starts a new undo history, so a change with nothing to undo
// is the program's (a loaded value) and passes as it is, while every edit of the user (typing,
// pasting, dropping, composing) can be undone. Such an edit is upper-cased in a field in capitals
// and held to the length limit: one that would pass the limit keeps only as much of what was
// inserted as fits; one that shortens or keeps the length of a loaded over-long value is always
// allowed, so the user can still correct it. Undo and redo bring back a text the field held, so
// it comes back exactly: a loaded small letter stays small.
class UserInput : public QValidator {
public:
    explicit UserInput(CCharFilterEdit* edit)
        : QValidator(edit), m_edit(edit), m_before(edit->text()) {
        connect(edit, &QLineEdit::textChanged, this,
                [this](const QString& text) { m_before = text; });
    }
    void SetLimit(int limit) { m_limit = limit; }

    State validate(QString& input, int& pos) const override {
        if (restoring || !m_edit->isUndoAvailable()) {
            return Acceptable;
        }
        const auto [start, end] = insertedRun(m_before, input, pos);
        if (m_edit->IsUpperCase()) {
            QString inserted = input.mid(start, end - start);
            CCharFilter::ToCapitals(inserted);
            input.replace(start, end - start, inserted);
        }
        const qsizetype allowed = qMax<qsizetype>(m_limit, m_before.size());
        if (m_limit <= 0 || input.size() <= allowed) {
            return Acceptable;
        }
        qsizetype excess = input.size() - allowed;
        qsizetype cut = end - excess;
        // Never split a character outside the Basic Multilingual Plane.
        if (cut > start && input.at(cut - 1).isHighSurrogate()) {
            --cut;
            ++excess;
        }
        if (cut < start) {
            return Invalid;
        }
        input.remove(cut, end - cut);
        pos = static_cast<int>(qBound<qsizetype>(0, cut, input.size()));
        return Acceptable;
    }

    bool restoring = false;

private:
    CCharFilterEdit* m_edit;
    int m_limit = 0;
    QString m_before;
};

// The field's own validator; null once another has taken its place.
UserInput* userInputOf(const QLineEdit* edit) {
    return dynamic_cast<UserInput*>(const_cast<QValidator*>(edit->validator()));
}

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

bool CCharFilter::ToCapitals(QString& text) {
    bool every = true;
    QString capitals;
    capitals.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        const std::optional<char32_t> capital = capitalOf(c);
        every = every && capital.has_value();
        const char32_t kept = capital.value_or(c);
        capitals.append(QString::fromUcs4(&kept, 1));
    }
    text = capitals;
    return every;
}

CCharFilter::KeyVerdict CCharFilter::FilterKey(const QKeyEvent* event, QString* replacement) const {
    // Shortcuts (clipboard, undo, select all) are never typed characters.
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        return KeyVerdict::Pass;
    }
    return FilterTyped(event->text(), replacement);
}

CCharFilter::KeyVerdict CCharFilter::FilterTyped(const QString& typed, QString* replacement) const {
    // Whole characters, so one beyond the Basic Multilingual Plane is judged as one.
    const QList<uint> characters = typed.toUcs4();
    if (std::none_of(characters.begin(), characters.end(),
                     [](char32_t c) { return QChar::isPrint(c); })) {
        // Backspace, Enter and the other control characters keep their editing meaning.
        return KeyVerdict::Pass;
    }
    QString text = typed;
    if (m_upperCase && !ToCapitals(text)) {
        return KeyVerdict::Refuse;
    }
    if (m_hasAllowed) {
        for (const char32_t c : text.toUcs4()) {
            if (QChar::isPrint(c) &&
                !m_allowed.contains(QString::fromUcs4(&c, 1), Qt::CaseSensitive)) {
                return KeyVerdict::Refuse;
            }
        }
    }
    if (text != typed) {
        *replacement = text;
        return KeyVerdict::Replace;
    }
    return KeyVerdict::Pass;
}

std::optional<QString> CCharFilter::FilterCommit(const QString& commit) const {
    if (commit.isEmpty()) {
        return std::nullopt;
    }
    QString replacement;
    switch (FilterTyped(commit, &replacement)) {
    case KeyVerdict::Refuse:
        kestrel::MessageBeep();
        return QString();
    case KeyVerdict::Replace:
        return replacement;
    case KeyVerdict::Pass:
        break;
    }
    return std::nullopt;
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
    setValidator(new UserInput(this));
}

CCharFilterEdit::~CCharFilterEdit() = default;

void CCharFilterEdit::LimitText(int maxChars) {
    m_maxLength = qMax(maxChars, 0);
    if (UserInput* input = userInputOf(this)) {
        input->SetLimit(m_maxLength);
    }
}

void CCharFilterEdit::StepHistory(bool undo) {
    UserInput* input = userInputOf(this);
    if (input) {
        input->restoring = true;
    }
    undo ? QLineEdit::undo() : QLineEdit::redo();
    if (input) {
        input->restoring = false;
    }
}

void CCharFilterEdit::contextMenuEvent(QContextMenuEvent* event) {
    // The standard menu, its Undo and Redo taking the same way as the keys. They are told by
    // their text, as the line edit itself writes it.
    QMenu* menu = createStandardContextMenu();
    for (QAction* action : menu->actions()) {
        const bool undo = action->text().startsWith(QLineEdit::tr("&Undo"));
        if (undo || action->text().startsWith(QLineEdit::tr("&Redo"))) {
            disconnect(action, &QAction::triggered, this, nullptr);
            connect(action, &QAction::triggered, this, [this, undo] { StepHistory(undo); });
        }
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void CCharFilterEdit::keyPressEvent(QKeyEvent* event) {
    if (const bool undo = event->matches(QKeySequence::Undo);
        undo || event->matches(QKeySequence::Redo)) {
        StepHistory(undo);
        event->accept();
        return;
    }
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

void CCharFilterEdit::inputMethodEvent(QInputMethodEvent* event) {
    const std::optional<QString> commit = FilterCommit(event->commitString());
    if (!commit) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    if (!commit->isEmpty()) {
        filtered.setCommitString(*commit, event->replacementStart(), event->replacementLength());
    }
    QLineEdit::inputMethodEvent(&filtered);
    event->setAccepted(filtered.isAccepted());
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
                         (QChar::isPrint(typed.toUcs4().front()) || typed == QLatin1String("\r"));
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

void CCharFilterTextEdit::inputMethodEvent(QInputMethodEvent* event) {
    std::optional<QString> commit = FilterCommit(event->commitString());
    const QString committed = commit.value_or(event->commitString());
    // Composed text stops at the length limit as typed text does.
    if (roomFor(committed) < committed.size()) {
        commit = committed.left(roomFor(committed));
        // Never half a character beyond the Basic Multilingual Plane.
        if (!commit->isEmpty() && commit->back().isHighSurrogate()) {
            commit->chop(1);
        }
    }
    if (!commit) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    if (!commit->isEmpty()) {
        filtered.setCommitString(*commit, event->replacementStart(), event->replacementLength());
    }
    QPlainTextEdit::inputMethodEvent(&filtered);
    event->setAccepted(filtered.isAccepted());
}

void CCharFilterTextEdit::insertFromMimeData(const QMimeData* source) {
    // Pasted text is not filtered, only put in capitals (in a field in capitals) and cut to the
    // length limit.
    if ((m_maxLength <= 0 && !IsUpperCase()) || !source || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    QString pasted = source->text();
    if (IsUpperCase()) {
        ToCapitals(pasted);
    }
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
