#pragma once
// Whole-file reads and writes for tests that look at what the program put on disk. Free of any
// test framework: callers check the result with their own assertion.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstring>
#include <map>

#include <linux/capability.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
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

// Every file in the folder (hidden ones too), by name, with its content.
inline std::map<QString, QByteArray> folderContent(const QString& folder) {
    std::map<QString, QByteArray> content;
    for (const QString& name :
         QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        content[name] = readFile(folder + QLatin1Char('/') + name);
    return content;
}

// While it lives, file permissions bind the calling thread even when the tests run as root, who
// may otherwise read and write any file: the thread sets aside the two capabilities that allow
// that, and takes them up again at the end. (access(2), and so QFileInfo::isReadable, still
// answers for root as if they were there.)
class FilePermissionsBind {
public:
    FilePermissionsBind() {
        if (syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct lowered[2] = {m_saved[0], m_saved[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        m_lowered = syscall(SYS_capset, &m_header, lowered) == 0;
    }
    ~FilePermissionsBind() {
        if (m_lowered)
            syscall(SYS_capset, &m_header, m_saved);
    }
    FilePermissionsBind(const FilePermissionsBind&) = delete;
    FilePermissionsBind& operator=(const FilePermissionsBind&) = delete;

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_lowered = false;
};

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
