#pragma once
// One project file through the whole program and back, with no window on screen: the file is
// loaded, every page sets up its controls and shows the record as when the user opens it, and
// the values are taken back from the controls and written as Save & Quit writes them. The
// written file is loaded and saved the same way once more. A record must come back from its
// first save unchanged: the second save is the first byte for byte, both are well-formed XML, and
// no message box comes up on the way.

#include <QByteArray>
#include <QString>

struct RoundTrip {
    QByteArray firstSave; // what the first save wrote
    QString failure;      // "" when all went well; otherwise what went wrong
};

// Points the activity log, the project store, the address book and the XDG folders into
// `folder`, so a run never touches the user's own files. Call before the QApplication is made.
void SandboxLocations(const QString& folder);

// Runs `bytes` through the round trip. Needs a QApplication (the offscreen platform will do) and
// the application's services; the files it writes go to `folder`. Message boxes are answered by
// a scripted answerer, never shown.
RoundTrip RoundTripProjectFile(const QByteArray& bytes, const QString& folder);
