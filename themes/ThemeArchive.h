#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The archive layer of theme packages: the few operations the installer and
// the packer rely on, whatever engine serves them.
class ThemeArchive
{
public:
    struct AddOptions {
        bool storeFolderNames = false;
        bool recurse = false;
        bool includeHiddenAndSystem = true;
        bool encrypt = false;
        int compressionLevel = 9; // 0 to 9
    };

    virtual ~ThemeArchive() = default;

    // True while an archive operation is in progress.
    virtual bool busy() const = 0;
    // Opens an archive for reading and returns the stored name of every
    // entry; none when the file is missing, not an archive, or empty.
    virtual QStringList open(const QString &archivePath) = 0;
    // Used to decrypt encrypted entries in later extractions.
    virtual void setPassPhrase(const QString &passPhrase) = 0;
    // The uncompressed bytes of the one entry stored under exactly that name
    // in the open archive; nullopt when none or several match, when it cannot
    // be decrypted or read, or when it would exceed maxBytes.
    virtual std::optional<QByteArray> extract(const QString &entryName, qint64 maxBytes) = 0;
    // Writes the files of rootFolder matching the patterns into a new archive
    // at archivePath, replacing the file whole only when writing succeeded.
    // Returns the number of files added.
    virtual int addFiles(const QString &archivePath, const QString &rootFolder, const QStringList &patterns,
                         const AddOptions &options) = 0;
};
