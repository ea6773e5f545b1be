// Linked into every widget test program: a scripted answerer installed before any test runs,
// beneath the ones the tests install themselves. A box no test asked for would otherwise wait for
// a click that never comes until CTest gives up on the program; here it fails the running test
// at once, with its caption and text, and gets the safe answer so the test can finish.

#include "framework/MessageBox.h"

#include <QtTest>

namespace {

class UnexpectedBoxFails : public kestrel::ScriptedAnswerer {
public:
    int messageBox(QWidget* parent, const QString& text, const QString& caption,
                   unsigned style) override {
        fail(QStringLiteral("unexpected message box \"%1\": %2").arg(caption, text));
        return ScriptedAnswerer::messageBox(parent, text, caption, style);
    }
    QString saveFileName(QWidget* parent, const kestrel::SaveFileRequest& request) override {
        fail(QStringLiteral("unexpected save dialog \"%1\"").arg(request.caption));
        return ScriptedAnswerer::saveFileName(parent, request);
    }

private:
    static void fail(const QString& what) {
        QTest::qFail(what.toUtf8().constData(), __FILE__, __LINE__);
    }
};

UnexpectedBoxFails unexpectedBoxesFail;

} // namespace
