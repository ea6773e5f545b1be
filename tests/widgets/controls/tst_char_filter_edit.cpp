// The character-filter edits: what typing admits, and what leaving the field checks.

#include "TestForm.h"
#include "controls/CharFilterEdit.h"
#include "controls/InfoWindow.h"
#include "framework/ControlId.h"
#include "framework/MessageBox.h"

#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

namespace {

const char* const kDigits = "0123456789";
const char* const kLotChars = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqurstuvwxyz0123456789-";

// Records which checks ran; the format check can fail and rewrite the text.
class RecordingValidator : public CFieldValidator {
public:
    QString CheckChars(int controlId, const QString& allowed, const QString& text) override {
        ++charsCalls;
        lastControlId = controlId;
        return CFieldValidator::CheckChars(controlId, allowed, text);
    }
    QString CheckFormat(QString& text) override {
        ++formatCalls;
        if (!rewriteTo.isEmpty()) {
            text = rewriteTo;
        }
        return formatMessage;
    }
    int charsCalls = 0;
    int formatCalls = 0;
    int lastControlId = 0;
    QString formatMessage;
    QString rewriteTo;
};

} // namespace

class CharFilterEditTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void defaultValidatorChecks();
    void refusedCharacterBeepsAndEditingKeysWork();
    void upperCaseStyleChecksTheCapital();
    void fieldWithoutSetTakesEverything();
    void pasteIsNotFilteredButReportedOnLeaving();
    void validTextHidesTheNote();
    void formatMessageWinsAndRewritesText();
    void leavingForQuitButtonNeverValidates();
    void emptyFieldHidesEarlierNote();
    void readOnlyFieldNeverHoldsTheUser();
    void multiLineTakesEnterButReportsLineBreak();
    void multiLineLengthLimit();

private:
    void leaveField();
    // The form's focused control. (The offscreen platform activates every window it shows, the
    // info note too, so the application's focus widget says little here.)
    QWidget* fieldFocus() const { return m_form->focusWidget(); }
    void reactivate();

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

void CharFilterEditTest::reactivate() {
    if (QApplication::activeWindow() != m_form) {
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form));
    }
}

void CharFilterEditTest::leaveField() {
    reactivate();
    QTest::keyClick(fieldFocus(), Qt::Key_Tab);
}

void CharFilterEditTest::defaultValidatorChecks() {
    CFieldValidator validator;
    QCOMPARE(validator.CheckChars(1, QString(), QStringLiteral("abc")), QString());
    QCOMPARE(validator.CheckChars(1, QStringLiteral("abc"), QString()), QString());
    QCOMPARE(validator.CheckChars(1, QStringLiteral("abc"), QStringLiteral("cab")), QString());
    QCOMPARE(validator.CheckChars(1, QStringLiteral("abc"), QStringLiteral("abC")),
             QStringLiteral("Invalid Input"));
    QString text = QStringLiteral("x");
    QCOMPARE(validator.CheckFormat(text), QString());
    QCOMPARE(text, QStringLiteral("x"));
}

