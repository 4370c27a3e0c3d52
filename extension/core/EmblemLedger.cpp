#include "EmblemLedger.h"

#include "BadgePath.h"
#include "KeeperLock.h"
#include "PathPool.h"
#include "UserFiles.h"
#include "UserFolders.h"
#include "platform/AppError.h"
#include "platform/ini/IniSectionStream.h"
#include "platform/ini/TntIniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kSection = QStringLiteral("Emblems");

// The journal is folded in once it is this large and half the INI file's
// size: rare enough that folding costs little over many changes, soon
// enough that reading the journal at a start stays quick.
constexpr qint64 kFoldFromBytes = 64 * 1024;

// An open journal, locked: shared by the appenders (each line goes in one
// write at the end), exclusive for folding it into the INI file, so no line
// is appended between the fold's read and its truncation.
class LockedJournal final
{
public:
    LockedJournal(const QString &name, int flags, int operation)
    {
        m_fd = ::open(QFile::encodeName(name).constData(), flags | O_CLOEXEC, 0600);
        if (m_fd < 0)
            return;
        while (::flock(m_fd, operation) != 0) {
            if (errno != EINTR) {
                ::close(m_fd);
                m_fd = -1;
                return;
            }
        }
    }
    ~LockedJournal()
    {
        if (m_fd >= 0)
            ::close(m_fd); // releases the lock
    }
    LockedJournal(const LockedJournal &) = delete;
    LockedJournal &operator=(const LockedJournal &) = delete;

    int fd() const { return m_fd; }

    qint64 size() const
    {
        struct stat status {};
        return ::fstat(m_fd, &status) == 0 ? qint64(status.st_size) : 0;
    }

    // Calls visit(lines, offset) over the journal from byte `from` on, a
    // piece of whole lines at a time, so a journal of millions of notes is
    // never held at once. A last line without its break (cut short by a
    // crash, or still being written) is left for later. Returns the bytes
    // visited.
    template <typename Visit>
    qint64 forEachPiece(qint64 from, const Visit &visit) const
    {
        QByteArray pending;
        char buffer[65536];
        qint64 at = from; // where pending starts
        ::lseek(m_fd, off_t(from), SEEK_SET);
        for (;;) {
            const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return at - from;
            pending.append(buffer, got);
            const qsizetype whole = pending.lastIndexOf('\n') + 1;
            if (whole == 0)
                continue;
            visit(QByteArrayView(pending).first(whole), at);
            at += whole;
            pending.remove(0, whole);
        }
    }

private:
    int m_fd = -1;
};

// Lines "<badge>\t<path>": 0 for an emblem taken off. A line cut short by a
// crash has no line break and is left out.
template <typename Visit>
void forEachNote(QByteArrayView journal, const Visit &visit)
{
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = journal.indexOf('\n', start);
        if (end < 0)
            return;
        const QByteArrayView line = journal.sliced(start, end - start);
        start = end + 1;
        const qsizetype tab = line.indexOf('\t');
        bool ok = false;
        const int badge = tab > 0 ? line.first(tab).toInt(&ok) : 0;
        if (ok)
            visit(QString::fromUtf8(line.sliced(tab + 1)), badge);
    }
}

QByteArray lines(const QList<std::pair<QString, int>> &set, const QStringList &cleared)
{
    QByteArray text;
    for (const QString &path : cleared)
        text += "0\t" + path.toUtf8() + '\n';
    for (const auto &[path, badge] : set)
        text += QByteArray::number(badge) + '\t' + path.toUtf8() + '\n';
    return text;
}

} // namespace

EmblemLedger::EmblemLedger() : EmblemLedger(UserFolders::stateFolder() + QStringLiteral("/emblems.ini")) {}

EmblemLedger::EmblemLedger(QString fileName) : m_fileName(std::move(fileName)) {}

bool EmblemLedger::exists() const
{
    return QFileInfo::exists(m_fileName) || QFileInfo::exists(journalName());
}

QHash<QString, int> EmblemLedger::read() const
{
    QHash<QString, int> entries;
    read([&](QStringView path, int badge, bool noted) {
        if (!noted) {
            if (!entries.contains(path.toString()))
                entries.insert(path.toString(), badge);
        } else if (badge == 0)
            entries.remove(path.toString());
        else
            entries.insert(path.toString(), badge);
    });
    return entries;
}

