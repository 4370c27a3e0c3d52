#pragma once

#include <QString>

// A store of `records` records while another process appends `appended`
// records to it without any lock, one every `pauseMs`, and this process
// deletes the original records in batches, each deletion one rewrite.
struct UnlockedWriterRun {
    int records = 5000;
    int appended = 500;
    int pauseMs = 1;
    int batch = 25;
};

struct UnlockedWriterOutcome {
    int appended = 0;  // records the other process wrote
    int lost = 0;      // of those, missing at the end
    int revived = 0;   // deleted records present at the end
    int deletions = 0; // rewrites made while the other process ran
    int writerExit = -1;
};

// Runs in folder (a program folder); childProgram is the ini_child tool.
UnlockedWriterOutcome runUnlockedWriter(const QString &folder, const QString &childProgram,
                                        const UnlockedWriterRun &run);
