#include "QtPrompt.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {

QString filterOf(const FileDialogRequest &request)
{
    return QStringLiteral("%1 (%2)").arg(request.filterDescription, request.filterPattern);
}

} // namespace

PromptAnswer QtPrompt::showMessage(const MessageRequest &request)
{
    QMessageBox box(m_owner);
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
    const QString file = QFileDialog::getOpenFileName(m_owner, request.title, QString(), filterOf(request));
    if (file.isEmpty())
        return std::nullopt;
    return file;
}

std::optional<QString> QtPrompt::chooseSaveFile(const FileDialogRequest &request)
{
    QFileDialog dialog(m_owner, request.title, QString(), filterOf(request));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}
