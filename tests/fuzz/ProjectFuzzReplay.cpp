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

    QStringList files;
    for (const QString& given : app.arguments().mid(1)) {
        if (QFileInfo(given).isDir()) {
            const QDir dir(given);
            for (const QString& name : dir.entryList(QDir::Files, QDir::Name))
                files.append(dir.filePath(name));
        } else {
            files.append(given);
        }
    }
    int failed = 0;
    for (const QString& file : files) {
        const QString verdict = RoundTripProjectFile(readFile(file), folder.path()).failure;
        std::printf("%s %s%s%s\n", verdict.isEmpty() ? "ok  " : "FAIL", qPrintable(file),
                    verdict.isEmpty() ? "" : ": ", qPrintable(verdict));
        failed += verdict.isEmpty() ? 0 : 1;
    }
    std::printf("%lld files, %d failed\n", static_cast<long long>(files.size()), failed);
    return failed == 0 && !files.isEmpty() ? 0 : 1;
}
