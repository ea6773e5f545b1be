// The character-filter edits: what typing, composing and pasting admit, and what leaving the
// field checks.

#include "controls/CharFilterEdit.h"
#include "TestForm.h"
#include "controls/InfoWindow.h"
#include "framework/MessageBox.h"

#include <QtTest>
#include <QtWidgets>

#include <tuple>

namespace {

const char* const kDigits = "0123456789";

// Each character as one key press (any character, not only those QTest::keyClicks can type).
void typeKeys(QWidget* field, const QString& text) {
    for (const char32_t c : text.toUcs4()) {
        for (const auto type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent key(type, Qt::Key_unknown, Qt::NoModifier, QString::fromUcs4(&c, 1));
            QApplication::sendEvent(field, &key);
        }
    }
}

// Each character committed by an input method.
void compose(QWidget* field, const QString& text) {
    for (const char32_t c : text.toUcs4()) {
        QInputMethodEvent composed;
        composed.setCommitString(QString::fromUcs4(&c, 1));
        QApplication::sendEvent(field, &composed);
    }
}

void paste(QWidget* field, const QString& text) {
    QApplication::clipboard()->setText(text);
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
}

// Counts the format checks, which can rewrite the text.
class RecordingValidator : public CFieldValidator {
public:
    QString CheckFormat(QString& text) override {
        ++formatCalls;
        if (!rewriteTo.isEmpty())
            text = rewriteTo;
        return {};
    }
    int formatCalls = 0;
    QString rewriteTo;
};

} // namespace

class CharFilterEditTest : public QObject {
    Q_OBJECT

    // The form's focused control. (The offscreen platform activates every window it shows, so
    // the application's focus widget says little here.)
    QWidget* focus() const { return m_form->focusWidget(); }
    void leave(Qt::Key key = Qt::Key_Tab) {
        if (QApplication::activeWindow() != m_form) {
            m_form->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(m_form));
        }
        QTest::keyClick(focus(), key, key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
    }
    void focusOn(QWidget* field) {
        field->setFocus();
        QTRY_COMPARE(focus(), field);
    }
    // Runs what a failed check set going (it takes the focus back a moment later).
    static void settle() {
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents();
    }
    void expectNote(QWidget* field, const QString& message) {
        QTRY_COMPARE(focus(), field);
        QTRY_VERIFY(InfoWindow()->isVisible());
        QCOMPARE(InfoWindow()->text(), " " + message + " ");
    }
    void expectLeft(QWidget* next) {
        QTRY_COMPARE(focus(), next);
        QVERIFY(!InfoWindow()->isVisible());
    }

