// The character-filter edits: what typing admits, and what leaving the field checks.

#include "controls/CharFilterEdit.h"
#include "TestForm.h"
#include "controls/InfoWindow.h"
#include "framework/ControlId.h"
#include "framework/MessageBox.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

namespace {

const char* const kDigits = "0123456789";

// Types each character of `text` into the field as one key press (any character, not only the
// Latin-1 ones QTest::keyClicks can type).
void typeKeys(QWidget* field, const QString& text) {
    for (const char32_t c : text.toUcs4()) {
        const QString one = QString::fromUcs4(&c, 1);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, one);
        QApplication::sendEvent(field, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, one);
        QApplication::sendEvent(field, &release);
    }
}

// Composes each character of `text` with an input method, one commit at a time.
void compose(QWidget* field, const QString& text) {
    for (const char32_t c : text.toUcs4()) {
        QInputMethodEvent composed;
        composed.setCommitString(QString::fromUcs4(&c, 1));
        QApplication::sendEvent(field, &composed);
    }
}

// Counts the format checks; the format check can fail and rewrite the text.
class RecordingValidator : public CFieldValidator {
public:
    QString CheckFormat(QString& text) override {
        ++formatCalls;
        if (!rewriteTo.isEmpty())
            text = rewriteTo;
        return formatMessage;
    }
    int formatCalls = 0;
    QString formatMessage;
    QString rewriteTo;
};

} // namespace

class CharFilterEditTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void refusedCharacterBeepsAndUpperCaseStylePasses();
    void typedAndComposedTextMeetTheSameFilter();
    void pastedTextTakesCapitalsUnfiltered();
    void defaultCharacterCheck_data();
    void defaultCharacterCheck();
    void pasteIsNotFilteredButReportedOnLeaving();
    void formatMessageWinsAndRewritesText();
    void leavingForQuitButtonNeverValidates();
    void contextMenuAndReadOnlyFieldsAreNoLeaving();
    void multiLineTakesEnterButReportsLineBreak();
    void multiLineLengthLimitCountsEveryCharacter();

private:
    // The form's focused control. (The offscreen platform activates every window it shows, the
    // info note too, so the application's focus widget says little here.)
    QWidget* fieldFocus() const { return m_form->focusWidget(); }
    void reactivate() {
        if (QApplication::activeWindow() != m_form) {
            m_form->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(m_form));
        }
    }
    void leaveField() {
        reactivate();
        QTest::keyClick(fieldFocus(), Qt::Key_Tab);
    }

    QWidget* m_form = nullptr;
    CCharFilterEdit* m_edit = nullptr;
    QLineEdit* m_other = nullptr;
    QPushButton* m_quit = nullptr;
    CCharFilterTextEdit* m_text = nullptr;
    RecordingValidator* m_validator = nullptr;
    kestrel::ScriptedAnswerer* m_answerer = nullptr;
};

void CharFilterEditTest::init() {
    m_answerer = new kestrel::ScriptedAnswerer;
    m_validator = new RecordingValidator;
    m_form = new QWidget;
    new QVBoxLayout(m_form);
    m_edit = addControl<CCharFilterEdit>(m_form, 1015);
    m_other = addToForm<QLineEdit>(m_form);
    m_text = addToForm<CCharFilterTextEdit>(m_form);
    m_quit = addControl<QPushButton>(m_form, 1056, QStringLiteral("Quit without saving"));
    m_edit->SetValidator(m_validator);
    m_text->SetValidator(m_validator);
    CreateInfoWindow(m_form);
    m_form->move(100, 200);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    m_edit->setFocus();
    QTRY_COMPARE(fieldFocus(), m_edit);
}

void CharFilterEditTest::cleanup() {
    delete m_form;
    delete m_validator;
    delete m_answerer;
}

