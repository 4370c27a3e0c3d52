#include "EmblemKeeper.h"

#include "platform/AppError.h"

#include <cstdio>

namespace {

constexpr int kSettleMs = 100;
constexpr int kPollMs = 1000;
constexpr int kRetryMs = 30000;

} // namespace

EmblemKeeper::EmblemKeeper(const ProgramFolder &folder, const std::atomic_bool *stop, QObject *parent)
    : QObject(parent), m_book(folder), m_sync(m_ledger, m_ledger.read())
{
    m_sync.setStopFlag(stop);
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &EmblemKeeper::syncIfChanged);
    m_retry.setSingleShot(true);
    m_retry.setInterval(kRetryMs);
    connect(&m_retry, &QTimer::timeout, this, &EmblemKeeper::syncNow);
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &EmblemKeeper::syncIfChanged);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &EmblemKeeper::changeSeen);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &EmblemKeeper::changeSeen);
}

void EmblemKeeper::start()
{
    m_watcher.addPath(m_book.folder().root());
    m_stamp = FileStamp::of(m_book.fileName());
    if (m_stamp.isFile)
        m_watcher.addPath(m_book.fileName());
    syncNow();
    m_poll.start();
}

void EmblemKeeper::changeSeen()
{
    m_settle.start();
}

void EmblemKeeper::syncIfChanged()
{
    const FileStamp now = FileStamp::of(m_book.fileName());
    if (now == m_stamp)
        return;
    m_stamp = now;
    // A replaced file is a new one to watch.
    m_watcher.removePath(m_book.fileName());
    if (now.isFile)
        m_watcher.addPath(m_book.fileName());
    syncNow();
}

void EmblemKeeper::syncNow()
{
    // A store that cannot be read (a pipe, a folder or a huge file in its
    // place) is not an empty one: the emblems stay until it can be read.
    const std::optional<QHash<QString, QString>> records = m_book.fileRecords();
    if (!records) {
        std::fprintf(stderr, "emblix-keeper: %s cannot be read; the emblems stay as they are\n",
                     qPrintable(m_book.fileName()));
        return;
    }
    try {
        const EmblemSync::Report report = m_sync.follow(*records);
        if (report.setAside > 0)
            m_retry.start();
        emit synced(report);
    } catch (const AppError &error) {
        // The ledger could not be written, so no emblem was set; the next
        // change tries again.
        std::fprintf(stderr, "emblix-keeper: %s\n", error.what());
    }
}
