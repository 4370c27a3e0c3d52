// The theme package installer on arbitrary bytes as a .vqk, answering Yes
// to its question; whatever it installs must land inside themes.

#include "i18n/LanguageSupport.h"
#include "platform/Prompt.h"
#include "themes/LibZipArchive.h"
#include "themes/ThemesController.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

namespace {

class YesPrompt final : public Prompt
{
public:
    PromptAnswer showMessage(const MessageRequest &) override { return PromptAnswer::Yes; }
    std::optional<QString> chooseOpenFile(const FileDialogRequest &) override { return std::nullopt; }
    std::optional<QString> chooseSaveFile(const FileDialogRequest &) override { return std::nullopt; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("program"));
    QDir().mkpath(program);
    static const LanguageSupport::TranslatorScope translation{ProgramFolder(program)};

    const QString package = dir.filePath(QStringLiteral("package.vqk"));
    QFile file(package);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();

    YesPrompt prompt;
    LibZipArchive archive;
    ThemesController themes(ProgramFolder(program), prompt, archive);
    themes.installPackage(package);

    // Only themes/ may have been written to.
    const QStringList entries = QDir(program).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    if (!entries.isEmpty() && entries != QStringList{QStringLiteral("themes")})
        std::abort();
    QDir(program + QStringLiteral("/themes")).removeRecursively();
    return 0;
}