void CharFilterEditTest::refusedCharacterBeepsAndUpperCaseStylePasses() {
    m_edit->SetAllowedChars(kDigits);
    QTest::keyClicks(m_edit, QStringLiteral("1a2"));
    QCOMPARE(m_edit->text(), QStringLiteral("12"));
    QCOMPARE(m_answerer->beepCount(), 1);

    // Only capitals admitted: with the style a typed small letter passes as its capital.
    m_edit->clear();
    m_edit->SetAllowedChars("AB-");
    m_edit->SetUpperCase(true);
    QTest::keyClicks(m_edit, QStringLiteral("a-b"));
    QCOMPARE(m_edit->text(), QStringLiteral("A-B"));
    QCOMPARE(m_answerer->beepCount(), 1);
    m_edit->clear();
    m_edit->SetUpperCase(false);
    QTest::keyClicks(m_edit, QStringLiteral("aB"));
    QCOMPARE(m_edit->text(), QStringLiteral("B"));
    QCOMPARE(m_answerer->beepCount(), 2);

    // No set, no filtering.
    m_edit->clear();
    m_edit->SetAllowedChars(static_cast<const char*>(nullptr));
    QTest::keyClicks(m_edit, QStringLiteral("a!"));
    QCOMPARE(m_edit->text(), QStringLiteral("a!"));
    QCOMPARE(m_answerer->beepCount(), 2);
}

// An input method's text is typed text: the same capitals, the same refusals with a beep, in
// both kinds of field. Capitals that are no single letter of their own are refused, in any set
// or none.
void CharFilterEditTest::typedAndComposedTextMeetTheSameFilter() {
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const struct {
        const char* what;
        bool upperCase;
        QString allowed; // null: no set
        QString typed, shown;
        int beeps;
    } cases[] = {
        {"small letters become capitals", true, letters, "ab1c", "ABC", 1},
        {"sharp s has two capitals", true, letters, "a\u00DFb", "AB", 1},
        {"the dotless i is no i", true, letters, "\u0131i", "I", 1},
        {"long s and micro sign", true, QString(), "\u017F\u00B5x", "X", 2},
        {"sharp s without a set", true, QString(), "\u00DF", "", 1},
        {"a capital outside the set", true, "ABC", "\u00E9a", "A", 1},
        {"a capital in the set", true, "\u00C9", "\u00E9", "\u00C9", 0},
        {"small sharp s kept without the style", false, QString(), "\u00DF", "\u00DF", 0},
        {"beyond the BMP, outside the set", false, kDigits, "1\U0001F600\U00020000", "1", 2},
        {"beyond the BMP, in the set", true, "1\U0001F600", "\U0001F6001", "\U0001F6001", 0},
    };
    const QList<std::pair<QWidget*, CCharFilter*>> fields = {{m_edit, m_edit}, {m_text, m_text}};
    for (const auto& c : cases) {
        for (const auto& [field, filter] : fields) {
            filter->SetUpperCase(c.upperCase);
            if (c.allowed.isNull())
                filter->ClearAllowedChars();
            else
                filter->SetAllowedChars(c.allowed);
            for (const auto enter : {&typeKeys, &compose}) {
                field->setProperty(field == m_edit ? "text" : "plainText", QString());
                const int before = m_answerer->beepCount();
                enter(field, c.typed);
                const QString text = field == m_edit ? m_edit->text() : m_text->text();
                QVERIFY2(text == c.shown, c.what);
                QVERIFY2(m_answerer->beepCount() - before == c.beeps, c.what);
            }
        }
    }
}

