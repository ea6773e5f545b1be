// libFuzzer target: any bytes, taken as a project file, through the round trip of
// ProjectRoundTrip.h. A broken round trip aborts with what went wrong. How to run it: README.

#include "ProjectRoundTrip.h"
#include "app/QuietAppServices.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
QTemporaryDir* g_folder = nullptr;
} // namespace

// The leak checker's own exceptions: fontconfig keeps what it reads of the font configuration
// for the life of the process, and Qt never hands it back.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    g_folder = new QTemporaryDir;
    SandboxLocations(g_folder->path());
    // The fuzzer's own options are not Qt's.
    static int qtArgc = 1;
    static char* qtArgv[] = {(*argv)[0], nullptr};
    new QApplication(qtArgc, qtArgv);
    new CQuietAppServices;
    // Unusable inputs are the rule here; the program's notes on each would bury the fuzzer's.
    QLoggingCategory::setFilterRules(QStringLiteral("kestrel.*=false"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const RoundTrip trip = RoundTripProjectFile(
        QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)),
        g_folder->path());
    if (!trip.failure.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(trip.failure));
        std::abort();
    }
    return 0;
}
