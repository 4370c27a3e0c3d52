#include "EmblemReader.h"

#include "ExtensionFacts.h"

#include <QFile>

#undef signals
#include <gio/gio.h>

namespace {

constexpr const char *kAttribute = "metadata::emblems";

// The extension's badge among info's emblems, or 0; a list, or a single
// name as older writers left it.
int badgeIn(GFileInfo *info)
{
    const GFileAttributeType type = g_file_info_get_attribute_type(info, kAttribute);
    if (type == G_FILE_ATTRIBUTE_TYPE_STRING)
        return emblix_badge_of_emblem(g_file_info_get_attribute_string(info, kAttribute));
    if (type != G_FILE_ATTRIBUTE_TYPE_STRINGV)
        return 0;
    for (char **name = g_file_info_get_attribute_stringv(info, kAttribute); name && *name; ++name) {
        if (const int badge = emblix_badge_of_emblem(*name))
            return badge;
    }
    return 0;
}

int badgeOf(const QString &path)
{
    GFile *file = g_file_new_for_path(QFile::encodeName(path).constData());
    GFileInfo *info = g_file_query_info(file, kAttribute, G_FILE_QUERY_INFO_NOFOLLOW_SYMLINKS, nullptr, nullptr);
    g_object_unref(file);
    if (!info)
        return 0;
    const int badge = badgeIn(info);
    g_object_unref(info);
    return badge;
}

// path -> badge for every file of folder.
QList<std::pair<QString, int>> badgesIn(const QString &folder)
{
    QList<std::pair<QString, int>> badges;
    GFile *file = g_file_new_for_path(QFile::encodeName(folder).constData());
    GFileEnumerator *children = g_file_enumerate_children(file, "standard::name,metadata::emblems",
                                                          G_FILE_QUERY_INFO_NOFOLLOW_SYMLINKS, nullptr, nullptr);
    g_object_unref(file);
    if (!children)
        return badges;
    while (GFileInfo *info = g_file_enumerator_next_file(children, nullptr, nullptr)) {
        badges.append({folder + u'/' + QFile::decodeName(g_file_info_get_name(info)), badgeIn(info)});
        g_object_unref(info);
    }
    g_object_unref(children);
    return badges;
}

} // namespace

EmblemReader::EmblemReader()
{
    m_thread.start();
    // The loop runs on the thread; results reach the caller queued.
    QObject *worker = new QObject;
    worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, worker, &QObject::deleteLater);
    QMetaObject::invokeMethod(
        worker, [this] { work(); }, Qt::QueuedConnection);
}

EmblemReader::~EmblemReader()
{
    {
        QMutexLocker locker(&m_mutex);
        m_ending = true;
        m_wake.wakeAll();
    }
    m_thread.quit();
    m_thread.wait();
}

void EmblemReader::read(const QString &path)
{
    QMutexLocker locker(&m_mutex);
    if (!m_queued.contains(path)) {
        m_queued.insert(path);
        m_queue.append(path);
    }
    m_wake.wakeOne();
}

void EmblemReader::readFolder(const QString &folder)
{
    QMutexLocker locker(&m_mutex);
    if (!m_folders.contains(folder))
        m_folders.append(folder);
    m_wake.wakeOne();
}

void EmblemReader::work()
{
    for (;;) {
        QString path;
        QString folder;
        {
            QMutexLocker locker(&m_mutex);
            while (m_queue.isEmpty() && m_folders.isEmpty() && !m_ending)
                m_wake.wait(&m_mutex);
            if (m_ending)
                return;
            if (!m_folders.isEmpty()) {
                folder = m_folders.takeFirst();
            } else {
                path = m_queue.takeFirst();
                m_queued.remove(path);
            }
        }
        const QList<std::pair<QString, int>> badges =
            folder.isEmpty() ? QList<std::pair<QString, int>>{{path, badgeOf(path)}} : badgesIn(folder);
        QMetaObject::invokeMethod(
            this,
            [this, badges] {
                for (const auto &[file, badge] : badges)
                    emit badgeRead(file, badge);
            },
            Qt::QueuedConnection);
    }
}
