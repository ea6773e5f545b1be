#include "sdk/RunTimeLibrary.h"
#include "sdk/SdkLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QtGlobal>

#include <dlfcn.h>

QString ExecutableDir() {
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    const QString target = self.symLinkTarget();
    if (target.isEmpty())
        return {};
    return QFileInfo(target).absolutePath();
}

QString SdkDefLibraryPath() {
    const QString explicitPath = qEnvironmentVariable("KESTREL_SDKDEF");
    if (!explicitPath.isEmpty())
        return explicitPath;
    const QString dir = ExecutableDir();
    if (dir.isEmpty())
        return QStringLiteral("libTernSdkDef.so");
    return QDir(dir).filePath(QStringLiteral("libTernSdkDef.so"));
}

void* LoadRunTimeLibrary(const QString& path) {
    if (path.isEmpty()) {
        qCWarning(lcSdk, "Run-time library not loaded: no path");
        return nullptr;
    }
    void* handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        qCWarning(lcSdk, "Run-time library %s not loaded: %s", qUtf8Printable(path),
                  why ? why : "unknown error");
    }
    return handle;
}

void* GetRunTimeFunction(void* handle, const char* name) {
    if (!handle || !name)
        return nullptr;
    dlerror();
    return dlsym(handle, name);
}

void FreeRunTimeLibrary(void* handle) {
    if (handle)
        dlclose(handle);
}
