#pragma once

// File names as the system has them: bytes, which need not be UTF-8. Qt's own conversion
// (QFile::decodeName) turns bytes that are not UTF-8 into U+FFFD, after which open() finds no
// file, or another one. The project file's path is decoded and encoded with these instead, and
// every access to it goes by the encoded bytes.

#include <QByteArray>
#include <QString>

#include <optional>

// Valid UTF-8 decodes as usual; any other byte b becomes the lone surrogate U+DC00 + b, which
// no decoded name holds otherwise, and encodes back to b. So
// EncodeFileName(DecodeFileName(bytes)) == bytes for every name.
QString DecodeFileName(const QByteArray& name);
QByteArray EncodeFileName(const QString& name);

// What the file system says about a path (stat, lstat and access on its exact bytes).
struct LocalFileStatus {
    bool exists = false;    // something is there, symbolic links followed
    bool isSymLink = false; // the path itself is a symbolic link, dangling or not
    bool isFile = false;    // a regular file, symbolic links followed
    bool isReadable = false;
    bool isWritable = false;
    qint64 size = 0;
    int permissions = 0; // the mode's permission bits, as chmod takes them
};
LocalFileStatus StatLocalFile(const QString& path);

// A descriptor open for reading on a regular file, or -1. What the path names is told by its
// status before anything is opened, so a named pipe, a device or a socket is never opened (an
// open of a pipe waits for a writer). The caller closes it.
int OpenLocalFileForReading(const QString& path);

// The whole content of a regular file of at most maxBytes; nothing when there is no such file,
// it is no regular file, cannot be read or is larger.
std::optional<QByteArray> ReadLocalFile(const QString& path, qint64 maxBytes);

// Removes the file (not a folder); false when it could not be removed.
bool RemoveLocalFile(const QString& path);
