// Kestrel: the project registration editor. A host starts it with an editing type and the path
// of the project file; everything else happens in CKestrelApp::InitInstance.

#include "app/CommandLineTokens.h"
#include "app/KestrelApp.h"
#include "app/KestrelDlg.h"
#include "app/KestrelPages.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrel"));
    // The run is the main dialog's modal loop; closing a window must not end it behind
    // InitInstance's back (a dropped file opens the next dialog after the first one closed).
    QApplication::setQuitOnLastWindowClosed(false);

    // The host's arguments, as the system split them: taken whole, so any path opens exactly the
    // file it names.
    CKestrelDlg::SetPageFactory(MakeRegistrationPages);
    CKestrelApp app;
    app.InitInstance(std::make_unique<CCommandLineTokens>(argc, argv));
    return app.ExitInstance();
}
