#pragma once

#include "ThemeArchive.h"
#include "platform/ProgramFolder.h"

#include <QByteArray>
#include <QList>
#include <QString>

// A theme package read and checked, nothing of it installed yet.
struct ThemePackage {
    QString name;            // THEME_NAME of its plist.ini, unchanged
    QList<QByteArray> icons; // 1.ico ... 10.ico, as stored
    QByteArray plist;
};

// Reads a .vqk package through the archive layer and checks it before the
// user is asked anything: the eleven entries are there, each can be read
// within the size cap, the theme name can name a folder. No path inside the
// archive decides where a file goes. The only file it writes is the
// working copy of plist.ini the name is read from (~temp.ini), removed again.
class ThemePackageReader final
{
public:
    enum class Verdict {
        NotAPackage, // missing, not an archive, or empty: nothing to say
        Corrupted,   // an archive, but not a theme that can be installed
        Ready,
    };
    struct Reading {
        Verdict verdict = Verdict::NotAPackage;
        ThemePackage package; // when Ready
    };

    // The largest entry read from a package.
    static constexpr qint64 kMaxEntryBytes = 8 * 1024 * 1024;

    ThemePackageReader(ProgramFolder folder, ThemeArchive &archive);

    // Throws AppError (cannotCreate) when the working copy cannot be written.
    Reading read(const QString &path) const;

private:
    QString themeNameOf(const QByteArray &plist) const;

    ProgramFolder m_folder;
    ThemeArchive &m_archive;
};
