#include "UnlockedWriter.h"

#include "library/BadgeRecordStore.h"
#include "platform/ini/TntIniFile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSet>

UnlockedWriterOutcome runUnlockedWriter(const QString &folder, const QString &writerProgram,
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
    writer.start(writerProgram, {run.mode, store.fileName(), prefix, QString::number(run.appended),
                                 QString::number(run.pauseMs), QString::number(run.longestHoldMs)});
    // Deletions begin once the writer runs (a held writer: has the file open).
    if (!writer.waitForReadyRead(30000))
        qFatal("store_writer did not start: %s", qPrintable(writer.errorString()));
    QSet<QString> deleted;
    qsizetype next = 0;
    while (writer.state() != QProcess::NotRunning && next < original.size()) {
        QElapsedTimer timer;
        timer.start();
        const bool made = store.deleteRecords({original[next]});
        outcome.longestDeletionMs = std::max(outcome.longestDeletionMs, timer.elapsed());
        if (made) {
            deleted.insert(original[next]);
            ++outcome.deletionsMade;
        } else {
            ++outcome.deletionsRefused;
        }
        ++next;
        writer.waitForFinished(0);
    }
    writer.waitForFinished(-1);
    outcome.writerExit = writer.exitStatus() == QProcess::NormalExit ? writer.exitCode() : -1;
    outcome.appended = run.appended;

    QStringList keys;
    TTntIniFile(store.fileName()).ReadSection(QStringLiteral("Files"), keys);
    const QSet<QString> present(keys.cbegin(), keys.cend());
    for (int i = 0; i < run.appended; ++i)
        outcome.writerLost += present.contains(prefix + QString::number(i)) ? 0 : 1;
    for (qsizetype i = 0; i < original.size(); ++i) {
        // A record whose deletion was refused is as untouched as one never asked for.
        if (deleted.contains(original[i]))
            outcome.revived += present.contains(original[i]) ? 1 : 0;
        else
            outcome.untouchedLost += present.contains(original[i]) ? 0 : 1;
    }
    return outcome;
}
