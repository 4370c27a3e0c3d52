#pragma once

#include "platform/ProgramFolder.h"

#include <QList>
#include <QString>
#include <QStringList>

// One mark of the shell extension: a path and its badge number as text.
struct BadgeRecord {
    QString path;
    QString badge;
    bool valid = true; // the display rule, fixed when the record was listed
};

// The badge records in section "Files" of base.ini. The program only reads
// and deletes them: it never creates the file, adds a record or changes a
// badge. Each operation opens the file, does its work and releases it, since
// the shell extension may change it at any moment.
class BadgeRecordStore final
{
public:
    explicit BadgeRecordStore(ProgramFolder folder);

    QString fileName() const;
    // The active icon of a badge: icons/<badge>.ico.
    QString iconFile(const QString &badge) const;

    // Every record in file order; recordPaths receives the key names. A key
    // that vanished between the listing and its reading gets the badge "0".
    QList<BadgeRecord> load(QStringList &recordPaths) const;

    // Deletes the records of paths in one rewrite of the file as it is now:
    // records added meanwhile survive; a path already gone is no error.
    // Returns false when the deletion could not be made (the window does not
    // say so: the reload shows the records again).
    bool deleteRecords(const QStringList &paths) const;
    // Deletes every record that does not survive the clean-up rule, examining
    // the file as it is now (records added since the last load included).
    bool removeInvalid(QStringList &recordPaths) const;

    // Shown as valid: three characters or fewer, or an existing file or folder.
    static bool IsRecordPathValid(const QString &path);
    // Kept by the clean-up: an existing file or folder, or exactly three
    // characters (a drive root such as C:\).
    static bool survivesCleanUp(const QString &path);

private:
    ProgramFolder m_folder;
};
