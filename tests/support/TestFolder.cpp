#include "TestFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

TestFolder::TestFolder() : m_program(m_root.filePath(QStringLiteral("program")))
{
    QDir().mkpath(m_program);
}

QString TestFolder::path(const QString &relative) const
{
    return QDir::cleanPath(m_program + u'/' + relative);
}

QString TestFolder::write(const QString &relative, const QByteArray &bytes) const
{
    const QString file = path(relative);
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size())
        qFatal("cannot write test file %s", qPrintable(file));
    return file;
}

QByteArray TestFolder::read(const QString &relative) const
{
    QFile in(path(relative));
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

bool TestFolder::exists(const QString &relative) const
{
    return QFileInfo::exists(path(relative));
}

QStringList TestFolder::entries() const
{
    QStringList result;
    QDirIterator it(m_program, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    const QDir root(m_program);
    while (it.hasNext())
        result.append(root.relativeFilePath(it.next()));
    result.sort();
    return result;
}
