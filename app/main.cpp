#include "MainWindow.h"
#include "QtPrompt.h"
#include "i18n/LanguageSupport.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    // Answered without a display, as every Unix command answers them.
    if (argc == 2 && qstrcmp(argv[1], "--help") == 0) {
        std::fputs("Usage: emblix-manager [PACKAGE.vqk...]\n"
                   "Manages the badges of files and folders; installs each theme package given.\n"
                   "--help shows this text, --version the version.\n",
                   stdout);
        return 0;
    }
    if (argc == 2 && qstrcmp(argv[1], "--version") == 0) {
        std::puts("emblix-manager " EMBLIX_VERSION);
        return 0;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(kApplicationTitle);

    const ProgramFolder folder = ProgramFolder::ofExecutable();
    LanguageSupport::TranslatorScope translation(folder);

    QtPrompt prompt;
    int result = 0;
    {
        TForm1 form(folder, prompt, QApplication::arguments().mid(1));
        prompt.setOwner(&form);
        form.present();
        result = QApplication::exec();
        prompt.setOwner(nullptr);
    }
    return result;
}
