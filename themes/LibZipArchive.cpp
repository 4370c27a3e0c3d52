#include "LibZipArchive.h"

#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <zip.h>

namespace {

// Marks the archive layer busy for the length of one operation.
class BusyScope
{
public:
    explicit BusyScope(bool &busy) : m_busy(busy) { m_busy = true; }
    ~BusyScope() { m_busy = false; }

private:
    bool &m_busy;
};

} // namespace

LibZipArchive::~LibZipArchive()
{
    close();
}

void LibZipArchive::close()
{
    if (m_archive)
        zip_discard(m_archive);
    m_archive = nullptr;
}

QStringList LibZipArchive::open(const QString &archivePath)
{
    BusyScope busy(m_busy);
    close();
    int error = 0;
    m_archive = zip_open(QFile::encodeName(archivePath).constData(), ZIP_RDONLY, &error);
    if (!m_archive)
        return {};
    QStringList names;
    const zip_int64_t count = zip_get_num_entries(m_archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        // Names are decoded as the archive says: UTF-8 when flagged or
        // valid, the original code page otherwise.
        const char *name = zip_get_name(m_archive, zip_uint64_t(i), ZIP_FL_ENC_GUESS);
        names.append(name ? QString::fromUtf8(name) : QString());
    }
    return names;
}

void LibZipArchive::setPassPhrase(const QString &passPhrase)
{
    m_passPhrase = passPhrase.toLatin1();
}

std::optional<QByteArray> LibZipArchive::extract(const QString &entryName, qint64 maxBytes)
{
    BusyScope busy(m_busy);
    if (!m_archive)
        return std::nullopt;
    // Exactly one entry may carry the name; a folder part is part of the name.
    const QByteArray wanted = entryName.toUtf8();
    zip_int64_t index = -1;
    const zip_int64_t count = zip_get_num_entries(m_archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char *name = zip_get_name(m_archive, zip_uint64_t(i), ZIP_FL_ENC_GUESS);
        if (name && wanted == name) {
            if (index >= 0)
                return std::nullopt;
            index = i;
        }
    }
    if (index < 0)
        return std::nullopt;

    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_archive, zip_uint64_t(index), 0, &stat) != 0)
        return std::nullopt;
    if ((stat.valid & ZIP_STAT_SIZE) && stat.size > zip_uint64_t(maxBytes))
        return std::nullopt;
    const bool encrypted = (stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE;
    zip_file_t *file = encrypted ? zip_fopen_index_encrypted(m_archive, zip_uint64_t(index), 0,
                                                             m_passPhrase.isEmpty() ? "" : m_passPhrase.constData())
                                 : zip_fopen_index(m_archive, zip_uint64_t(index), 0);
    if (!file)
        return std::nullopt;
    // The declared size may lie: the cap holds for the bytes actually read.
    QByteArray bytes;
    char buffer[64 * 1024];
    bool failed = false;
    for (;;) {
        const zip_int64_t read = zip_fread(file, buffer, sizeof buffer);
        if (read < 0) {
            failed = true;
            break;
        }
        if (read == 0)
            break;
        if (bytes.size() + read > maxBytes) {
            failed = true;
            break;
        }
        bytes.append(buffer, qsizetype(read));
    }
    zip_fclose(file);
    if (failed)
        return std::nullopt;
    return bytes;
}

int LibZipArchive::addFiles(const QString &archivePath, const QString &rootFolder, const QStringList &patterns,
                            const AddOptions &options)
{
    BusyScope busy(m_busy);
    // Regular files only: a pipe would block the packing for good.
    const QDir root(rootFolder);
    const QStringList files =
        FileSystem::listFolder(rootFolder, FileSystem::Entries::RegularFiles, patterns, options.includeHiddenAndSystem);
    if (files.isEmpty() || !root.exists())
        return 0; // nothing to write: an existing archive stays as it is

    // libzip writes the new archive to a temporary file beside it and
    // renames it into place when zip_close succeeds: the old file is
    // replaced whole, or not at all.
    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(archivePath).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return 0;
    int added = 0;
    for (const QString &name : files) {
        const QString path = root.filePath(name);
        zip_source_t *source = zip_source_file(archive, QFile::encodeName(path).constData(), 0, -1);
        if (!source) {
            zip_discard(archive);
            return 0;
        }
        const QByteArray stored = name.toUtf8();
        const zip_int64_t index = zip_file_add(archive, stored.constData(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            zip_discard(archive);
            return 0;
        }
        zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_DEFLATE, zip_uint32_t(options.compressionLevel));
        ++added;
    }
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        return 0;
    }
    return added;
}
