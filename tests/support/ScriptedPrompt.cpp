#include "ScriptedPrompt.h"

PromptAnswer ScriptedPrompt::showMessage(const MessageRequest &request)
{
    messages.append(request);
    if (onMessage)
        onMessage(request);
    if (request.buttons == PromptButtons::Ok)
        return PromptAnswer::Ok;
    return answers.isEmpty() ? PromptAnswer::No : answers.takeFirst();
}

std::optional<QString> ScriptedPrompt::chooseOpenFile(const FileDialogRequest &request)
{
    openDialogs.append(request);
    return files.isEmpty() ? std::nullopt : files.takeFirst();
}

std::optional<QString> ScriptedPrompt::chooseSaveFile(const FileDialogRequest &request)
{
    saveDialogs.append(request);
    return files.isEmpty() ? std::nullopt : files.takeFirst();
}

QStringList ScriptedPrompt::texts() const
{
    QStringList result;
    for (const MessageRequest &m : messages)
        result.append(m.text);
    return result;
}
