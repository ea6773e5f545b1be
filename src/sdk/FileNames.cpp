#include "sdk/FileNames.h"

#include <QStringView>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool isContinuation(unsigned char c, unsigned char low = 0x80, unsigned char high = 0xBF) {
    return c >= low && c <= high;
}

// The length of the well-formed UTF-8 sequence at p (shortest form, no surrogates, at most
// U+10FFFF), or 0 when the byte at p does not start one.
int sequenceLength(const unsigned char* p, qsizetype left) {
    const unsigned char c = p[0];
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF)
        return left >= 2 && isContinuation(p[1]) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        const unsigned char low = c == 0xE0 ? 0xA0 : 0x80;
        const unsigned char high = c == 0xED ? 0x9F : 0xBF;
        return left >= 3 && isContinuation(p[1], low, high) && isContinuation(p[2]) ? 3 : 0;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        const unsigned char low = c == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = c == 0xF4 ? 0x8F : 0xBF;
        return left >= 4 && isContinuation(p[1], low, high) && isContinuation(p[2]) &&
                       isContinuation(p[3])
                   ? 4
                   : 0;
    }
    return 0;
}

} // namespace

QString DecodeFileName(const QByteArray& name) {
    QString decoded;
    decoded.reserve(name.size());
    const auto* bytes = reinterpret_cast<const unsigned char*>(name.constData());
    const qsizetype size = name.size();
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < size;) {
        const int length = sequenceLength(bytes + i, size - i);
        if (length > 0) {
            i += length;
            continue;
        }
        decoded += QString::fromUtf8(name.constData() + runStart, i - runStart);
        decoded += QChar(char16_t(kEscapeBase + bytes[i]));
        runStart = ++i;
    }
    decoded += QString::fromUtf8(name.constData() + runStart, size - runStart);
    return decoded;
}

QByteArray EncodeFileName(const QString& name) {
    QByteArray encoded;
    encoded.reserve(name.size());
    const QStringView view(name);
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < view.size(); ++i) {
        const char16_t c = view[i].unicode();
        // A low surrogate after a high one is half of a real character, never an escape.
        const bool escape = c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF &&
                            !(i > 0 && view[i - 1].isHighSurrogate());
        if (!escape)
            continue;
        encoded += view.mid(runStart, i - runStart).toUtf8();
        encoded += char(c - kEscapeBase);
        runStart = i + 1;
    }
    encoded += view.mid(runStart).toUtf8();
    return encoded;
}

LocalFileStatus StatLocalFile(const QString& path) {
    LocalFileStatus status;
    if (path.isEmpty())
        return status;
    const QByteArray name = EncodeFileName(path);
    struct stat st {};
    status.isSymLink = ::lstat(name.constData(), &st) == 0 && S_ISLNK(st.st_mode);
    if (::stat(name.constData(), &st) != 0)
        return status;
    status.exists = true;
    status.isFile = S_ISREG(st.st_mode);
    status.isReadable = ::access(name.constData(), R_OK) == 0;
    status.isWritable = ::access(name.constData(), W_OK) == 0;
    status.size = st.st_size;
    status.permissions = int(st.st_mode & 07777);
    return status;
}

int OpenLocalFileForReading(const QString& path) {
    if (!StatLocalFile(path).isFile)
        return -1;
    // Non-blocking, and checked again once open: something else may have been put under the
    // name since the look at it.
    const int fd = ::open(EncodeFileName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

std::optional<QByteArray> ReadLocalFile(const QString& path, qint64 maxBytes) {
    const int fd = OpenLocalFileForReading(path);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    std::optional<QByteArray> content;
    if (::fstat(fd, &st) == 0 && st.st_size <= maxBytes) {
        QByteArray bytes(qsizetype(st.st_size), Qt::Uninitialized);
        qsizetype done = 0;
        bool ok = true;
        while (ok && done < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            ok = n > 0;
            done += ok ? n : 0;
        }
        if (ok)
            content = std::move(bytes);
    }
    ::close(fd);
    return content;
}

bool RemoveLocalFile(const QString& path) {
    return !path.isEmpty() && ::unlink(EncodeFileName(path).constData()) == 0;
}