void EmblemLedger::read(const std::function<void(QStringView path, int badge, bool noted)> &visit) const
{
    // The journal's lock keeps a fold from changing both files midway.
    const LockedJournal journal(journalName(), O_RDONLY, LOCK_SH);
    IniSectionStream::read(
        m_fileName, kSection,
        [&](QStringView path, QStringView value) {
            bool ok = false;
            const int badge = value.toInt(&ok);
            visit(path, ok ? badge : 0, false);
        },
        TTntIniFile::kMaxFileBytes);
    if (journal.fd() < 0)
        return;
    // A piece at a time: the journal may hold half as many notes as the INI
    // file has entries.
    journal.forEachPiece(0, [&](QByteArrayView piece, qint64) {
        forEachNote(piece, [&](const QString &path, int badge) { visit(path, badge, true); });
    });
}

void EmblemLedger::plan(const QList<std::pair<QString, int>> &set) const
{
    QList<std::pair<QString, int>> unsure;
    unsure.reserve(set.size());
    for (const auto &entry : set)
        unsure.append({entry.first, kUnsure});
    note(unsure, {});
}

void EmblemLedger::note(const QList<std::pair<QString, int>> &set, const QStringList &cleared) const
{
    if (set.isEmpty() && cleared.isEmpty())
        return;
    append(lines(set, cleared));
}

void EmblemLedger::append(const QByteArray &text) const
{
    // It lists every badged path: the user's alone, whatever the umask.
    if (!UserFiles::makeFolder(QFileInfo(m_fileName).path()))
        throw AppError::unableToWrite(m_fileName, qt_error_string(errno));
    qint64 size = 0;
    {
        const LockedJournal journal(journalName(), O_WRONLY | O_APPEND | O_CREAT, LOCK_SH);
        if (journal.fd() < 0)
            throw AppError::unableToWrite(journalName(), qt_error_string(errno));
        for (qsizetype written = 0; written < text.size();) {
            const ssize_t done = ::write(journal.fd(), text.constData() + written, size_t(text.size() - written));
            if (done < 0 && errno == EINTR)
                continue;
            if (done <= 0)
                throw AppError::unableToWrite(journalName(), qt_error_string(errno));
            written += done;
            // O_APPEND leaves the offset at the end of what this write put.
            const off_t end = ::lseek(journal.fd(), 0, SEEK_CUR);
            if (end >= done && m_readUpTo >= 0)
                m_ownRanges.append({qint64(end) - done, qint64(end)});
        }
        struct stat status {};
        if (::fstat(journal.fd(), &status) == 0)
            size = status.st_size;
    }
    const qint64 foldFrom = std::max(kFoldFromBytes, QFileInfo(m_fileName).size() / 2);
    if (size < foldFrom)
        return;
    // A running keeper reads the journal for what others noted since it
    // last looked. A fold by another process empties the journal under it:
    // the keeper then looks at every emblem the ledger names, yet a badge
    // command's emblem whose note the fold buried under the keeper's later
    // note of taking it off is named no more, and stays without a record.
    // So the keeper folds the journal itself; a writer beside it folds only
    // one four times as large (a keeper that no longer writes).
    if (m_readUpTo < 0 && size < 4 * foldFrom && KeeperLock::holder())
        return;
    foldJournal();
}

