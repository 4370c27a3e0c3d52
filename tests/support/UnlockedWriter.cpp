#include "UnlockedWriter.h"

#include "library/BadgeRecordStore.h"
#include "platform/TntIniFile.h"

#include <QFile>
#include <QProcess>
#include <QSet>

UnlockedWriterOutcome runUnlockedWriter(const QString &folder, const QString &childProgram,
                                        const UnlockedWriterRun &run)
{
    const BadgeRecordStore store{ProgramFolder(folder)};
    QByteArray text = "[Files]\r\n";
    QStringList original;
    for (int i = 0; i < run.records; ++i) {
        original << QStringLiteral("/gone/record %1").arg(i);
        text += original.last().toUtf8() + "=2\r\n";
    }
    {
        QFile file(store.fileName());
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            qFatal("cannot write %s", qPrintable(store.fileName()));
    }

    UnlockedWriterOutcome outcome;
    QProcess writer;
    const QString prefix = QStringLiteral("/added/record ");
    writer.start(childProgram, {QStringLiteral("append"), store.fileName(), prefix, QString::number(run.appended),
                                QString::number(run.pauseMs)});
    writer.waitForStarted();
    qsizetype next = 0;
    while (writer.state() != QProcess::NotRunning && next < original.size()) {
        store.deleteRecords(original.mid(next, run.batch));
        next += run.batch;
        ++outcome.deletions;
        writer.waitForFinished(0);
    }
    writer.waitForFinished(-1);
    outcome.writerExit = writer.exitCode();
    outcome.appended = run.appended;

    QStringList keys;
    TTntIniFile(store.fileName()).ReadSection(QStringLiteral("Files"), keys);
    const QSet<QString> present(keys.cbegin(), keys.cend());
    for (int i = 0; i < run.appended; ++i)
        outcome.lost += present.contains(prefix + QString::number(i)) ? 0 : 1;
    for (qsizetype i = 0; i < std::min(next, original.size()); ++i)
        outcome.revived += present.contains(original[i]) ? 1 : 0;
    return outcome;
}
