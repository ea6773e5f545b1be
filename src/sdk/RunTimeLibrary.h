// Loading the host's run-time library (and finding the program's companions beside it): the
// dlopen/dlsym side of the SDK, kept apart so the lookup database stays free of it.
#pragma once

#include <QString>

// The folder of the running program: the application's folder when a QCoreApplication exists,
// else the folder of /proc/self/exe; "" when neither can be read.
QString ExecutableDir();

// Where libTernSdkDef.so is looked for: KESTREL_SDKDEF when set, else beside the program.
QString SdkDefLibraryPath();

// dlopen with RTLD_NOW | RTLD_LOCAL. Null (and one "kestrel.sdk" warning naming the path and
// dlerror) when the library is missing or cannot be loaded.
void* LoadRunTimeLibrary(const QString& path);

// dlsym; null when handle is null or the export is missing.
void* GetRunTimeFunction(void* handle, const char* name);

// dlclose; a null handle is ignored.
void FreeRunTimeLibrary(void* handle);

// The exports of TernSdkDef as the editor calls them: 0 done, -1 duplicate reference, other
// values failures (see host/TernSdkDef.h).
using CreateProjectProc = int (*)(const char* reference);
using RenameProjectProc = int (*)(const char* newReference, const char* oldReference);
