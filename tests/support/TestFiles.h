#pragma once
// Whole-file reads and writes for tests that look at what the program put on disk. Free of any
// test framework: callers check the result with their own assertion.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

// The file's bytes, or nothing when it cannot be read.
inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Replaces the file's content; true when every byte was written.
[[nodiscard]] inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// Makes something at `path` that is no regular file, of one kind: "folder", "pipe" (a named
// pipe), "device" (a link to /dev/null) or "socket" (a bound unix socket, left behind closed).
[[nodiscard]] inline bool makeSpecialFile(const QByteArray& kind, const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    if (kind == "folder")
        return QDir().mkdir(path);
    if (kind == "pipe")
        return ::mkfifo(name.constData(), 0600) == 0;
    if (kind == "device")
        return ::symlink("/dev/null", name.constData()) == 0;
    if (kind == "socket") {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (name.size() >= qsizetype(sizeof address.sun_path))
            return false;
        std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const bool bound =
            fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        if (fd >= 0)
            ::close(fd);
        return bound;
    }
    return false;
}