void CharFilterEditTest::refusedCharacterBeepsAndEditingKeysWork() {
    m_edit->SetAllowedChars(kDigits);
    QTest::keyClicks(m_edit, QStringLiteral("1a2"));
    QCOMPARE(m_edit->text(), QStringLiteral("12"));
    QCOMPARE(m_answerer->beepCount(), 1);

    QTest::keyClick(m_edit, Qt::Key_Backspace);
    QCOMPARE(m_edit->text(), QStringLiteral("1"));
    QTest::keyClick(m_edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(m_edit, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("1"));
    QCOMPARE(m_answerer->beepCount(), 1);

    m_edit->LimitText(3);
    QTest::keyClick(m_edit, Qt::Key_End);
    QTest::keyClicks(m_edit, QStringLiteral("2345"));
    QCOMPARE(m_edit->text(), QStringLiteral("123"));
}

void CharFilterEditTest::upperCaseStyleChecksTheCapital() {
    m_edit->SetAllowedChars(kLotChars);
    m_edit->SetUpperCase(true);
    QTest::keyClicks(m_edit, QStringLiteral("12a-b"));
    QCOMPARE(m_edit->text(), QStringLiteral("12A-B"));
    QCOMPARE(m_answerer->beepCount(), 0);

    // Only capitals admitted: a typed small letter passes as its capital.
    m_edit->clear();
    m_edit->SetAllowedChars("AB");
    QTest::keyClicks(m_edit, QStringLiteral("ab"));
    QCOMPARE(m_edit->text(), QStringLiteral("AB"));
    QCOMPARE(m_answerer->beepCount(), 0);

    // Without the style the small letter is outside the set.
    m_edit->clear();
    m_edit->SetUpperCase(false);
    QTest::keyClicks(m_edit, QStringLiteral("aB"));
    QCOMPARE(m_edit->text(), QStringLiteral("B"));
    QCOMPARE(m_answerer->beepCount(), 1);
}

void CharFilterEditTest::fieldWithoutSetTakesEverything() {
    QTest::keyClicks(m_edit, QStringLiteral("a?1 z"));
    QCOMPARE(m_edit->text(), QStringLiteral("a?1 z"));
    QCOMPARE(m_answerer->beepCount(), 0);
    leaveField();
    QTRY_COMPARE(fieldFocus(), m_other);
    QCOMPARE(m_validator->formatCalls, 1);
    QCOMPARE(m_validator->charsCalls, 0);
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
    QCOMPARE(m_validator->lastControlId, 1015);
    QVERIFY(InfoWindow()->geometry().bottom() < m_edit->mapToGlobal(QPoint(0, 0)).y());

    // Every further attempt to leave brings the user back.
    reactivate();
    QTest::mouseClick(m_other, Qt::LeftButton);
    QTRY_COMPARE(fieldFocus(), m_edit);
    QTRY_VERIFY(InfoWindow()->isVisible());
}

void CharFilterEditTest::validTextHidesTheNote() {
    m_edit->SetAllowedChars(kDigits);
    m_edit->setText(QStringLiteral("1x"));
    leaveField();
    QTRY_VERIFY(InfoWindow()->isVisible());
    QTRY_COMPARE(fieldFocus(), m_edit);

    QTest::keyClick(m_edit, Qt::Key_Backspace); // the selected text goes
    QTest::keyClicks(m_edit, QStringLiteral("42"));
    leaveField();
    QTRY_COMPARE(fieldFocus(), m_other);
    QVERIFY(!InfoWindow()->isVisible());
    QTest::qWait(20);
    QCOMPARE(fieldFocus(), m_other);
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
    QCOMPARE(m_validator->charsCalls, 0);

    // A format check that passes but rewrites shows the rewritten text.
    m_validator->formatMessage.clear();
    m_validator->rewriteTo = QStringLiteral("000012");
    leaveField();
    QTRY_COMPARE(fieldFocus(), m_other);
    QCOMPARE(m_edit->text(), QStringLiteral("000012"));
    QCOMPARE(m_validator->charsCalls, 1);
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

void CharFilterEditTest::emptyFieldHidesEarlierNote() {
    m_edit->SetAllowedChars(kDigits);
    m_edit->setText(QStringLiteral("x"));
    leaveField();
    QTRY_VERIFY(InfoWindow()->isVisible());
    QTRY_COMPARE(fieldFocus(), m_edit);
    QTest::keyClick(m_edit, Qt::Key_Delete);
    QCOMPARE(m_edit->text(), QString());
    const int checks = m_validator->formatCalls;
    leaveField();
    QTRY_COMPARE(fieldFocus(), m_other);
    QVERIFY(!InfoWindow()->isVisible());
    QCOMPARE(m_validator->formatCalls, checks);
}

void CharFilterEditTest::readOnlyFieldNeverHoldsTheUser() {
    m_edit->SetAllowedChars(kDigits);
    m_edit->setText(QStringLiteral("loaded from the file"));
    m_edit->setReadOnly(true);
    leaveField();
    QTRY_COMPARE(fieldFocus(), m_other);
    QTest::qWait(20);
    QCOMPARE(fieldFocus(), m_other);
    QVERIFY(!InfoWindow()->isVisible());
    QCOMPARE(m_validator->formatCalls, 0);
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

    // The line break is not admitted: leaving the field reports it.
    QTest::mouseClick(m_other, Qt::LeftButton);
    QTRY_COMPARE(fieldFocus(), m_text);
    QTRY_COMPARE(InfoWindow()->text(), QStringLiteral(" Invalid Input "));
    QCOMPARE(m_text->toPlainText(), QStringLiteral("ab\nc"));
    QCOMPARE(m_text->textCursor().selectedText().size(), 4);

    // Tab is not typed: it moves on (here to the quit button, which never validates).
    reactivate();
    QTest::keyClick(m_text, Qt::Key_Tab);
    QTRY_COMPARE(fieldFocus(), m_quit);
    QCOMPARE(m_text->toPlainText(), QStringLiteral("ab\nc"));
}

void CharFilterEditTest::multiLineLengthLimit() {
    m_text->LimitText(5);
    m_text->SetUpperCase(true);
    m_text->setFocus();
    QTRY_COMPARE(fieldFocus(), m_text);
    QTest::keyClicks(m_text, QStringLiteral("abcdefg"));
    QCOMPARE(m_text->toPlainText(), QStringLiteral("ABCDE"));
    m_text->clear();
    QApplication::clipboard()->setText(QStringLiteral("1234567"));
    QTest::keyClick(m_text, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(m_text->toPlainText(), QStringLiteral("12345"));
}

QTEST_MAIN(CharFilterEditTest)
#include "tst_char_filter_edit.moc"
