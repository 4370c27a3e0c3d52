#pragma once

#include <QString>

// A store of `records` records while the store_writer program adds
// `appended` records to it without any lock, in one of its modes, and this
// process deletes the store's own records one at a time, each deletion one
// rewrite, for as long as the writer runs.
struct UnlockedWriterRun {
    QString mode = QStringLiteral("append"); // append, slow, held or rewrite
    int records = 1000;
    int appended = 150;
    int pauseMs = 1;
    int longestHoldMs = 20; // slow mode
};

struct UnlockedWriterOutcome {
    int appended = 0;         // records the writer wrote
    int writerLost = 0;       // of those, missing at the end
    int untouchedLost = 0;    // records not deleted, missing at the end
    int deletionsMade = 0;    // deletions reported made
    int deletionsRefused = 0; // deletions reported as not made
    int revived = 0;          // records whose deletion was made, present at the end
    qint64 longestDeletionMs = 0;
    int writerExit = -1;
};

// Runs in folder (a program folder); writerProgram is the store_writer tool.
UnlockedWriterOutcome runUnlockedWriter(const QString &folder, const QString &writerProgram,
                                        const UnlockedWriterRun &run);
