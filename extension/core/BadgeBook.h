#pragma once

#include "platform/ProgramFolder.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

// The badge records of base.ini as the extension writes them: section
// "Files", the full path as key, the badge number as value. Paths are
// matched in their exact spelling, as the file system tells letter case
// apart. Every call opens the file anew: the manager deletes records at any
// moment.
class BadgeBook final
{
public:
    static constexpr int kFirstBadge = 1;
    static constexpr int kLastBadge = 10;

    explicit BadgeBook(ProgramFolder folder);

    QString fileName() const;
    const ProgramFolder &folder() const { return m_folder; }

    // Every record: path -> badge text, as the manager would list them.
    QHash<QString, QString> records() const;
    // The badge text of path, or an empty text when it has no record.
    QString badgeOf(const QString &path) const;

    // Records badge for every path in one rewrite under the folder lock.
    // Raises AppError "Unable to write to <file>" when it cannot be written;
    // then no record was changed.
    void setBadge(const QStringList &paths, int badge) const;
    // Deletes the records of paths in one rewrite; raises AppError as
    // setBadge does.
    void clearBadge(const QStringList &paths) const;

    // Moves the records of each moved path, and of everything below it, to
    // the new path, in place and in one rewrite: (old, new) pairs in the
    // order the moves were made. A record already at a new path goes, as its
    // file was replaced. Raises AppError as setBadge does.
    void moveRecords(const QList<std::pair<QString, QString>> &moves) const;

    // The badge number a record's text stands for, or 0 when it stands for
    // none of the ten (the manager shows any text; only these have emblems).
    static int badgeNumber(const QString &text);

private:
    ProgramFolder m_folder;
};
