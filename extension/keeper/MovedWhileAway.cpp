#include "MovedWhileAway.h"

#include "UserFiles.h"
#include "UserFolders.h"
#include "platform/AppError.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <deque>

namespace {

using Key = std::pair<quint64, quint64>; // device, inode

QString parentOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : path.first(slash);
}

bool statOf(const QString &path, struct stat &status)
{
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0;
}

} // namespace

namespace MovedWhileAway {

QString fileName()
{
    return UserFolders::markIdentities();
}

void save(const MoveWatch &watch)
{
    // Lines "<device> <inode> <d|f>\t<path>".
    const QString name = fileName();
    if (!UserFiles::makeFolder(QFileInfo(name).path()))
        throw AppError::unableToWrite(name, qt_error_string(errno));
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly) || !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        throw AppError::unableToWrite(name, file.errorString());
    QByteArray text;
    watch.forEachIdentity([&](const QString &path, const MoveWatch::Identity &identity) {
        text += QByteArray::number(identity.device) + ' ' + QByteArray::number(identity.inode) + ' '
                + (identity.folder ? 'd' : 'f') + '\t' + QFile::encodeName(path) + '\n';
        if (text.size() >= 65536)
            file.write(std::exchange(text, {}));
    });
    file.write(text);
    if (!file.commit())
        throw AppError::unableToWrite(name, file.errorString());
}

Identities load(const std::function<bool(const QString &path)> &wanted)
{
    QFile file(fileName());
    Identities result;
    if (!file.open(QIODevice::ReadOnly))
        return result;
    // A line at a time: the file names every marked path.
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        if (line.endsWith('\n'))
            line.chop(1);
        const qsizetype tab = line.indexOf('\t');
        const QList<QByteArray> fields = tab > 0 ? line.first(tab).split(' ') : QList<QByteArray>();
        bool deviceOk = false;
        bool inodeOk = false;
        if (fields.size() != 3)
            continue;
        const MoveWatch::Identity identity{fields[0].toULongLong(&deviceOk), fields[1].toULongLong(&inodeOk),
                                           fields[2] == "d"};
        const QString path = QFile::decodeName(line.sliced(tab + 1));
        if (deviceOk && inodeOk && wanted(path))
            result.insert(path, identity);
    }
    return result;
}

MoveWatch::Moves find(const Identities &missing, qsizetype mostEntries)
{
    QHash<Key, QString> wanted;
    QSet<QString> roots;
    for (auto it = missing.cbegin(); it != missing.cend(); ++it) {
        wanted.insert({it->device, it->inode}, it.key());
        // The nearest folder above that is still there, on the same device.
        QString folder = parentOf(it.key());
        struct stat status {};
        while (folder != u"/" && !(statOf(folder, status) && S_ISDIR(status.st_mode)))
            folder = parentOf(folder);
        roots.insert(folder);
    }
    MoveWatch::Moves moves;
    QSet<QString> searched;
    QStringList ordered(roots.cbegin(), roots.cend());
    std::sort(ordered.begin(), ordered.end());
    for (const QString &root : std::as_const(ordered)) {
        if (wanted.isEmpty() || mostEntries <= 0)
            break;
        struct stat rootStatus {};
        if (!statOf(root, rootStatus))
            continue;
        std::deque<QString> folders{root};
        while (!folders.empty() && !wanted.isEmpty() && mostEntries > 0) {
            const QString folder = folders.front();
            folders.pop_front();
            // A folder already gone through (a root below another) is not
            // read twice.
            if (searched.contains(folder) || MoveWatch::isInTrash(folder + u'/'))
                continue;
            searched.insert(folder);
            DIR *listing = ::opendir(QFile::encodeName(folder).constData());
            if (!listing)
                continue;
            while (const struct dirent *entry = ::readdir(listing)) {
                if (qstrcmp(entry->d_name, ".") == 0 || qstrcmp(entry->d_name, "..") == 0)
                    continue;
                if (--mostEntries <= 0)
                    break;
                const QString path =
                    (folder == u"/" ? folder : folder + u'/') + QFile::decodeName(QByteArray(entry->d_name));
                const auto found = wanted.constFind({quint64(rootStatus.st_dev), quint64(entry->d_ino)});
                const bool maybeFolder = entry->d_type == DT_DIR || entry->d_type == DT_UNKNOWN;
                if (found == wanted.cend() && !maybeFolder)
                    continue;
                struct stat status {};
                if (!statOf(path, status) || status.st_dev != rootStatus.st_dev)
                    continue; // another file system mounted here
                if (found != wanted.cend() && status.st_ino == entry->d_ino
                    && S_ISDIR(status.st_mode) == missing.value(*found).folder) {
                    moves.append({*found, path});
                    wanted.erase(found);
                }
                if (S_ISDIR(status.st_mode))
                    folders.push_back(path);
            }
            ::closedir(listing);
        }
    }
    return moves;
}

} // namespace MovedWhileAway
