#pragma once
// A project record in the registration dialog, as the widget tests open it: a private copy of
// the sample project (edited as a test needs), the dialog with the real pages, the log and the
// boxes kept by the test.

#include "PageVerbs.h"
#include "TestAppServices.h"
#include "TestFiles.h"
#include "TestForm.h"
#include "app/KestrelDlg.h"
#include "app/KestrelPages.h"
#include "controls/RecordListCtrl.h"
#include "controls/ToolTipPropertySheet.h"
#include "framework/ControlId.h"
#include "framework/MessageBox.h"
#include "pages/project/PropPageProjectInfo.h"
#include "pages/project/PropPageProjectMukimTS.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>
#include <utility>

inline QString SampleProjectPath() {
    return QStringLiteral(KESTREL_TEST_DATA_DIR "/../../resources/samples/sample-project.xml");
}

using Edits = QList<std::pair<QByteArray, QByteArray>>;

// A copy of the sample project, project.xml in `dir`, with each replacement made; "" when the
// sample cannot be read or lacks a text to replace.
inline QString CopyOfSample(const QTemporaryDir& dir, const Edits& edits = {}) {
    QByteArray content = readFile(SampleProjectPath());
    for (const auto& [from, to] : edits) {
        if (!content.contains(from))
            return qWarning("sample lacks %s", from.constData()), QString();
        content.replace(from, to);
    }
    const QString path = dir.filePath(QStringLiteral("project.xml"));
    return !content.isEmpty() && writeFile(path, content) ? path : QString();
}

// The record at `path` opened and shown in the registration dialog, which has become the active
// window; with the verbs the tests drive it by.
struct RecordDialog {
    explicit RecordDialog(const QString& path, const QString& type = QStringLiteral("LOCAL_PROJ"),
                          QStringList roads = TestAppServices::DefaultRoads())
        : services(type.compare(QLatin1String("VIEW_PROJ"), Qt::CaseInsensitive) == 0,
                   std::move(roads)) {
        dialog.SetEditingType(type);
        dialog.LoadDocument(path);
        dialog.show();
        dialog.activateWindow();
        if (!QTest::qWaitForWindowActive(&dialog))
            qFatal("the dialog did not become active");
    }
    CPropPageProjectInfo* project() {
        return static_cast<CPropPageProjectInfo*>(dialog.ProjectPage());
    }
    CPropPageProjectMukimTS* lots() { return project()->LotPage(); }
    // Brings the project page forward with `nested` in front on its own sheet.
    void openProject(CPropertyPage* nested) {
        dialog.Sheet()->SetActivePage(dialog.ProjectPage());
        project()->NestedSheet()->SetActivePage(nested);
    }
    int boxes() const { return int(answers.messages().size()); }
    const kestrel::ScriptedAnswerer::Message& box() const { return answers.messages().back(); }
    void click(int id) {
        QTest::mouseClick(qobject_cast<QPushButton*>(GetDlgItem(&dialog, id)), Qt::LeftButton);
    }
    // Keeps a picture of the dialog for the documentation when the run asks for them.
    void picture(const QString& name) {
        const QString folder = qEnvironmentVariable("KESTREL_SCREENSHOT_DIR");
        if (folder.isEmpty())
            return;
        QTest::qWait(200);
        dialog.grab().save(folder + QLatin1Char('/') + name);
    }

    TestAppServices services;
    kestrel::ScriptedAnswerer answers;
    CKestrelDlg dialog{MakeRegistrationPages};
};

// A test's record dialogs, one at a time, in a folder of the test's own.
struct RecordFixture {
    // The record in `file` of the folder (a new one when there is none) in the dialog; the last
    // dialog goes first, so its services are gone before the next register themselves.
    RecordDialog& open(const QString& type = QStringLiteral("NEW_PROJ"),
                       const QString& file = QStringLiteral("new.xml"),
                       const QStringList& roads = TestAppServices::DefaultRoads()) {
        record.reset();
        record = std::make_unique<RecordDialog>(dir.filePath(file), type, roads);
        return *record;
    }
    // A copy of the sample project, with each replacement made, in the dialog.
    RecordDialog& openSample(const QString& type, const Edits& edits = {}) {
        if (CopyOfSample(dir, edits).isEmpty())
            qFatal("the sample could not be copied");
        return open(type, QStringLiteral("project.xml"));
    }
    QTemporaryDir dir;
    std::unique_ptr<RecordDialog> record;
};
