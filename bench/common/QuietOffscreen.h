#pragma once
// What every widget benchmark sets up first: the offscreen platform unless another one is asked
// for, and a message handler that drops the platform's notes on what it cannot do (grab, raise,
// size hints), which would otherwise bury the result table.

#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

inline void QuietOffscreenMessages(QtMsgType type, const QMessageLogContext&,
                                   const QString& message) {
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(message));
    if (type == QtFatalMsg)
        std::abort();
}

// Call before the QApplication is made.
inline void PrepareOffscreenBenchmark() {
    qInstallMessageHandler(QuietOffscreenMessages);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}
