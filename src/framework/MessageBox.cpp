#include "framework/MessageBox.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace kestrel {
namespace {

QMessageBox::Icon iconFor(unsigned style) {
    switch (style & kIconMask) {
    case MB_ICONERROR:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONWARNING:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

struct Choice {
    QMessageBox::StandardButton button;
    int result;
};

// The box's buttons in the order they are numbered for MB_DEFBUTTONn.
std::vector<Choice> choicesFor(unsigned style) {
    switch (style & kButtonMask) {
    case MB_YESNO:
        return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
    case MB_YESNOCANCEL:
        return {
            {QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
    case MB_OKCANCEL:
        return {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
    default:
        return {{QMessageBox::Ok, IDOK}};
    }
}

// The button Enter presses; a number beyond the box's buttons means the first.
std::size_t defaultChoice(unsigned style, std::size_t count) {
    const std::size_t index = (style & kDefButtonMask) >> 8;
    return index < count ? index : 0;
}

class QtPrompter final : public UserPrompter {
public:
    int messageBox(QWidget* parent, const QString& text, const QString& caption,
                   unsigned style) override {
        QMessageBox box(iconFor(style), caption, text, QMessageBox::NoButton, parent);
        box.setTextFormat(Qt::PlainText);
        const std::vector<Choice> choices = choicesFor(style);
        for (const Choice& choice : choices) {
            box.addButton(choice.button);
        }
        // The default button also starts with the focus, so Enter and Space both press it.
        box.setDefaultButton(choices[defaultChoice(style, choices.size())].button);
        if (choices.size() == 1) {
            box.setEscapeButton(choices.front().button);
        } else if ((style & kButtonMask) == MB_YESNO) {
            box.setEscapeButton(QMessageBox::No);
        }
        box.exec();
        const auto pressed = box.standardButton(box.clickedButton());
        for (const Choice& choice : choices) {
            if (choice.button == pressed) {
                return choice.result;
            }
        }
        return (style & kButtonMask) == MB_YESNO ? IDNO : IDCANCEL;
    }

    QString saveFileName(QWidget* parent, const SaveFileRequest& request) override {
        QFileDialog dialog(parent, request.caption, request.initialPath, request.filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(request.defaultExtension);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return {};
        }
        return dialog.selectedFiles().constFirst();
    }

    QString openFileName(QWidget* parent, const OpenFileRequest& request) override {
        QFileDialog dialog(parent, request.caption, request.initialPath, request.filter);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return {};
        }
        return dialog.selectedFiles().constFirst();
    }

    void beep() override { QApplication::beep(); }
};

QtPrompter& qtPrompter() {
    static QtPrompter prompter;
    return prompter;
}

UserPrompter*& installedPrompter() {
    static UserPrompter* prompter = nullptr;
    return prompter;
}

UserPrompter& currentPrompter() {
    if (UserPrompter* installed = installedPrompter()) {
        return *installed;
    }
    return qtPrompter();
}

} // namespace

int MessageBox(QWidget* parent, const QString& text, const QString& caption, unsigned style) {
    return currentPrompter().messageBox(parent, text, caption, style);
}

QString GetSaveFileName(QWidget* parent, const SaveFileRequest& request) {
    return currentPrompter().saveFileName(parent, request);
}

QString GetOpenFileName(QWidget* parent, const OpenFileRequest& request) {
    return currentPrompter().openFileName(parent, request);
}

void MessageBeep() {
    currentPrompter().beep();
}

UserPrompter* InstallUserPrompter(UserPrompter* prompter) {
    UserPrompter* previous = installedPrompter();
    installedPrompter() = prompter;
    return previous;
}

ScriptedAnswerer::ScriptedAnswerer() : m_previous(InstallUserPrompter(this)) {}

ScriptedAnswerer::~ScriptedAnswerer() {
    InstallUserPrompter(m_previous);
}

void ScriptedAnswerer::queueAnswer(int answer) {
    m_answers.push_back(answer);
}

void ScriptedAnswerer::queueSaveFileName(const QString& path) {
    m_fileNames.push_back(path);
}

void ScriptedAnswerer::queueOpenFileName(const QString& path) {
    m_openFileNames.push_back(path);
}

QString ScriptedAnswerer::lastText() const {
    return m_messages.empty() ? QString() : m_messages.back().text;
}

void ScriptedAnswerer::clear() {
    m_answers.clear();
    m_fileNames.clear();
    m_openFileNames.clear();
    m_messages.clear();
    m_saveRequests.clear();
    m_openRequests.clear();
    m_beeps = 0;
}

int ScriptedAnswerer::messageBox(QWidget*, const QString& text, const QString& caption,
                                 unsigned style) {
    Message message;
    message.text = text;
    message.caption = caption;
    message.buttons = style & kButtonMask;
    message.icon = style & kIconMask;
    message.defaultButton = style & kDefButtonMask;
    const std::vector<Choice> choices = choicesFor(style);
    message.defaultAnswer = choices[defaultChoice(style, choices.size())].result;
    message.focusWhenShown = QApplication::focusWidget();
    message.cursorOverriddenWhenShown = QApplication::overrideCursor() != nullptr;
    if (!m_answers.empty()) {
        message.answer = m_answers.front();
        m_answers.pop_front();
    } else if (message.buttons == MB_OK) {
        message.answer = IDOK;
    } else if (message.buttons == MB_YESNO) {
        message.answer = IDNO;
    } else {
        message.answer = IDCANCEL;
    }
    m_messages.push_back(message);
    return message.answer;
}

QString ScriptedAnswerer::saveFileName(QWidget*, const SaveFileRequest& request) {
    m_saveRequests.push_back(request);
    if (m_fileNames.empty()) {
        return {};
    }
    QString path = m_fileNames.front();
    m_fileNames.pop_front();
    if (!path.isEmpty() && !request.defaultExtension.isEmpty() &&
        QFileInfo(path).suffix().isEmpty()) {
        path += QLatin1Char('.') + request.defaultExtension;
    }
    return path;
}

QString ScriptedAnswerer::openFileName(QWidget*, const OpenFileRequest& request) {
    m_openRequests.push_back(request);
    if (m_openFileNames.empty()) {
        return {};
    }
    QString path = m_openFileNames.front();
    m_openFileNames.pop_front();
    return path;
}

void ScriptedAnswerer::beep() {
    ++m_beeps;
}

} // namespace kestrel
