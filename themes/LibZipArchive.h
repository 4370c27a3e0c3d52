#pragma once

#include "ThemeArchive.h"

struct zip;

// The archive layer on libzip: traditional PKWARE decryption with a pass
// phrase, deflate at a given level, bare entry names.
class LibZipArchive final : public ThemeArchive
{
public:
    LibZipArchive() = default;
    ~LibZipArchive() override;
    LibZipArchive(const LibZipArchive &) = delete;
    LibZipArchive &operator=(const LibZipArchive &) = delete;

    bool busy() const override { return m_busy; }
    QStringList open(const QString &archivePath) override;
    void setPassPhrase(const QString &passPhrase) override;
    std::optional<QByteArray> extract(const QString &entryName, qint64 maxBytes) override;
    int addFiles(const QString &archivePath, const QString &rootFolder, const QStringList &patterns,
                 const AddOptions &options) override;

private:
    void close();

    zip *m_archive = nullptr;
    QByteArray m_passPhrase;
    bool m_busy = false;
};
