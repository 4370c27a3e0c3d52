// emblix-keeper: the per-user background process that keeps the files'
// badge emblems equal to the records of its program folder's base.ini.
// One runs at a time; a second one ends at once.
#include "EmblemKeeper.h"
#include "KeeperLock.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const ProgramFolder folder = ProgramFolder::ofExecutable();
    KeeperLock lock;
    if (!lock.acquire(folder.root()))
        return 0;
    EmblemKeeper keeper(folder);
    keeper.start();
    return app.exec();
}
