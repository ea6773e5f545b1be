// A file the program cannot use is the user's all the same: opening it, in any editing type,
// leaves the folder exactly as it was, and only a save that replaces it keeps one copy aside.

#include "TestAppServices.h"
#include "TestFiles.h"
#include "app/KestrelDlg.h"
#include "app/KestrelPages.h"
#include "app/ResourceIds.h"
#include "framework/ControlId.h"
#include "framework/MessageBox.h"

#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace kestrel;

namespace {

void click(CKestrelDlg& dialog, int id) {
    QTest::mouseClick(qobject_cast<QPushButton*>(GetDlgItem(&dialog, id)), Qt::LeftButton);
}

} // namespace

class UnusableFileTest : public QObject {
    Q_OBJECT
private slots:
    void openingNeverTouchesItAndASaveKeepsOneCopy_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not well-formed") << QByteArray("<krroot><project><profile>");
        QTest::newRow("foreign root") << QByteArray("<?xml version=\"1.0\"?>\n<invoice/>\n");
        QTest::newRow("hostile") << QByteArray(
            "<!DOCTYPE k [<!ENTITY a \"aaaa\"><!ENTITY b \"&a;&a;&a;\">]>\n<krroot>&b;</krroot>"
            "<second/>");
    }
    void openingNeverTouchesItAndASaveKeepsOneCopy() {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("project.xml"));
        QVERIFY(writeFile(path, content));
        const auto before = folderContent(dir.path());

        for (const char* type : {"VIEW_PROJ", "VIEW_PROJ", "EDIT_PROJ"}) {
            TestAppServices services(QByteArray(type) == "VIEW_PROJ");
            ScriptedAnswerer answers;
            answers.queueAnswer(IDYES); // "Are you sure you want to abort changes?"
            CKestrelDlg dialog(MakeRegistrationPages);
            dialog.SetEditingType(QString::fromLatin1(type));
            dialog.LoadDocument(path);
            dialog.show();
            click(dialog, ids::IDC_QUIT_WITHOUT_SAVING);
            QCOMPARE(dialog.result(), int(IDCANCEL));
            QCOMPARE(services.log.filter(QStringLiteral("Cannot use")), QStringList());
        }
        QCOMPARE(folderContent(dir.path()), before);
    }

    // A named pipe, a device or a socket is told by its status and never opened: the record
    // starts anew with a warning naming why, and Save & Quit asks for another file name. Given
    // the same name again, it refuses with the save error rather than wait on it.
    void specialFilesAreRefusedWithoutBeingOpened_data() {
        QTest::addColumn<QByteArray>("kind");
        QTest::newRow("named pipe") << QByteArray("pipe");
        QTest::newRow("device") << QByteArray("device");
        QTest::newRow("socket") << QByteArray("socket");
    }
    void specialFilesAreRefusedWithoutBeingOpened() {
        QFETCH(QByteArray, kind);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("project.xml"));
        QVERIFY(makeSpecialFile(kind, path));

        TestAppServices services;
        ScriptedAnswerer answers;
        QTest::ignoreMessage(QtWarningMsg,
                             "Cannot use file (not a regular file), starting a new record: " +
                                 path.toUtf8());
        CKestrelDlg dialog;
        dialog.LoadDocument(path);
        dialog.SetEditingType(QStringLiteral("NEW_PROJ"));
        dialog.show();
        dialog.OnSaveAndQuit();
        QCOMPARE(answers.saveRequests().size(), size_t(1));
        QCOMPARE(answers.saveRequests().front().initialPath, path);
        QVERIFY(answers.messages().empty() && dialog.isVisible());

        answers.queueSaveFileName(path);
        dialog.OnSaveAndQuit();
        QCOMPARE(answers.lastText(), QStringLiteral("Error encountered while saving to file: \n") +
                                         path + QStringLiteral("\nPlease try again."));
        QVERIFY(dialog.isVisible() && !QFileInfo(path).isFile());
    }
};

QTEST_MAIN(UnusableFileTest)
#include "UnusableFileTest.moc"