// Pasted text is not filtered, but a field in capitals takes it in capitals, where the capital
// is a letter of its own; it lands where it was pasted.
void CharFilterEditTest::pastedTextTakesCapitalsUnfiltered() {
    m_edit->SetAllowedChars(kDigits);
    m_edit->SetUpperCase(true);
    m_edit->setText(QStringLiteral("abab"));
    m_edit->setCursorPosition(2);
    QApplication::clipboard()->setText(QStringLiteral("ab\u00DF\u0131"));
    QTest::keyClick(m_edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(m_edit->text(), QStringLiteral("abAB\u00DF\u0131ab"));

    m_text->SetAllowedChars(kDigits);
    m_text->SetUpperCase(true);
    m_text->setFocus();
    QTRY_COMPARE(fieldFocus(), m_text);
    QTest::keyClick(m_text, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(m_text->text(), QStringLiteral("AB\u00DF\u0131"));
    QCOMPARE(m_answerer->beepCount(), 0);
}

void CharFilterEditTest::defaultCharacterCheck_data() {
    QTest::addColumn<QString>("allowed");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty set accepts everything") << ""
                                                  << "x! 9"
                                                  << "";
    QTest::newRow("every character in the set") << "abc"
                                                << "cab"
                                                << "";
    QTest::newRow("case counts") << "abc"
                                 << "abC"
                                 << "Invalid Input";
    QTest::newRow("and the other way") << "ABC"
                                       << "a"
                                       << "Invalid Input";
}

void CharFilterEditTest::defaultCharacterCheck() {
    QFETCH(QString, allowed);
    QFETCH(QString, text);
    QFETCH(QString, message);
    QCOMPARE(CFieldValidator().CheckChars(1015, allowed, text), message);

    // The same answer when the field is left with that text (pasted, so not filtered).
    m_edit->SetAllowedChars(allowed);
    QApplication::clipboard()->setText(text);
    QTest::keyClick(m_edit, Qt::Key_V, Qt::ControlModifier);
    leaveField();
    if (message.isEmpty()) {
        QTRY_COMPARE(fieldFocus(), m_other);
        QVERIFY(!InfoWindow()->isVisible());
    } else {
        QTRY_COMPARE(InfoWindow()->text(), " " + message + " ");
        QCOMPARE(fieldFocus(), m_edit);
    }
}

void CharFilterEditTest::pasteIsNotFilteredButReportedOnLeaving() {
    m_edit->SetAllowedChars(kDigits);
    QApplication::clipboard()->setText(QStringLiteral("12a"));
    QTest::keyClick(m_edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(m_edit->text(), QStringLiteral("12a"));
    QCOMPARE(m_answerer->beepCount(), 0);

    leaveField();
    // The field takes the focus back, selects its text and shows the note above itself.
    QTRY_COMPARE(fieldFocus(), m_edit);
    QTRY_VERIFY(InfoWindow()->isVisible());
    QCOMPARE(InfoWindow()->text(), QStringLiteral(" Invalid Input "));
    QCOMPARE(m_edit->selectedText(), QStringLiteral("12a"));
    QVERIFY(InfoWindow()->geometry().bottom() < m_edit->mapToGlobal(QPoint(0, 0)).y());
    reactivate();
    QTest::mouseClick(m_other, Qt::LeftButton);
    QTRY_COMPARE(fieldFocus(), m_edit);

    // Mended, the field lets the user go and the note goes.
    QTest::keyClick(m_edit, Qt::Key_Backspace); // the selected text goes
    QTest::keyClicks(m_edit, QStringLiteral("42"));
    leaveField();
    QTRY_COMPARE(fieldFocus(), m_other);
    QVERIFY(!InfoWindow()->isVisible());
}

void CharFilterEditTest::formatMessageWinsAndRewritesText() {
    m_edit->SetAllowedChars(kDigits);
    m_validator->formatMessage = QStringLiteral("Invalid postal code");
    m_validator->rewriteTo = QStringLiteral("0012x");
    QTest::keyClicks(m_edit, QStringLiteral("12"));
    leaveField();
    QTRY_COMPARE(fieldFocus(), m_edit);
    QTRY_COMPARE(InfoWindow()->text(), QStringLiteral(" Invalid postal code "));
    QCOMPARE(m_edit->text(), QStringLiteral("0012x"));

    // A format check that passes but rewrites shows the rewritten text.
    m_validator->formatMessage.clear();
    m_validator->rewriteTo = QStringLiteral("000012");
    leaveField();
    QTRY_COMPARE(fieldFocus(), m_other);
    QCOMPARE(m_edit->text(), QStringLiteral("000012"));
    QVERIFY(!InfoWindow()->isVisible());
}

void CharFilterEditTest::leavingForQuitButtonNeverValidates() {
    m_edit->SetAllowedChars(kDigits);
    m_edit->setText(QStringLiteral("9z"));
    leaveField();
    QTRY_VERIFY(InfoWindow()->isVisible());
    QTRY_COMPARE(fieldFocus(), m_edit);
    const int checks = m_validator->formatCalls;

    reactivate();
    QTest::mouseClick(m_quit, Qt::LeftButton);
    QTRY_COMPARE(fieldFocus(), m_quit);
    QVERIFY(!InfoWindow()->isVisible());
    QTest::qWait(20);
    QCOMPARE(fieldFocus(), m_quit);
    QCOMPARE(m_validator->formatCalls, checks);
}

void CharFilterEditTest::contextMenuAndReadOnlyFieldsAreNoLeaving() {
    m_edit->SetAllowedChars(kDigits);
    m_edit->setText(QStringLiteral("9z"));
    // The field's own context menu takes the focus while it is open; closing it gives it back.
    QTimer::singleShot(0, m_edit, [] {
        if (QWidget* menu = QApplication::activePopupWidget())
            menu->close();
    });
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(5, 5),
                                m_edit->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(m_edit, &menuEvent);
    QCOMPARE(m_validator->formatCalls, 0);
    QVERIFY(!InfoWindow()->isVisible());

    // A field the user cannot correct never holds them, one line or several.
    m_text->SetAllowedChars(kDigits);
    m_text->setText(QStringLiteral("9z"));
    for (QWidget* field : {static_cast<QWidget*>(m_edit), static_cast<QWidget*>(m_text)}) {
        field->setProperty("readOnly", true);
        field->setFocus();
        QTRY_COMPARE(fieldFocus(), field);
        leaveField();
        QTRY_VERIFY(fieldFocus() != field);
        QTest::qWait(20);
        QVERIFY(fieldFocus() != field);
    }
    QCOMPARE(m_validator->formatCalls, 0);
    QVERIFY(!InfoWindow()->isVisible());
}

void CharFilterEditTest::multiLineTakesEnterButReportsLineBreak() {
    m_text->SetAllowedChars("abcdefghijklmnopqrstuvwxyz ");
    m_text->setFocus();
    QTRY_COMPARE(fieldFocus(), m_text);
    QTest::keyClicks(m_text, QStringLiteral("ab"));
    QTest::keyClick(m_text, Qt::Key_Return);
    QTest::keyClicks(m_text, QStringLiteral("c!"));
    QCOMPARE(m_text->toPlainText(), QStringLiteral("ab\nc"));
    QCOMPARE(m_answerer->beepCount(), 1);

    // The line break is not admitted: leaving the field (Shift+Tab moves on, as Tab does,
    // instead of typing) reports it.
    reactivate();
    QTest::keyClick(m_text, Qt::Key_Backtab, Qt::ShiftModifier);
    QTRY_COMPARE(fieldFocus(), m_text);
    QTRY_COMPARE(InfoWindow()->text(), QStringLiteral(" Invalid Input "));
    QCOMPARE(m_text->textCursor().selectedText().size(), 4);

    // A format check that rewrites the text shows the rewritten text here too.
    m_validator->rewriteTo = QStringLiteral("abc");
    reactivate();
    QTest::keyClick(m_text, Qt::Key_Backtab, Qt::ShiftModifier);
    QTRY_COMPARE(fieldFocus(), m_other);
    QCOMPARE(m_text->text(), QStringLiteral("abc"));
    QVERIFY(!InfoWindow()->isVisible());
}

void CharFilterEditTest::multiLineLengthLimitCountsEveryCharacter() {
    m_text->LimitText(3);
    m_text->setFocus();
    QTRY_COMPARE(fieldFocus(), m_text);
    QTest::keyClicks(m_text, QStringLiteral("abcd"));
    QCOMPARE(m_text->text(), QStringLiteral("abc"));
    // Editing keys still work at the limit; a line break counts as a character.
    QTest::keyClick(m_text, Qt::Key_Backspace);
    QTest::keyClick(m_text, Qt::Key_Backspace);
    QTest::keyClick(m_text, Qt::Key_Return);
    QTest::keyClicks(m_text, QStringLiteral("cd"));
    QCOMPARE(m_text->text(), QStringLiteral("a\nc"));
    // Pasted text is cut to what still fits, in place of the selection.
    QTest::keyClick(m_text, Qt::Key_Backspace);
    QApplication::clipboard()->setText(QStringLiteral("xyz"));
    QTest::keyClick(m_text, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(m_text->text(), QStringLiteral("a\nx"));
    m_text->selectAll();
    QTest::keyClick(m_text, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(m_text->text(), QStringLiteral("xyz"));
    QCOMPARE(m_answerer->beepCount(), 0);
    // Tab moves on to the next field instead of being typed.
    reactivate();
    QTest::keyClick(m_text, Qt::Key_Tab);
    QTRY_COMPARE(fieldFocus(), m_quit);
    QCOMPARE(m_text->text(), QStringLiteral("xyz"));
}

QTEST_MAIN(CharFilterEditTest)
#include "CharFilterEditTest.moc"
