#include "app/ActivityLog.h"

#include "app/LogDlg.h"
#include "sdk/LogFile.h"

#include <QDebug>

void CActivityLog::Open() {
    Open(GET_MODULE_LOG_NAME());
}

void CActivityLog::Open(const QString& logFile) {
    m_strLogFile = logFile;
    LOG_CHECK_SIZE_CLEAN(m_strLogFile, 100);
}

QString CActivityLog::FormatLine(const QString& message) {
    // One message, one line, whatever it carries (a path may hold a line break): a break inside
    // it would read as a line the run never wrote. It is shown as \n or \r.
    QString text = message;
    text.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return QStringLiteral(" ") + GET_CURRENT_DATETIME() + QStringLiteral(": ") + text +
           QStringLiteral("\r\n");
}

void CActivityLog::WriteLog(const QString& message) {
    const QString line = FormatLine(message);
    if (m_pWindow) {
        m_pWindow->AppendLine(line);
    }
    if (LOG_STRING(line, m_strLogFile, 0) != 0 && !m_bReportedFailure) {
        // The run goes on without its file; say so once rather than on every line.
        m_bReportedFailure = true;
        qWarning().noquote() << "Kestrel: cannot write the activity log" << m_strLogFile;
    }
}
