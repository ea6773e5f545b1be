#include "app/KestrelApp.h"

#include "app/KestrelDlg.h"
#include "app/LogDlg.h"
#include "app/RoadCache.h"
#include "sdk/AppDB.h"

namespace {
CKestrelApp*& currentApp() {
    static CKestrelApp* app = nullptr;
    return app;
}

} // namespace

CKestrelApp::CKestrelApp() : m_pPreviousServices(kestrel::SetAppServices(this)) {
    currentApp() = this;
}

CKestrelApp::~CKestrelApp() {
    kestrel::SetAppServices(m_pPreviousServices);
    if (currentApp() == this) {
        currentApp() = nullptr;
    }
}

CKestrelApp* CKestrelApp::Current() {
    return currentApp();
}

void CKestrelApp::StartUp(std::unique_ptr<CCommandLineTokens> tokens) {
    m_log.Open();
    m_logDlg = std::make_unique<CLogDlg>();
    m_log.SetWindow(m_logDlg.get());
    WriteLog(QStringLiteral("START: ----------------------------------"));
    WriteLog(QStringLiteral("Command Line: ") + QString::fromLocal8Bit(tokens->GetCommandLine()));
    // Loads the host's run-time library; the database itself waits for its first lookup.
    XKR_GetAppDB();
    m_pTokens = std::move(tokens);
}

void CKestrelApp::StartUp(const QByteArray& commandLine) {
    StartUp(std::make_unique<CCommandLineTokens>(commandLine.constData()));
}

bool CKestrelApp::InitInstance(std::unique_ptr<CCommandLineTokens> tokens) {
    StartUp(std::move(tokens));
    {
        CKestrelDlg dialog;
        const QByteArray editingType = m_pTokens->GetAt(0);
        m_bViewOnly = m_pTokens->GetCount() >= 1 &&
                      QString::fromLocal8Bit(editingType)
                              .compare(QLatin1String("VIEW_PROJ"), Qt::CaseInsensitive) == 0;
        dialog.SetEditingType(QString::fromLocal8Bit(editingType));
        dialog.LoadDocument(m_pTokens->GetFilePath());
        dialog.DoModal();
    }
    ShowLogWindow(false);
    WriteLog(QStringLiteral("END: ------------------------------------"));
    return false;
}

bool CKestrelApp::InitInstance(const QByteArray& commandLine) {
    return InitInstance(std::make_unique<CCommandLineTokens>(commandLine.constData()));
}

int CKestrelApp::ExitInstance() {
    XKR_GetAppDB()->Reset();
    return 0;
}

void CKestrelApp::WriteLog(const QString& message) {
    m_log.WriteLog(message);
}

CListSource* CKestrelApp::GetRoadTable() {
    // The road names are read once, when the first road combo asks for them.
    if (!m_pRoadCache) {
        m_pRoadCache = std::make_unique<CRoadCache>();
    }
    return m_pRoadCache->GetRoadTable();
}

void CKestrelApp::ShowLogWindow(bool show) {
    if (m_logDlg) {
        m_logDlg->setVisible(show);
    }
}
