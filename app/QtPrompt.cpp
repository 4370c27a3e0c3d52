#include "QtPrompt.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {

// One filter entry: the description as given, which already shows its
// pattern; Qt's own copy of the pattern stays hidden.
void setUp(QFileDialog &dialog, const FileDialogRequest &request)
{
    dialog.setWindowTitle(request.title);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilter(QStringLiteral("%1 (%2)").arg(request.filterDescription, request.filterPattern));
}

} // namespace

QWidget *QtPrompt::visibleOwner() const
{
    // A box owned by a window not yet on screen would sit at that window's
    // corner; without an owner it is centred on the screen.
    return m_owner && m_owner->isVisible() ? m_owner.data() : nullptr;
}

PromptAnswer QtPrompt::showMessage(const MessageRequest &request)
{
    QMessageBox box(visibleOwner());
    box.setWindowTitle(request.caption);
    box.setText(request.text);
    switch (request.icon) {
    case PromptIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case PromptIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case PromptIcon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    if (request.buttons == PromptButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(request.defaultButton == PromptAnswer::Yes ? QMessageBox::Yes : QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? PromptAnswer::Yes : PromptAnswer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return PromptAnswer::Ok;
}

std::optional<QString> QtPrompt::chooseOpenFile(const FileDialogRequest &request)
{
    QFileDialog dialog(visibleOwner());
    setUp(dialog, request);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> QtPrompt::chooseSaveFile(const FileDialogRequest &request)
{
    QFileDialog dialog(visibleOwner());
    setUp(dialog, request);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}
