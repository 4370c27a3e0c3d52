#include "FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <thread>
#include <vector>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace FileSystem {

bool pathExists(const QString &path)
{
    if (path.isEmpty() || path.contains(QChar(u'\0')))
        return false;
#ifdef Q_OS_WIN
    return GetFileAttributesW(reinterpret_cast<const wchar_t *>(path.utf16())) != INVALID_FILE_ATTRIBUTES;
#else
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
#endif
}

QList<bool> pathsExist(const QStringList &paths, bool (*skip)(const QString &))
{
    QList<bool> result(paths.size(), false);
    bool *out = result.data(); // detached once, before any thread writes
    const auto test = [&paths, out, skip](qsizetype begin, qsizetype end) {
        for (qsizetype i = begin; i < end; ++i) {
            if (!skip || !skip(paths[i]))
                out[i] = pathExists(paths[i]);
        }
    };
    // Small lists are not worth a thread; large ones are split evenly.
    const qsizetype threads =
        std::min<qsizetype>(std::max(1u, std::thread::hardware_concurrency()), paths.size() / 2000 + 1);
    if (threads <= 1) {
        test(0, paths.size());
        return result;
    }
    std::vector<std::thread> workers;
    const qsizetype chunk = (paths.size() + threads - 1) / threads;
    for (qsizetype t = 1; t < threads; ++t)
        workers.emplace_back(test, t * chunk, std::min(paths.size(), (t + 1) * chunk));
    test(0, std::min(paths.size(), chunk));
    for (std::thread &worker : workers)
        worker.join();
    return result;
}

bool isRegularFile(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

void sortAsListed(QStringList &names)
{
    std::vector<std::pair<QString, QString>> keyed;
    keyed.reserve(size_t(names.size()));
    for (QString &name : names)
        keyed.emplace_back(name.toUpper(), std::move(name));
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto &a, const auto &b) {
        const int byUpper = QStringView(a.first).compare(QStringView(b.first), Qt::CaseSensitive);
        return byUpper != 0 ? byUpper < 0 : QStringView(a.second).compare(b.second, Qt::CaseSensitive) < 0;
    });
    for (qsizetype i = 0; i < names.size(); ++i)
        names[i] = std::move(keyed[size_t(i)].second);
}

QStringList listFolder(const QString &folder, Entries entries, const QStringList &patterns, bool withHidden)
{
    // Every kind of entry is listed, then each is looked at: the filters of
    // QDir would pass links to pipes as files.
    QDir::Filters filters = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System;
    if (withHidden)
        filters |= QDir::Hidden;
    const QDir dir(folder);
    QStringList names;
    for (const QString &name : dir.entryList(patterns, filters, QDir::Unsorted)) {
        const QFileInfo info(dir.filePath(name));
        if (entries == Entries::Folders ? info.isDir() : info.isFile())
            names.append(name);
    }
    sortAsListed(names);
    return names;
}

} // namespace FileSystem
