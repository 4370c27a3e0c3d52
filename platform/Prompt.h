#pragma once

#include <QString>

#include <optional>

// Every message box and file dialog of the program goes through this
// interface: the main window answers with Qt's dialogs, tests with scripted
// answers that also record what was asked. Captions and texts arrive already
// translated.
enum class PromptButtons { Ok, YesNo };
enum class PromptIcon { None, Information, Error };
enum class PromptAnswer { Ok, Yes, No };

struct MessageRequest {
    QString caption;
    QString text;
    PromptButtons buttons = PromptButtons::Ok;
    PromptAnswer defaultButton = PromptAnswer::Ok;
    PromptIcon icon = PromptIcon::None;
};

struct FileDialogRequest {
    QString title;
    QString filterDescription; // e.g. "Theme ( *.vqk )"
    QString filterPattern;     // e.g. "*.vqk"
    QString defaultSuffix;     // save dialogs only
};

class Prompt
{
public:
    virtual ~Prompt() = default;

    virtual PromptAnswer showMessage(const MessageRequest &request) = 0;
    // The chosen file's full path, or nullopt when the user cancelled.
    virtual std::optional<QString> chooseOpenFile(const FileDialogRequest &request) = 0;
    virtual std::optional<QString> chooseSaveFile(const FileDialogRequest &request) = 0;

    // A confirmation of a destructive or installing action: Yes and No, the
    // information icon, No as default. True only for Yes.
    bool confirm(const QString &caption, const QString &text)
    {
        return showMessage({caption, text, PromptButtons::YesNo, PromptAnswer::No, PromptIcon::Information})
               == PromptAnswer::Yes;
    }
    // An information or error note: OK only, no icon.
    void note(const QString &caption, const QString &text)
    {
        showMessage({caption, text, PromptButtons::Ok, PromptAnswer::Ok, PromptIcon::None});
    }
    // The general error box: the application title, an error icon, OK.
    void showError(const QString &applicationTitle, const QString &text)
    {
        showMessage({applicationTitle, text, PromptButtons::Ok, PromptAnswer::Ok, PromptIcon::Error});
    }
};
