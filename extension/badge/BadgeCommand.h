#pragma once

#include "platform/ProgramFolder.h"

#include <QString>
#include <QStringList>

class Translator;

// The badge command's work on paths already made absolute: records in
// base.ini first (one rewrite for all paths), then the emblems the file
// managers draw, then the ledger of emblems set.
class BadgeCommand final
{
public:
    struct Outcome {
        QStringList messages; // one per problem, for the user
        QStringList lines;    // output of show
        bool ok = true;
    };

    BadgeCommand(ProgramFolder folder, Translator &translator);

    // badge 1 to 10 gives the badge, 0 takes it off.
    Outcome mark(const QStringList &paths, int badge);
    Outcome show(const QStringList &paths);
    // Every emblem the extension set or should have set made equal to the records.
    Outcome sync();

    // The badge the paths share: 1 to 10, 0 for none, -1 when they differ.
    int sharedBadge(const QStringList &paths) const;

private:
    // The paths that can be recorded; a message for each other one.
    QStringList storable(const QStringList &paths, bool mustExist, Outcome &outcome);

    ProgramFolder m_folder;
    Translator &m_translator;
};
