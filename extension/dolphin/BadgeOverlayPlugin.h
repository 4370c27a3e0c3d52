#pragma once

#include "EmblemReader.h"

#include <KOverlayIconPlugin>

#include <QFileSystemWatcher>
#include <QHash>
#include <QSet>
#include <QTimer>

// Draws each file's badge on its icon in Dolphin, from the same gvfs emblems
// the keeper writes for every other file manager.
class BadgeOverlayPlugin final : public KOverlayIconPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.kde.overlayicon.emblix" FILE "badgeoverlay.json")
public:
    explicit BadgeOverlayPlugin(QObject *parent = nullptr);

    QStringList getOverlays(const QUrl &item) override;

private:
    struct Known {
        qint64 changed = -1; // the file's change time when read, in ns
        int badge = 0;
    };
    void badgeRead(const QString &path, int badge);
    void themeChanged();
    QStringList overlaysFor(int badge) const;

    EmblemReader m_reader;
    QHash<QString, Known> m_known;
    void foldersChanged();

    QFileSystemWatcher m_folders; // of the files shown: the extension touches a file whose emblem changed
    QSet<QString> m_changedFolders;
    QTimer m_foldersSettle;
    QFileSystemWatcher m_images;
    QTimer m_imagesSettle;
    QString m_imageFolder; // a name of the emblem images' folder for this theme
};