void EmblemLedger::foldJournal() const
{
    const LockedJournal journal(journalName(), O_RDWR, LOCK_EX);
    if (journal.fd() < 0)
        return;
    if (journal.size() == 0)
        return; // folded by another writer meanwhile
    // Folded by another process since this object last looked: what others
    // noted since is not known, and the next look says so.
    if (m_readUpTo >= 0 && (!(FileStamp::of(m_fileName) == m_iniStamp) || journal.size() < m_readUpTo))
        m_othersFolded = true;
    // The journal's last word on each path, kept compactly: a ledger of a
    // million emblems folds a journal of half a million notes. What others
    // noted since this object last looked is kept for its next look.
    PathPool paths;
    std::vector<qint8> noted;
    QSet<QString> othersNoted;
    journal.forEachPiece(0, [&](QByteArrayView piece, qint64 offset) {
        forEachNote(piece, [&](const QString &path, int badge) {
            // A path no file can have shows no emblem: its notes go.
            if (!BadgePath::namesAFile(path))
                return;
            PathPool::Id id = paths.find(path);
            if (id == PathPool::kNoId)
                id = paths.hold(path);
            if (id >= noted.size())
                noted.resize(id + 1, 0);
            noted[id] = qint8(std::clamp(badge, int(kUnsure), 127));
        });
        if (m_readUpTo >= 0)
            collectOthersLines(piece, offset, othersNoted);
    });
    // Written anew a line at a time, under the journal's lock: only this
    // file's writers change it, and they all take that lock. A name the INI
    // file cannot hold as a key stays in the journal.
    const auto storable = [](const QString &path) {
        return !path.isEmpty() && !path.contains(u'=') && !path.contains(u'\n') && !path.contains(u'\r')
               && path.trimmed() == path && !path.startsWith(u'[') && !path.startsWith(u';');
    };
    QByteArray kept;
    QByteArray lines = "[" + kSection.toUtf8() + "]\n";
    QSaveFile folded(m_fileName);
    bool written =
        folded.open(QIODevice::WriteOnly) && folded.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const auto add = [&](const QString &path, int badge) {
        if (!storable(path)) {
            kept += QByteArray::number(badge) + '\t' + path.toUtf8() + '\n';
            return;
        }
        lines += path.toUtf8() + '=' + QByteArray::number(badge) + '\n';
        if (lines.size() >= 65536)
            written = written && folded.write(std::exchange(lines, {})) >= 0;
    };
    std::vector<bool> taken(noted.size(), false);
    const bool readable = IniSectionStream::read(
        m_fileName, kSection,
        [&](QStringView key, QStringView value) {
            const QString path = key.toString();
            const PathPool::Id id = paths.find(path);
            if (id != PathPool::kNoId) {
                if (!taken[id] && noted[id] != 0)
                    add(path, noted[id]);
                taken[id] = true;
                return;
            }
            bool ok = false;
            const int badge = value.toInt(&ok);
            if (ok && badge != 0)
                add(path, badge);
        },
        TTntIniFile::kMaxFileBytes);
    if (!readable)
        return; // the journal stays: nothing is lost
    for (PathPool::Id id = 0; id < PathPool::Id(noted.size()); ++id) {
        if (!taken[id] && noted[id] != 0)
            add(paths.path(id), noted[id]);
    }
    if (!written || folded.write(lines) < 0 || !folded.commit())
        return; // the journal stays: nothing is lost
    // Once the INI file holds every line, the journal starts empty; a
    // crash before this only has the same lines replayed again.
    if (::ftruncate(journal.fd(), 0) != 0)
        return;
    if (!kept.isEmpty()) {
        (void)::lseek(journal.fd(), 0, SEEK_SET);
        (void)!::write(journal.fd(), kept.constData(), size_t(kept.size()));
    }
    if (m_readUpTo < 0)
        return;
    // Folded here: the next look reads the emptied journal from its start.
    m_pendingNoted.unite(othersNoted);
    m_ownRanges.clear();
    m_readUpTo = 0;
    m_iniStamp = FileStamp::of(m_fileName);
}

void EmblemLedger::collectOthersLines(QByteArrayView text, qint64 textStart, QSet<QString> &noted) const
{
    // This object's own lines (whole lines, one write each, in the order
    // written) are stepped over, so only what lies between them is read.
    const qint64 textEnd = textStart + text.size();
    qint64 at = std::clamp(m_readUpTo, textStart, textEnd);
    const auto readOthersUpTo = [&](qint64 to) {
        if (to > at)
            forEachNote(text.sliced(at - textStart, to - at), [&](const QString &path, int) { noted.insert(path); });
    };
    for (const auto &[start, end] : m_ownRanges) {
        if (end <= at || start >= textEnd)
            continue;
        readOthersUpTo(start);
        at = std::min(end, textEnd);
    }
    readOthersUpTo(textEnd);
}

void EmblemLedger::noteMoves(const QList<std::pair<QString, QString>> &moves) const
{
    QByteArray text;
    for (const auto &[from, to] : moves)
        text += lines({{to, kUnsure}}, {from});
    if (!text.isEmpty())
        append(text);
}

std::optional<QSet<QString>> EmblemLedger::notedByOthers()
{
    const LockedJournal journal(journalName(), O_RDONLY, LOCK_SH);
    const FileStamp iniStamp = FileStamp::of(m_fileName);
    const qint64 size = journal.fd() >= 0 ? journal.size() : 0;
    const bool first = m_readUpTo < 0;
    // Another process's fold replaces the INI file and empties the journal.
    const bool folded =
        !first && (std::exchange(m_othersFolded, false) || !(iniStamp == m_iniStamp) || size < m_readUpTo);
    m_iniStamp = iniStamp;
    QSet<QString> noted = std::exchange(m_pendingNoted, {});
    if (first || folded) {
        m_readUpTo = size;
        m_ownRanges.clear();
        if (folded)
            return std::nullopt;
        return noted; // the first look: what follows counts
    }
    // Only what was appended since the last look is read, a piece at a
    // time: the journal of a large first sync may hold tens of megabytes.
    m_readUpTo += journal.forEachPiece(
        m_readUpTo, [&](QByteArrayView piece, qint64 offset) { collectOthersLines(piece, offset, noted); });
    m_ownRanges.removeIf([&](const std::pair<qint64, qint64> &range) { return range.second <= m_readUpTo; });
    return noted;
}

void EmblemLedger::forget() const
{
    QFile::remove(m_fileName);
    QFile::remove(journalName());
}
