#include "Emblems.h"

#include "BadgePath.h"
#include "ExtensionFacts.h"
#include "UserFolders.h"

#include <QFile>
#include <QStringList>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// GLib names a struct member "signals", which Qt's keyword macro would eat.
#undef signals
#include <gio/gio.h>

namespace {

constexpr const char *kAttribute = "metadata::emblems";
const QString kOwnPrefix = QStringLiteral(EMBLIX_EMBLEM_PREFIX);

struct FileRef {
    GFile *file;
    explicit FileRef(const QString &path) : file(g_file_new_for_path(QFile::encodeName(path).constData())) {}
    ~FileRef() { g_object_unref(file); }
    FileRef(const FileRef &) = delete;
    FileRef &operator=(const FileRef &) = delete;
};

QString takeMessage(GError *error)
{
    QString message = QString::fromUtf8(error->message);
    g_error_free(error);
    return message;
}

QStringList emblemsFrom(GFileInfo *info)
{
    QStringList emblems;
    if (g_file_info_get_attribute_type(info, kAttribute) == G_FILE_ATTRIBUTE_TYPE_STRINGV) {
        for (char **name = g_file_info_get_attribute_stringv(info, kAttribute); name && *name; ++name)
            emblems.append(QString::fromUtf8(*name));
    } else if (g_file_info_get_attribute_type(info, kAttribute) == G_FILE_ATTRIBUTE_TYPE_STRING) {
        emblems.append(QString::fromUtf8(g_file_info_get_attribute_string(info, kAttribute)));
    }
    return emblems;
}

// The file's emblems; why they could not be read goes to problem, when given.
QStringList emblemsOf(GFile *file, QString *problem)
{
    GError *error = nullptr;
    GFileInfo *info = g_file_query_info(file, kAttribute, G_FILE_QUERY_INFO_NONE, nullptr, &error);
    if (!info) {
        if (problem)
            *problem = takeMessage(error);
        else
            g_error_free(error);
        return {};
    }
    QStringList emblems = emblemsFrom(info);
    g_object_unref(info);
    return emblems;
}

} // namespace

namespace Emblems {

// gvfs tells no one that a file's metadata changed, so a file manager
// showing the file would keep the old emblem. Setting the file's times to
// the very values they have changes nothing a user sees, yet the kernel
// reports a change to every watcher of the folder, and the file managers
// read the file's information, emblems included, again. Only the owner may
// do so; for another's file the emblem shows at the next reload.
void announce(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat status {};
    // Root may touch any file, but another owner's file keeps its change
    // time: its emblem shows at the next reload.
    if (::stat(name.constData(), &status) != 0 || status.st_uid != ::geteuid())
        return;
    const struct timespec times[2] = {status.st_atim, status.st_mtim};
    ::utimensat(AT_FDCWD, name.constData(), times, 0);
}

int badgeOf(const QString &path)
{
    FileRef ref(path);
    for (const QString &name : emblemsOf(ref.file, nullptr)) {
        if (const int badge = emblix_badge_of_emblem(name.toUtf8().constData()))
            return badge;
    }
    return 0;
}

QString setBadge(const QString &path, int badge)
{
    if (!BadgePath::namesAFile(path))
        return QStringLiteral("the name is no text this system can spell");
    QString problem;
    const QStringList before = emblemsOf(FileRef(path).file, &problem);
    if (!problem.isEmpty())
        return problem;
    return setBadge(path, badge, before);
}

QString setBadge(const QString &path, int badge, const QStringList &before)
{
    if (!BadgePath::namesAFile(path))
        return QStringLiteral("the name is no text this system can spell");
    FileRef ref(path);
    QStringList after;
    for (const QString &name : before) {
        if (!name.startsWith(kOwnPrefix))
            after.append(name);
    }
    if (badge > 0)
        after.append(UserFolders::emblemName(badge));
    if (after == before)
        return {};

    GError *error = nullptr;
    gboolean written = FALSE;
    if (after.isEmpty()) {
        // No emblem left: the attribute goes, rather than stay as an empty list.
        written = g_file_set_attribute(ref.file, kAttribute, G_FILE_ATTRIBUTE_TYPE_INVALID, nullptr,
                                       G_FILE_QUERY_INFO_NONE, nullptr, &error);
    } else {
        std::vector<QByteArray> utf8;
        std::vector<char *> names;
        utf8.reserve(size_t(after.size()));
        names.reserve(size_t(after.size()) + 1);
        for (const QString &name : after)
            utf8.push_back(name.toUtf8());
        for (QByteArray &name : utf8)
            names.push_back(name.data());
        names.push_back(nullptr);
        written = g_file_set_attribute(ref.file, kAttribute, G_FILE_ATTRIBUTE_TYPE_STRINGV, names.data(),
                                       G_FILE_QUERY_INFO_NONE, nullptr, &error);
    }
    if (!written)
        return takeMessage(error);
    announce(path);
    return {};
}

std::optional<QHash<QByteArray, QStringList>> emblemsIn(const QString &folder)
{
    FileRef ref(folder);
    GFileEnumerator *children = g_file_enumerate_children(ref.file, "standard::name,metadata::emblems",
                                                          G_FILE_QUERY_INFO_NOFOLLOW_SYMLINKS, nullptr, nullptr);
    if (!children)
        return std::nullopt;
    QHash<QByteArray, QStringList> emblems;
    GError *error = nullptr;
    while (GFileInfo *info = g_file_enumerator_next_file(children, nullptr, &error)) {
        const QStringList names = emblemsFrom(info);
        if (!names.isEmpty())
            emblems.insert(QByteArray(g_file_info_get_name(info)), names);
        g_object_unref(info);
    }
    g_object_unref(children);
    // A listing cut short would read as files without emblems.
    if (error) {
        g_error_free(error);
        return std::nullopt;
    }
    return emblems;
}

void moveMetadata(const QString &from, const QString &to)
{
    GVfs *vfs = g_vfs_get_default();
    GVfsClass *operations = G_VFS_GET_CLASS(vfs);
    if (operations->local_file_moved)
        operations->local_file_moved(vfs, QFile::encodeName(from).constData(), QFile::encodeName(to).constData());
}

void dropMetadata(const QString &path)
{
    GVfs *vfs = g_vfs_get_default();
    GVfsClass *operations = G_VFS_GET_CLASS(vfs);
    if (operations->local_file_removed)
        operations->local_file_removed(vfs, QFile::encodeName(path).constData());
}

void waitForSentWrites()
{
    GDBusConnection *bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (!bus)
        return;
    // Any call makes the round trip; this one only looks a name up.
    GVariant *reply = g_dbus_connection_call_sync(
        bus, "org.gtk.vfs.Metadata", "/org/gtk/vfs/metadata", "org.gtk.vfs.Metadata", "GetTreeFromDevice",
        g_variant_new("(uu)", 0, 0), nullptr, G_DBUS_CALL_FLAGS_NONE, 10000, nullptr, nullptr);
    if (reply)
        g_variant_unref(reply);
    g_object_unref(bus);
}

void askForRedraw(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat status {};
    if (::lstat(name.constData(), &status) != 0)
        return;
    // The access time set to itself: the inode changes (an attribute event
    // for every watcher), its times do not.
    const struct timespec times[2] = {status.st_atim, {0, UTIME_OMIT}};
    ::utimensat(AT_FDCWD, name.constData(), times, AT_SYMLINK_NOFOLLOW);
}

} // namespace Emblems
