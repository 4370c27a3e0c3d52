#include "UserProgramFolder.h"

#include "platform/FileStamp.h"
#include "platform/ini/FolderLock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// What the user's folder received from the shared one: the shared files'
// stamp at the last look, and the hash of each file as it was copied.
const QString kShippedList = QStringLiteral(".shipped");

// First starts of the manager, the keeper and the badge command may meet
// at a login; the one that prepares the folder lets the others wait this
// long for it.
constexpr int kPrepareWaitMs = 10000;

struct ShippedFile {
    QString relative;
    QFileInfo info;
};

std::vector<ShippedFile> shippedFiles(const QString &shared)
{
    std::vector<ShippedFile> files;
    // Folders too: an empty one (the toolbar's "Default" set) means something.
    QDirIterator it(shared, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::NoSymLinks,
                    QDirIterator::Subdirectories);
    const QDir root(shared);
    while (it.hasNext()) {
        it.next();
        QString relative = root.relativeFilePath(it.filePath());
        if (relative == UserProgramFolder::kMarker || relative.contains(u'\n'))
            continue;
        files.push_back({std::move(relative), it.fileInfo()});
    }
    std::sort(files.begin(), files.end(),
              [](const ShippedFile &a, const ShippedFile &b) { return a.relative < b.relative; });
    return files;
}

// Changes whenever a package brings other files: their names, sizes, times
// and inodes (dpkg puts each new file in place by a rename), and the folder
// they come from.
QByteArray stampOf(const QString &shared, const std::vector<ShippedFile> &files)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(shared.toUtf8());
    for (const ShippedFile &file : files) {
        hash.addData(file.relative.toUtf8());
        const FileStamp stamp = FileStamp::of(file.info.filePath());
        hash.addData(QByteArray::number(stamp.size) + ' ' + QByteArray::number(stamp.modifiedNs) + ' '
                     + QByteArray::number(stamp.changedNs) + ' ' + QByteArray::number(stamp.fileId));
    }
    return hash.result().toHex();
}

QByteArray contentHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(&file);
    return hash.result().toHex();
}

// Programs and libraries are linked, not copied: an executable, or a
// library (the extension's, which need not be executable) by its ELF mark.
bool isProgram(const QFileInfo &info)
{
    if (info.permissions().testFlag(QFileDevice::ExeOwner))
        return true;
    QFile file(info.filePath());
    static const QByteArray elfMark = QByteArrayLiteral("\177ELF");
    return file.open(QIODevice::ReadOnly) && file.read(4) == elfMark;
}

struct ShippedList {
    QByteArray stamp;
    QHash<QString, QByteArray> hashes;
};

ShippedList readList(const QString &user)
{
    ShippedList list;
    QFile file(user + u'/' + kShippedList);
    if (!file.open(QIODevice::ReadOnly))
        return list;
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        if (line.endsWith('\n'))
            line.chop(1);
        const qsizetype space = line.indexOf(' ');
        if (space <= 0)
            continue;
        if (line.startsWith("stamp "))
            list.stamp = line.sliced(space + 1);
        else if (!line.startsWith('#'))
            list.hashes.insert(QString::fromUtf8(line.sliced(space + 1)), line.first(space));
    }
    return list;
}

bool writeList(const QString &user, const ShippedList &list)
{
    QSaveFile file(user + u'/' + kShippedList);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray text = "# The files this folder received from the installed program, by their hash then.\n";
    text += "stamp " + list.stamp + '\n';
    QStringList names = list.hashes.keys();
    names.sort();
    for (const QString &name : names)
        text += list.hashes.value(name) + ' ' + name.toUtf8() + '\n';
    file.write(text);
    return file.commit();
}

// Puts `make`'s result at `target` in one step, so a program starting
// meanwhile finds the old file or the new one, never half of one.
bool replaceWith(const QString &target, const std::function<bool(const QString &)> &make)
{
    const QString temporary = target + QStringLiteral(".new");
    QFile::remove(temporary);
    if (!QDir().mkpath(QFileInfo(target).path()) || !make(temporary))
        return false;
    if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(target).constData()) != 0) {
        QFile::remove(temporary);
        return false;
    }
    return true;
}

