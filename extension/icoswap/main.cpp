// icoswap.exe: started by the manager after every theme change, without
// arguments. Turns the active badge icons into the emblem images the file
// managers draw, when the extension's menu is registered; otherwise it
// writes nothing outside the program folder.
#include "EmblemImages.h"
#include "HandlerKeys.h"
#include "platform/AppError.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const ProgramFolder folder = ProgramFolder::ofExecutable();
    if (!HandlerKeys::exists(folder, HandlerKeys::kFileMenu))
        return 0;
    try {
        EmblemImages::write(folder);
        EmblemImages::announceChange();
    } catch (const AppError &error) {
        std::fprintf(stderr, "icoswap: %s\n", error.what());
        return 1;
    }
    return 0;
}