    QWidget* m_form = nullptr;
    CCharFilterEdit* m_edit = nullptr;
    QLineEdit* m_other = nullptr;
    CCharFilterTextEdit* m_text = nullptr;
    QPushButton* m_quit = nullptr;
    RecordingValidator m_validator;
    kestrel::ScriptedAnswerer* m_answerer = nullptr;

private slots:
    void init() {
        m_answerer = new kestrel::ScriptedAnswerer;
        m_validator = RecordingValidator();
        m_form = new QWidget;
        new QVBoxLayout(m_form);
        m_edit = addControl<CCharFilterEdit>(m_form, 1015);
        m_other = addToForm<QLineEdit>(m_form);
        m_text = addToForm<CCharFilterTextEdit>(m_form);
        m_quit = addControl<QPushButton>(m_form, 1056, QStringLiteral("Quit without saving"));
        m_edit->SetValidator(&m_validator);
        m_text->SetValidator(&m_validator);
        CreateInfoWindow(m_form);
        m_form->move(100, 200);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowActive(m_form));
        focusOn(m_edit);
    }
    void cleanup() {
        delete m_form;
        delete m_answerer;
    }

    // Typed and composed text meet the same filter in both kinds of field: the same capitals,
    // the same refusals with a beep. Capitals that are no single letter of their own are
    // refused, in any set or none. Pasted text is not filtered, only put in capitals.
    void typingComposingAndPasting() {
        const QString letters =
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        // What, in capitals or not, the set (null: none), typed, shown, beeps.
        const std::tuple<const char*, bool, QString, QString, QString, int> cases[] = {
            {"digits only", false, kDigits, "1a2", "12", 1},
            {"case counts", false, "AB-", "aB-", "B-", 1},
            {"no set, no filter", false, QString(), "a!", "a!", 0},
            {"small letters become capitals", true, letters, "ab1c", "ABC", 1},
            {"long s and micro sign", true, QString(), "\u017F\u00B5x", "X", 2},
            {"sharp s without a set", true, QString(), "\u00DF", "", 1},
            {"a capital outside the set", true, "ABC", "\u00E9a", "A", 1},
            {"a capital in the set", true, "\u00C9", "\u00E9", "\u00C9", 0},
            {"beyond the BMP, outside the set", false, kDigits, "1\U0001F600\U00020000", "1", 2},
            {"beyond the BMP, in the set", true, "1\U0001F600", "\U0001F6001", "\U0001F6001", 0},
        };
        const QList<std::pair<QWidget*, CCharFilter*>> fields = {{m_edit, m_edit},
                                                                 {m_text, m_text}};
        for (const auto& [what, upperCase, allowed, typed, shown, beeps] : cases) {
            for (const auto& [field, filter] : fields) {
                filter->SetUpperCase(upperCase);
                if (allowed.isNull())
                    filter->SetAllowedChars(static_cast<const char*>(nullptr));
                else
                    filter->SetAllowedChars(allowed);
                for (const auto enter : {&typeKeys, &compose}) {
                    field->setProperty(field == m_edit ? "text" : "plainText", QString());
                    const int before = m_answerer->beepCount();
                    enter(field, typed);
                    const QString text = field == m_edit ? m_edit->text() : m_text->text();
                    QVERIFY2(text == shown, what);
                    QVERIFY2(m_answerer->beepCount() - before == beeps, what);
                }
            }
        }
        // Pasted: capitals where the capital is a letter of its own, landing where pasted.
        m_edit->SetAllowedChars(kDigits);
        m_edit->setText(QStringLiteral("abab"));
        m_edit->setCursorPosition(2);
        paste(m_edit, QStringLiteral("ab\u00DF\u0131"));
        QCOMPARE(m_edit->text(), QStringLiteral("abAB\u00DF\u0131ab"));
        // Over a selection, all that was pasted, even where it ends as the selection did.
        m_edit->setText(QStringLiteral("abcd"));
        m_edit->setSelection(1, 2);
        paste(m_edit, QStringLiteral("xc"));
        QCOMPARE(m_edit->text(), QStringLiteral("aXCd"));
        // Before the same letter, the capital is the one pasted, not the one that was there.
        m_edit->setText(QStringLiteral("a"));
        m_edit->home(false);
        paste(m_edit, QStringLiteral("a"));
        QCOMPARE(m_edit->text(), QStringLiteral("Aa"));
        m_text->SetAllowedChars(kDigits);
        m_text->clear();
        focusOn(m_text);
        paste(m_text, QStringLiteral("ab\u00DF\u0131"));
        QCOMPARE(m_text->text(), QStringLiteral("AB\u00DF\u0131"));
        m_text->SetUpperCase(false); // no limit and no capitals: pasted as it stands
        paste(m_text, QStringLiteral("x"));
        QCOMPARE(m_text->text(), QStringLiteral("AB\u00DF\u0131x"));
    }

    void leavingTheFieldChecksIt() {
        // The character check: an empty set accepts everything, and case counts.
        const std::tuple<const char*, const char*, bool> checks[] = {
            {"", "x! 9", true}, {"abc", "cab", true}, {"abc", "abC", false}, {"ABC", "a", false}};
        // A page's own validator inherits the check, empty set included.
        QVERIFY(CFieldValidator().CheckChars(0, QString(), QStringLiteral("x!")).isEmpty());
        for (const auto& [allowed, text, passes] : checks) {
            focusOn(m_edit);
            m_edit->SetAllowedChars(allowed);
            m_edit->setText(QString::fromLatin1(text));
            leave();
            if (passes)
                expectLeft(m_other);
            else
                expectNote(m_edit, QStringLiteral("Invalid Input"));
        }

        // Pasted text is not filtered, but leaving reports it: the field takes the focus back
        // with its text selected, ready to be typed over.
        m_edit->SetAllowedChars(kDigits);
        m_edit->clear();
        paste(m_edit, QStringLiteral("12a"));
        leave();
        expectNote(m_edit, QStringLiteral("Invalid Input"));
        QCOMPARE(m_edit->selectedText(), QStringLiteral("12a"));

        // A rewrite by the format check shows. (That its message wins over the character check:
        // the project page test.)
        focusOn(m_edit);
        m_validator.rewriteTo = QStringLiteral("000012");
        leave();
        expectLeft(m_other);
        QCOMPARE(m_edit->text(), "000012");
        m_validator.rewriteTo.clear();

        // Leaving for Quit without saving never checks, and the note goes.
        focusOn(m_edit);
        m_edit->setText(QStringLiteral("9z"));
        leave();
        expectNote(m_edit, QStringLiteral("Invalid Input"));
        const int calls = m_validator.formatCalls;
        QTest::mouseClick(m_quit, Qt::LeftButton);
        settle();
        expectLeft(m_quit);
        QCOMPARE(m_validator.formatCalls, calls);

        // The field's own context menu takes the focus while open: no leaving.
        focusOn(m_edit);
        QTimer::singleShot(0, m_edit, [] {
            if (QWidget* menu = QApplication::activePopupWidget())
                menu->close();
        });
        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5),
                               m_edit->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(m_edit, &menu);
        QCOMPARE(m_validator.formatCalls, calls);
        QVERIFY(!InfoWindow()->isVisible());

        // A field the user cannot correct never holds them, one line or several.
        m_text->SetAllowedChars(kDigits);
        m_text->setText(QStringLiteral("9z"));
        for (QWidget* field : {static_cast<QWidget*>(m_edit), static_cast<QWidget*>(m_text)}) {
            field->setProperty("readOnly", true);
            focusOn(field);
            leave();
            settle();
            QVERIFY(focus() != field);
        }
        QCOMPARE(m_validator.formatCalls, calls);
        QVERIFY(!InfoWindow()->isVisible());
    }

    // Undo and redo, by key or from the field's menu, bring the text back as the field held it:
    // in a field in capitals a loaded small letter stays small.
    void undoAndRedoBringBackTheTextAsItWas() {
        m_edit->SetUpperCase(true);
        m_edit->setText(QStringLiteral("abcd"));
        focusOn(m_edit);
        m_edit->end(false);
        typeKeys(m_edit, QStringLiteral("x"));
        m_edit->home(false);
        QTest::keyClick(m_edit, Qt::Key_Delete);
        QTest::keyClick(m_edit, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m_edit->text(), "abcdX");
        QTest::keyClick(m_edit, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(m_edit->text(), "bcdX");
        QContextMenuEvent open(QContextMenuEvent::Keyboard, QPoint(5, 5),
                               m_edit->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(m_edit, &open);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        menu->actions().front()->trigger(); // Undo
        menu->close();
        QCOMPARE(m_edit->text(), "abcdX");
    }

    // Several lines: Enter makes a line break, which the set does not admit; Tab and Shift+Tab
    // move on; the length limit counts every character, line breaks included. Then the limit of
    // the one-line field.
    void lengthLimitsAndSeveralLines() {
        focusOn(m_text);
        m_text->SetAllowedChars("abcdefghijklmnopqrstuvwxyz ");
        QTest::keyClicks(m_text, QStringLiteral("ab"));
        QTest::keyClick(m_text, Qt::Key_Return);
        QTest::keyClicks(m_text, QStringLiteral("c!"));
        QCOMPARE(m_text->toPlainText(), QStringLiteral("ab\nc"));
        QCOMPARE(m_answerer->beepCount(), 1);
        leave(Qt::Key_Backtab);
        expectNote(m_text, QStringLiteral("Invalid Input"));
        QCOMPARE(m_text->textCursor().selectedText().size(), 4);
        m_validator.rewriteTo = QStringLiteral("abc");
        leave(Qt::Key_Backtab);
        expectLeft(m_other);
        QCOMPARE(m_text->text(), QStringLiteral("abc"));

        m_validator.rewriteTo.clear();
        m_text->ClearAllowedChars();
        m_text->clear();
        m_text->LimitText(3);
        focusOn(m_text);
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
        paste(m_text, QStringLiteral("xyz"));
        QCOMPARE(m_text->text(), QStringLiteral("a\nx"));
        m_text->selectAll();
        QTest::keyClick(m_text, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(m_text->text(), QStringLiteral("xyz"));
        QCOMPARE(m_answerer->beepCount(), 1); // a full field takes no more, without a beep
        // An input method may still take back the character before the cursor in a full field.
        QInputMethodEvent takeBack;
        takeBack.setCommitString(QString(), -1, 1);
        QApplication::sendEvent(m_text, &takeBack);
        QCOMPARE(m_text->text(), QStringLiteral("xy"));

        // The one-line field the same; what is already there stays (a file's values are the
        // file's), and the user can still shorten an over-long loaded value.
        m_edit->LimitText(5);
        m_edit->setText(QStringLiteral("ABCDEFGH"));
        focusOn(m_edit);
        m_edit->end(false);
        QTest::keyClicks(m_edit, "I");
        QCOMPARE(m_edit->text(), "ABCDEFGH");
        QTest::keyClick(m_edit, Qt::Key_Backspace);
        QCOMPARE(m_edit->text(), "ABCDEFG");
        m_edit->setText(QStringLiteral("12"));
        m_edit->end(false);
        paste(m_edit, QStringLiteral("abcdef"));
        QCOMPARE(m_edit->text(), "12abc");
        m_edit->setText(QStringLiteral("1"));
        m_edit->home(false);
        QInputMethodEvent composed; // one commit of several characters
        composed.setCommitString(QStringLiteral("xyzuvw"));
        QApplication::sendEvent(m_edit, &composed);
        QCOMPARE(m_edit->text(), "xyzu1");
    }
};

QTEST_MAIN(CharFilterEditTest)
#include "CharFilterEditTest.moc"