// A link to the shared program, so every user runs the installed one. A
// file of the user's own in its place stays.
bool linkProgram(const QString &from, const QString &to)
{
    const QFileInfo present(to);
    if (present.isSymLink() && present.symLinkTarget() == from)
        return true;
    if (present.exists() && !present.isSymLink())
        return true;
    return replaceWith(to, [&](const QString &temporary) { return QFile::link(from, temporary); });
}

// Stands for a folder in the list of what was shipped.
const QByteArray kFolder = QByteArrayLiteral("folder");

// A folder the user has not deleted since it was shipped.
bool bringFolder(const QString &to, const QByteArray &shippedBefore, QByteArray *recorded)
{
    if (!shippedBefore.isEmpty() && !QFileInfo::exists(to))
        return true; // the user deleted it
    *recorded = kFolder;
    return QDir().mkpath(to);
}

// A data file, as a package's configuration file: see the header.
bool bringData(const QString &from, const QString &to, const QByteArray &shippedBefore, QByteArray *recorded)
{
    const QByteArray shipped = contentHash(from);
    if (shipped.isEmpty())
        return false;
    const QFileInfo present(to);
    if (!present.exists() && !present.isSymLink()) {
        if (!shippedBefore.isEmpty())
            return true; // the user deleted it
        if (!replaceWith(to, [&](const QString &temporary) { return QFile::copy(from, temporary); }))
            return false;
        *recorded = shipped;
        return true;
    }
    const QByteArray own = present.isSymLink() ? QByteArray() : contentHash(to);
    if (own == shipped) {
        *recorded = shipped;
        return true;
    }
    if (shippedBefore.isEmpty() || own != shippedBefore)
        return true; // the user's own version
    if (!replaceWith(to, [&](const QString &temporary) { return QFile::copy(from, temporary); }))
        return false;
    *recorded = shipped;
    return true;
}

} // namespace

namespace UserProgramFolder {

bool isShared(const QString &folder)
{
    return QFileInfo(folder + u'/' + kMarker.toString()).isFile();
}

QString location()
{
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty() || !QDir::isAbsolutePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(data + QStringLiteral("/emblix-manager/program"));
}

bool prepare(const QString &shared, const QString &user, QString *problem)
{
    const auto fail = [&](const QString &reason) {
        if (problem)
            *problem = reason;
        return false;
    };
    const bool existed = QFileInfo::exists(user);
    if (!QDir().mkpath(user))
        return fail(QStringLiteral("cannot make the folder %1").arg(QDir::toNativeSeparators(user)));
    // The records name the user's files: theirs alone to read.
    if (!existed)
        QFile::setPermissions(user, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const std::vector<ShippedFile> files = shippedFiles(shared);
    const QByteArray stamp = stampOf(shared, files);
    if (readList(user).stamp == stamp)
        return true;
    const FolderLock lock(user, kPrepareWaitMs);
    ShippedList list = readList(user);
    if (list.stamp == stamp)
        return true; // another start prepared it while this one waited
    ShippedList next{stamp, {}};
    QStringList failed;
    for (const ShippedFile &file : files) {
        const QString from = file.info.filePath();
        const QString to = user + u'/' + file.relative;
        QByteArray recorded = list.hashes.value(file.relative);
        const bool program = !file.info.isDir() && isProgram(file.info);
        const bool made = file.info.isDir() ? bringFolder(to, recorded, &recorded)
                          : program         ? linkProgram(from, to)
                                            : bringData(from, to, recorded, &recorded);
        if (!made)
            failed << file.relative;
        if (!program && !recorded.isEmpty())
            next.hashes.insert(file.relative, recorded);
    }
    // Tried again at the next start while a file is missing.
    if (!failed.isEmpty())
        next.stamp.clear();
    if (!writeList(user, next))
        failed << kShippedList;
    if (!failed.isEmpty())
        return fail(QStringLiteral("cannot bring %1 into %2")
                        .arg(failed.join(QStringLiteral(", ")), QDir::toNativeSeparators(user)));
    return true;
}

} // namespace UserProgramFolder
