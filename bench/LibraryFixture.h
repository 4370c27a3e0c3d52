#pragma once

#include "platform/Prompt.h"

#include <QString>

class LibraryController;
class LibraryPage;

// A generated program folder with a base.ini of `records` records, half of
// whose paths exist (every other one), made once per size for the process.
QString libraryFolder(int records);

// Answers every question the same way; no file is ever chosen.
class FixedAnswerPrompt final : public Prompt
{
public:
    explicit FixedAnswerPrompt(PromptAnswer answer) : m_answer(answer) {}
    PromptAnswer showMessage(const MessageRequest &) override { return m_answer; }
    std::optional<QString> chooseOpenFile(const FileDialogRequest &) override { return std::nullopt; }
    std::optional<QString> chooseSaveFile(const FileDialogRequest &) override { return std::nullopt; }

private:
    PromptAnswer m_answer;
};

// The page as the window's first display leaves it: records loaded, the
// grid set up and sized.
void showFirstDisplay(LibraryController &library, LibraryPage &page);
