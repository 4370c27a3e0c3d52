#pragma once

#include "platform/ProgramFolder.h"

#include <QByteArray>
#include <QTemporaryDir>

// A temporary program folder of one test, removed with it.
class TestFolder final
{
public:
    TestFolder();

    ProgramFolder folder() const { return ProgramFolder(m_dir.path()); }
    QString path(const QString &relative) const;

    // Writes bytes to a file of the folder, creating its parent folders.
    QString write(const QString &relative, const QByteArray &bytes) const;
    QByteArray read(const QString &relative) const;
    bool exists(const QString &relative) const;
    // Every file and folder below the program folder, relative, sorted.
    QStringList entries() const;

private:
    QTemporaryDir m_dir;
};
