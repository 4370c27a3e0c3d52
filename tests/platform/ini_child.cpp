// A second process for the durability tests, using the program's own INI code.
//
//   ini_child rewrite <file> <key>       deletes and re-adds <key> in [Files], forever
//   ini_child add <file> <folder> <n>    adds <folder>/record <i> = 1 for i < n, one write each
//   ini_child append <file> <prefix> <n> <ms>
//                                        appends "<prefix><i>=1" lines without any lock, one every
//                                        <ms> milliseconds, as a writer that ignores the lock does
//   ini_child delete <file> <key>        deletes <key> from [Files]; exits 3 when that could not be made

#include "platform/ini/TntIniFile.h"

#include <QString>

#include <QThread>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

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
    if (mode == u"delete" && argc == 4) {
        TTntIniFile ini(QString::fromLocal8Bit(argv[2]));
        ini.DeleteKey(QStringLiteral("Files"), QString::fromLocal8Bit(argv[3]));
        return ini.UpdateFile() ? 0 : 3;
    }
    if (mode == u"append" && argc == 6) {
        const QByteArray file = argv[2];
        const int count = std::atoi(argv[4]);
        const int pause = std::atoi(argv[5]);
        for (int i = 0; i < count; ++i) {
            const QByteArray line = argv[3] + QByteArray::number(i) + "=1\n";
            const int fd = ::open(file.constData(), O_WRONLY | O_APPEND);
            if (fd < 0 || ::write(fd, line.constData(), size_t(line.size())) != line.size())
                return 1;
            ::close(fd);
            QThread::msleep(pause);
        }
        return 0;
    }
    std::fprintf(stderr, "usage: ini_child rewrite <file> <key> | add <file> <folder> <count>"
                         " | append <file> <prefix> <count> <ms> | delete <file> <key>\n");
    return 2;
}
