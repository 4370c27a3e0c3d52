#include "MainWindow.h"
#include "QtPrompt.h"
#include "i18n/LanguageSupport.h"

#include <QApplication>

int main(int argc, char *argv[])
{
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
