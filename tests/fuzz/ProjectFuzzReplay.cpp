// Replays project files (the fuzzer's seed corpus, or any files and folders given) through the
// round trip of ProjectRoundTrip.h. Prints one line per file; exits with 1 when any file failed.

#include "ProjectRoundTrip.h"
#include "TestFiles.h"
#include "app/QuietAppServices.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir folder;
    SandboxLocations(folder.path());
    QApplication app(argc, argv);
    CQuietAppServices services;

    int files = 0, failed = 0;
    for (const QString& given : app.arguments().mid(1)) {
        const QFileInfoList found = QFileInfo(given).isDir()
                                        ? QDir(given).entryInfoList(QDir::Files, QDir::Name)
                                        : QFileInfoList{QFileInfo(given)};
        for (const QFileInfo& file : found) {
            const QString verdict =
                RoundTripProjectFile(readFile(file.filePath()), folder.path()).failure;
            std::printf("%s %s%s%s\n", verdict.isEmpty() ? "ok  " : "FAIL",
                        qPrintable(file.filePath()), verdict.isEmpty() ? "" : ": ",
                        qPrintable(verdict));
            failed += verdict.isEmpty() ? 0 : 1;
            ++files;
        }
    }
    std::printf("%d files, %d failed\n", files, failed);
    return failed == 0 && files > 0 ? 0 : 1;
}
