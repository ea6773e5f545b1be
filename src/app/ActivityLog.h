#pragma once
// The activity log: each line goes to the log file and, at the same moment, to the LOG window.
// A line reads " " + date-time + ": " + message + "\r\n"; a line break inside the message is
// written as \n or \r, so every message stays one line.

#include <QPointer>
#include <QString>

#include "app/LogDlg.h"

class CActivityLog {
public:
    // Fetches the log file name and keeps the file within its size (100 KiB).
    void Open();
    // An explicit file (tests).
    void Open(const QString& logFile);
    const QString& FileName() const { return m_strLogFile; }

    // The window that mirrors the file; may be null.
    void SetWindow(CLogDlg* window) { m_pWindow = window; }

    void WriteLog(const QString& message);

    // The line as written for a message at the current time.
    static QString FormatLine(const QString& message);

private:
    QString m_strLogFile;
    QPointer<CLogDlg> m_pWindow;
    bool m_bReportedFailure = false;
};
