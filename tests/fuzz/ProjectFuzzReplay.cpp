// Replays project files (the fuzzer's seed corpus, or any files and folders given) through the
// round trip of ProjectRoundTrip.h, and has xmllint check what each first save wrote when it is
// installed. Prints one line per file; exits with 1 when any file failed.

#include "ProjectRoundTrip.h"
#include "TestFiles.h"
#include "app/QuietAppServices.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// libxml2's verdict on the file, "" when it accepts it.
QString xmllintVerdict(const QString& xmllint, const QString& path) {
    QProcess run;
    run.start(xmllint, {QStringLiteral("--noout"), QStringLiteral("--nonet"), path});
    if (!run.waitForFinished(60000))
        return QStringLiteral("xmllint did not finish");
    if (run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0)
        return {};
    return QStringLiteral("xmllint: ") + QString::fromLocal8Bit(run.readAllStandardError());
}

} // namespace

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
    const QString xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
    if (xmllint.isEmpty())
        std::printf("xmllint is not installed (Debian: libxml2-utils): no strict check\n");

    int failed = 0;
    for (const QString& file : files) {
        const RoundTrip trip = RoundTripProjectFile(readFile(file), folder.path());
        QString verdict = trip.failure;
        if (verdict.isEmpty() && !xmllint.isEmpty()) {
            const QString saved = folder.filePath(QStringLiteral("checked.xml"));
            verdict = writeFile(saved, trip.firstSave) ? xmllintVerdict(xmllint, saved)
                                                       : QStringLiteral("cannot write ") + saved;
        }
        std::printf("%s %s%s%s\n", verdict.isEmpty() ? "ok  " : "FAIL", qPrintable(file),
                    verdict.isEmpty() ? "" : ": ", qPrintable(verdict));
        failed += verdict.isEmpty() ? 0 : 1;
    }
    std::printf("%lld files, %d failed\n", static_cast<long long>(files.size()), failed);
    return failed == 0 && !files.isEmpty() ? 0 : 1;
}
