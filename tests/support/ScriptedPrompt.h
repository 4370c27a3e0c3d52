#pragma once

#include "platform/Prompt.h"

#include <QList>
#include <QStringList>

#include <functional>
#include <optional>

// The prompt interface with scripted answers. Every request is recorded, so
// a test can check the exact caption, text, buttons, default and icon.
class ScriptedPrompt final : public Prompt
{
public:
    // Answers given to yes/no questions in order; once used up, No.
    QList<PromptAnswer> answers;
    // Files returned by the open and save dialogs in order; once used up, cancel.
    QList<std::optional<QString>> files;

    // Called as each message is shown, before it is answered.
    std::function<void(const MessageRequest &)> onMessage;

    QList<MessageRequest> messages;
    QList<FileDialogRequest> openDialogs;
    QList<FileDialogRequest> saveDialogs;

    PromptAnswer showMessage(const MessageRequest &request) override;
    std::optional<QString> chooseOpenFile(const FileDialogRequest &request) override;
    std::optional<QString> chooseSaveFile(const FileDialogRequest &request) override;

    // The texts of every message shown, in order.
    QStringList texts() const;
};
