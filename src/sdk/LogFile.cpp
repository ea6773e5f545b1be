#include "sdk/LogFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

bool ensureParentFolder(const QString& path) {
    const QFileInfo info(path);
    return QDir().mkpath(info.absolutePath());
}

} // namespace

QString GET_MODULE_LOG_NAME() {
    QString path = qEnvironmentVariable("KESTREL_LOG_FILE");
    if (path.isEmpty()) {
        QString stateHome = qEnvironmentVariable("XDG_STATE_HOME");
        // The XDG rules say a relative XDG_STATE_HOME is invalid and must be ignored.
        if (stateHome.isEmpty() || QDir::isRelativePath(stateHome))
            stateHome = QDir::homePath() + QStringLiteral("/.local/state");
        path = stateHome + QStringLiteral("/kestrel/kestrel.log");
    }
    ensureParentFolder(path);
    return path;
}

void LOG_CHECK_SIZE_CLEAN(const QString& logFile, int sizeKiB) {
    if (logFile.isEmpty() || sizeKiB <= 0)
        return;
    const QFileInfo info(logFile);
    const qint64 limit = qint64(sizeKiB) * 1024;
    if (!info.isFile() || info.size() <= limit)
        return;

    // Only the last `limit` bytes can matter, so a runaway log is never read whole.
    QFile in(logFile);
    if (!in.open(QIODevice::ReadOnly))
        return;
    const qint64 size = in.size();
    const qint64 tailStart = size - limit - 1;
    if (tailStart < 0 || !in.seek(tailStart))
        return;
    const QByteArray tail = in.readAll();
    in.close();
    if (tail.size() != size - tailStart)
        return;

    // Keep the lines that start at or after the cut point (the newest half of the limit). When
    // no line starts there, the last line is longer than that half: keep it whole, unless it is
    // longer than the whole limit, which only a broken writer produces; then its tail is kept.
    const qsizetype cut = tail.size() - limit / 2;
    qsizetype keepFrom = tail.indexOf('\n', cut - 1) + 1;
    if (keepFrom <= 0 || keepFrom >= tail.size()) {
        const qsizetype lastChar = tail.size() - (tail.endsWith('\n') ? 2 : 1);
        keepFrom = tail.lastIndexOf('\n', lastChar) + 1;
        if (keepFrom <= 0)
            keepFrom = cut;
    }

    QSaveFile out(logFile);
    if (!out.open(QIODevice::WriteOnly))
        return;
    const QByteArray kept = tail.mid(keepFrom);
    if (out.write(kept) != kept.size()) {
        out.cancelWriting();
        return;
    }
    out.commit();
}

int LOG_STRING(const QString& line, const QString& logFile, int flags) {
    Q_UNUSED(flags);
    if (logFile.isEmpty())
        return 1;
    if (!QFileInfo::exists(QFileInfo(logFile).absolutePath()) && !ensureParentFolder(logFile))
        return 2;
    QFile file(logFile);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return 3;
    QByteArray bytes = line.toUtf8();
    if (!bytes.endsWith('\n'))
        bytes.append('\n');
    if (file.write(bytes) != bytes.size())
        return 4;
    if (!file.flush())
        return 5;
    return 0;
}

QString GET_CURRENT_DATETIME() {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}
