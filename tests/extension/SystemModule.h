#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>

// A file manager's module put into the system folder it alone loads modules
// from, for one test, and taken away again with every folder made for it.
// A module already installed there is used as it is and left; one a test
// that crashed left (its note beside it names the folders made for it) is
// taken away this time, with those folders.
class SystemModule final
{
public:
    // False when the folder cannot be written (not root).
    bool place(const QString &module, const QString &folder)
    {
        const QString target = folder + u'/' + QFileInfo(module).fileName();
        QFile note(target + QStringLiteral(".placed-by-test"));
        if (QFileInfo::exists(target) && !note.exists())
            return true;
        if (note.open(QIODevice::ReadOnly))
            m_madeFolders = QString::fromUtf8(note.readAll()).split(u'\n', Qt::SkipEmptyParts);
        note.close();
        QFile::remove(target);
        for (QString missing = folder; !QFileInfo::exists(missing); missing = QFileInfo(missing).path())
            m_madeFolders.prepend(missing);
        if (!QDir().mkpath(folder))
            return false;
        m_placed = target;
        if (note.open(QIODevice::WriteOnly | QIODevice::Truncate))
            note.write(m_madeFolders.join(u'\n').toUtf8());
        note.close();
        return QFile::copy(module, target);
    }
    ~SystemModule()
    {
        if (!m_placed.isEmpty()) {
            QFile::remove(m_placed);
            QFile::remove(m_placed + QStringLiteral(".placed-by-test"));
        }
        for (auto it = m_madeFolders.crbegin(); it != m_madeFolders.crend(); ++it)
            QDir().rmdir(*it);
    }

private:
    QString m_placed;
    QStringList m_madeFolders;
};
