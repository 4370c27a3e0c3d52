#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>

// A file manager's module put into the system folder it alone loads modules
// from, for one test, and taken away again with every folder made for it.
// A module already installed there is used as it is and left.
class SystemModule final
{
public:
    // False when the folder cannot be written (not root).
    bool place(const QString &module, const QString &folder)
    {
        const QString target = folder + u'/' + QFileInfo(module).fileName();
        if (QFileInfo::exists(target))
            return true;
        for (QString missing = folder; !QFileInfo::exists(missing); missing = QFileInfo(missing).path())
            m_madeFolders.prepend(missing);
        if (!QDir().mkpath(folder) || !QFile::copy(module, target))
            return false;
        m_placed = target;
        return true;
    }
    ~SystemModule()
    {
        if (!m_placed.isEmpty())
            QFile::remove(m_placed);
        for (auto it = m_madeFolders.crbegin(); it != m_madeFolders.crend(); ++it)
            QDir().rmdir(*it);
    }

private:
    QString m_placed;
    QStringList m_madeFolders;
};
