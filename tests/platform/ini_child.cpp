// A second process for the durability tests, using the program's own INI code.
//
//   ini_child rewrite <file> <key>       deletes and re-adds <key> in [Files], forever
//   ini_child add <file> <folder> <n>    adds <folder>/record <i> = 1 for i < n, one write each

#include "platform/TntIniFile.h"

#include <QString>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (mode == u"rewrite" && argc == 4) {
        const QString file = QString::fromLocal8Bit(argv[2]);
        const QString key = QString::fromLocal8Bit(argv[3]);
        for (;;) {
            {
                TTntIniFile ini(file);
                ini.DeleteKey(QStringLiteral("Files"), key);
            }
            TTntIniFile(file).WriteString(QStringLiteral("Files"), key, QStringLiteral("1"));
        }
    }
    if (mode == u"add" && argc == 5) {
        const QString file = QString::fromLocal8Bit(argv[2]);
        const QString folder = QString::fromLocal8Bit(argv[3]);
        const int count = std::atoi(argv[4]);
        for (int i = 0; i < count; ++i)
            TTntIniFile(file).WriteString(QStringLiteral("Files"), folder + QStringLiteral("/record %1").arg(i),
                                          QStringLiteral("1"));
        return 0;
    }
    std::fprintf(stderr, "usage: ini_child rewrite <file> <key> | add <file> <folder> <count>\n");
    return 2;
}
