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

    // The host hands over one command line; rebuild it from the arguments as the shell split
    // them (see CCommandLineTokens::JoinArguments for the quoting rule).
    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.append(QByteArray(argv[i]));
    }
    CKestrelDlg::SetPageFactory(MakeRegistrationPages);
    CKestrelApp app;
    app.InitInstance(CCommandLineTokens::JoinArguments(arguments));
    return app.ExitInstance();
}
