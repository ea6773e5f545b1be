#pragma once
// The application object: runs the program from start to end (InitInstance), owns the activity
// log with its LOG window and the command line, and answers the services every part of the
// program reaches: the log, the view-only flag and the road table.

#include "app/ActivityLog.h"
#include "app/CommandLineTokens.h"
#include "framework/AppServices.h"

#include <QByteArray>

#include <memory>

class CLogDlg;
class CRoadCache;

class CKestrelApp : public kestrel::AppServices {
public:
    // Registers itself as the program's services while it lives.
    CKestrelApp();
    ~CKestrelApp() override;
    CKestrelApp(const CKestrelApp&) = delete;
    CKestrelApp& operator=(const CKestrelApp&) = delete;

    // The application object of this process, or null.
    static CKestrelApp* Current();

    // The whole run: opens the log and its window, logs START and the command line, runs the
    // main dialog with the editing type and the file, then hides the LOG window and logs END.
    // Always false: there is no loop of its own after the dialog.
    bool InitInstance(std::unique_ptr<CCommandLineTokens> tokens);
    // The same for a host's command line given as one text, split here.
    bool InitInstance(const QByteArray& commandLine);
    // Resets the lookup database; the process's exit code.
    int ExitInstance();

    // The first steps of InitInstance (log file, hidden LOG window, START and command-line
    // lines, lookup database, command line), for code that runs a dialog of its own.
    void StartUp(std::unique_ptr<CCommandLineTokens> tokens);
    void StartUp(const QByteArray& commandLine);

    void WriteLog(const QString& message) override;
    bool IsViewOnly() const override { return m_bViewOnly; }
    CListSource* GetRoadTable() override;

    void ShowLogWindow(bool show);
    CLogDlg* LogWindow() const { return m_logDlg.get(); }
    const QString& LogFileName() const { return m_log.FileName(); }
    const CCommandLineTokens* Tokens() const { return m_pTokens.get(); }

    bool m_bViewOnly = false;

private:
    CActivityLog m_log;
    std::unique_ptr<CLogDlg> m_logDlg;
    std::unique_ptr<CCommandLineTokens> m_pTokens;
    std::unique_ptr<CRoadCache> m_pRoadCache; // made at the first request
    kestrel::AppServices* m_pPreviousServices = nullptr;
};
