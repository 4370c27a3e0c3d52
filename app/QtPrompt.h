#pragma once

#include "platform/Prompt.h"

#include <QPointer>
#include <QWidget>

// The prompt interface answered with Qt's own message boxes and file
// dialogs, owned by the main window.
class QtPrompt final : public Prompt
{
public:
    explicit QtPrompt(QWidget *owner = nullptr) : m_owner(owner) {}
    void setOwner(QWidget *owner) { m_owner = owner; }

    PromptAnswer showMessage(const MessageRequest &request) override;
    std::optional<QString> chooseOpenFile(const FileDialogRequest &request) override;
    std::optional<QString> chooseSaveFile(const FileDialogRequest &request) override;

private:
    QWidget *visibleOwner() const;

    QPointer<QWidget> m_owner;
};
