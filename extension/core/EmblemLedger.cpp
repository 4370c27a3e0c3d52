#include "EmblemLedger.h"

#include "UserFiles.h"
#include "UserFolders.h"
#include "platform/AppError.h"
#include "platform/ini/TntIniFile.h"

#include <QFile>
#include <QFileInfo>

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

    QByteArray readAll() const
    {
        QByteArray text;
        char buffer[65536];
        ::lseek(m_fd, 0, SEEK_SET);
        for (;;) {
            const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return text;
            text.append(buffer, got);
        }
    }

private:
    int m_fd = -1;
};

QHash<QString, int> readIni(const QString &fileName)
{
    TTntIniFile ledger(fileName, IniDocument::KeySpelling::Exact);
    QStringList paths;
    ledger.ReadSection(kSection, paths);
    QHash<QString, int> result;
    result.reserve(paths.size());
    for (const QString &path : paths)
        result.insert(path, ledger.ReadInteger(kSection, path, 0));
    return result;
}

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

void replay(const QByteArray &journal, QHash<QString, int> &entries)
{
    forEachNote(journal, [&](const QString &path, int badge) {
        if (badge == 0)
            entries.remove(path);
        else
            entries.insert(path, badge);
    });
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
    // The journal's lock keeps a fold from changing both files midway.
    const LockedJournal journal(journalName(), O_RDONLY, LOCK_SH);
    QHash<QString, int> entries = readIni(m_fileName);
    if (journal.fd() >= 0)
        replay(journal.readAll(), entries);
    return entries;
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
    if (size >= kFoldFromBytes && size * 2 >= QFileInfo(m_fileName).size())
        foldJournal();
}

void EmblemLedger::foldJournal() const
{
    const LockedJournal journal(journalName(), O_RDWR, LOCK_EX);
    if (journal.fd() < 0)
        return;
    const QByteArray text = journal.readAll();
    if (text.isEmpty())
        return; // folded by another writer meanwhile
    const QHash<QString, int> before = readIni(m_fileName);
    QHash<QString, int> after = before;
    replay(text, after);
    if (!QFileInfo::exists(m_fileName)) {
        QFile created(m_fileName);
        if (!created.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
            return; // the journal stays: nothing is lost
    }
    try {
        TTntIniFile ledger(m_fileName, IniDocument::KeySpelling::Exact);
        QList<std::pair<QString, QString>> values;
        for (auto it = after.cbegin(); it != after.cend(); ++it) {
            if (before.value(it.key(), 0) != it.value())
                values.append({it.key(), QString::number(it.value())});
        }
        if (!values.isEmpty())
            ledger.WriteStrings(kSection, values);
        for (auto it = before.cbegin(); it != before.cend(); ++it) {
            if (!after.contains(it.key()))
                ledger.DeleteKey(kSection, it.key());
        }
        if (!ledger.UpdateFile())
            return;
    } catch (const AppError &) {
        return; // the journal stays: nothing is lost
    }
    // Once the INI file holds every line, the journal starts empty; a
    // crash before this only has the same lines replayed again.
    if (::ftruncate(journal.fd(), 0) != 0 || m_readUpTo < 0)
        return;
    // Folded here: what others noted since the last look is kept for the
    // next, which reads the emptied journal from its start.
    m_pendingNoted.unite(takeOthersLines(text));
    m_readUpTo = 0;
    m_iniStamp = FileStamp::of(m_fileName);
}

QSet<QString> EmblemLedger::takeOthersLines(QByteArray text) const
{
    const qint64 from = std::min<qint64>(m_readUpTo, text.size());
    // This object's own lines (whole lines, one write each) left out.
    for (const auto &[start, end] : std::exchange(m_ownRanges, {})) {
        if (start >= from && end <= text.size())
            text.replace(start, end - start, QByteArray(end - start, '\n'));
    }
    QSet<QString> noted;
    forEachNote(QByteArrayView(text).sliced(from), [&](const QString &path, int) { noted.insert(path); });
    return noted;
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
    const QByteArray text = journal.fd() >= 0 ? journal.readAll() : QByteArray();
    const bool first = m_readUpTo < 0;
    // Another process's fold replaces the INI file and empties the journal.
    const bool folded = !first && (!(iniStamp == m_iniStamp) || text.size() < m_readUpTo);
    m_iniStamp = iniStamp;
    QSet<QString> noted = std::exchange(m_pendingNoted, {});
    if (first || folded) {
        m_readUpTo = text.size();
        m_ownRanges.clear();
        if (folded)
            return std::nullopt;
        return noted; // the first look: what follows counts
    }
    noted.unite(takeOthersLines(text));
    m_readUpTo = text.size();
    return noted;
}

void EmblemLedger::forget() const
{
    QFile::remove(m_fileName);
    QFile::remove(journalName());
}
