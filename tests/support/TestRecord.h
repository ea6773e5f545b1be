#pragma once
// A project record in the registration dialog, as the widget tests open it: a private copy of
// the sample project (edited as a test needs), the dialog with the real pages, the log and the
// boxes kept by the test.

#include "PageVerbs.h"
#include "TestAppServices.h"
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

#include <utility>

inline QString SampleProjectPath() {
    return QStringLiteral(KESTREL_TEST_DATA_DIR "/../../resources/samples/sample-project.xml");
}

// A copy of the sample project in `dir` with each replacement made; "" when the sample cannot be
// read or lacks a text to replace.
inline QString CopyOfSample(const QTemporaryDir& dir,
                            const QList<std::pair<QByteArray, QByteArray>>& edits = {},
                            const QString& name = QStringLiteral("project.xml")) {
    QFile sample(SampleProjectPath());
    if (!sample.open(QIODevice::ReadOnly))
        return {};
    QByteArray content = sample.readAll();
    for (const auto& [from, to] : edits) {
        if (!content.contains(from)) {
            qWarning("sample lacks %s", from.constData());
            return {};
        }
        content.replace(from, to);
    }
    const QString path = dir.filePath(name);
    QFile copy(path);
    if (!copy.open(QIODevice::WriteOnly) || copy.write(content) != content.size())
        return {};
    return path;
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
        if (!active())
            qFatal("the dialog did not become active");
    }
    bool active() { return QTest::qWaitForWindowActive(&dialog); }
    CPropPageProjectInfo* project() {
        return static_cast<CPropPageProjectInfo*>(dialog.ProjectPage());
    }
    template <class W = QWidget> W* control(QWidget* page, int id) {
        return qobject_cast<W*>(GetDlgItem(page, id));
    }
    CPropPageProjectMukimTS* lots() { return project()->LotPage(); }
    // Brings the project page forward with `nested` in front on its own sheet.
    void openProject(CPropertyPage* nested) {
        dialog.Sheet()->SetActivePage(dialog.ProjectPage());
        project()->NestedSheet()->SetActivePage(nested);
    }
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
