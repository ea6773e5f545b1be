#pragma once
// Message boxes, the save-file and open-file dialogs and the beep, behind one replaceable seam.
//
// The program asks its questions through these functions only. Tests install a
// ScriptedAnswerer, which records every box (text, caption, icon, buttons) and answers from a
// queue, so no test ever waits on a real modal window.

#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

class QWidget;

namespace kestrel {

// Button and icon choices, combined with |, with the values the design's callers use.
enum MessageBoxStyle : unsigned {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
    // Which button Enter presses when the box comes up (the first when none is given). A
    // question whose Yes throws work away gives MB_DEFBUTTON2, so a hasty Enter answers No.
    MB_DEFBUTTON1 = 0x000,
    MB_DEFBUTTON2 = 0x100,
    MB_DEFBUTTON3 = 0x200,
};
constexpr unsigned kButtonMask = 0x0F;
constexpr unsigned kIconMask = 0xF0;
constexpr unsigned kDefButtonMask = 0xF00;

// Answers.
enum MessageBoxResult : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// What the program asks of the save-file dialog.
struct SaveFileRequest {
    QString caption;
    QString initialPath;      // folder or file the dialog starts from
    QString defaultExtension; // added when the chosen name has none, without the dot
    QString filter;           // Qt filter text, e.g. "XML (*.xml);;All Files (*)"
    bool confirmOverwrite = true;
};

// What the program asks of the open-file dialog.
struct OpenFileRequest {
    QString caption;
    QString initialPath; // folder or file the dialog starts from
    QString filter;      // Qt filter text, e.g. "vCard (*.vcf);;All Files (*)"
};

// Shows a modal box and returns the button pressed (IDOK, IDCANCEL, IDYES, IDNO).
int MessageBox(QWidget* parent, const QString& text, const QString& caption, unsigned style);

// Asks for a file to save to; returns the full path, or "" when the user cancelled.
QString GetSaveFileName(QWidget* parent, const SaveFileRequest& request);

// Asks for an existing file to open; returns the full path, or "" when the user cancelled.
QString GetOpenFileName(QWidget* parent, const OpenFileRequest& request);

// The simple beep of a refused key.
void MessageBeep();

// Whatever stands behind the seam. The default one shows real Qt windows.
class UserPrompter {
public:
    virtual ~UserPrompter() = default;
    virtual int messageBox(QWidget* parent, const QString& text, const QString& caption,
                           unsigned style) = 0;
    virtual QString saveFileName(QWidget* parent, const SaveFileRequest& request) = 0;
    virtual QString openFileName(QWidget* parent, const OpenFileRequest& request) = 0;
    virtual void beep() = 0;
};

// Replaces the prompter for the current process; returns the previous one (null = default).
UserPrompter* InstallUserPrompter(UserPrompter* prompter);

// A scripted stand-in for tests: installs itself while it lives.
class ScriptedAnswerer : public UserPrompter {
public:
    struct Message {
        QString text;
        QString caption;
        unsigned buttons = MB_OK;               // style & kButtonMask
        unsigned icon = 0;                      // style & kIconMask
        unsigned defaultButton = MB_DEFBUTTON1; // style & kDefButtonMask
        int defaultAnswer = IDOK;               // what Enter would have answered
        int answer = IDOK;
        QWidget* focusWhenShown = nullptr;      // the focused widget at the moment the box came up
        bool cursorOverriddenWhenShown = false; // a wait (or other) cursor was set over the app
    };

    ScriptedAnswerer();
    ~ScriptedAnswerer() override;
    ScriptedAnswerer(const ScriptedAnswerer&) = delete;
    ScriptedAnswerer& operator=(const ScriptedAnswerer&) = delete;

    // Answers for the next boxes, in order. With the queue empty a box gets its safe answer:
    // IDOK for an OK box, IDNO for a yes/no box, IDCANCEL otherwise.
    void queueAnswer(int answer);
    // File names for the next save dialogs; "" cancels. With the queue empty the dialog cancels.
    void queueSaveFileName(const QString& path);
    // File names for the next open dialogs; "" cancels. With the queue empty the dialog cancels.
    void queueOpenFileName(const QString& path);

    const std::vector<Message>& messages() const { return m_messages; }
    const std::vector<SaveFileRequest>& saveRequests() const { return m_saveRequests; }
    const std::vector<OpenFileRequest>& openRequests() const { return m_openRequests; }
    int beepCount() const { return m_beeps; }
    // The last box's text, or "" when none was shown.
    QString lastText() const;
    void clear();

    int messageBox(QWidget* parent, const QString& text, const QString& caption,
                   unsigned style) override;
    QString saveFileName(QWidget* parent, const SaveFileRequest& request) override;
    QString openFileName(QWidget* parent, const OpenFileRequest& request) override;
    void beep() override;

private:
    UserPrompter* m_previous = nullptr;
    std::deque<int> m_answers;
    std::deque<QString> m_fileNames;
    std::deque<QString> m_openFileNames;
    std::vector<Message> m_messages;
    std::vector<SaveFileRequest> m_saveRequests;
    std::vector<OpenFileRequest> m_openRequests;
    int m_beeps = 0;
};

} // namespace kestrel
