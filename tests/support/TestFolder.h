#pragma once

#include "platform/ProgramFolder.h"

#include <QByteArray>
#include <QTemporaryDir>

// A temporary program folder of one test, removed with it. It lies inside a
// temporary root of the test's own, so that "../" beside the program folder
// (where tests keep packages and files that are not the program's) is the
// test's too and nothing is written into the shared temporary folder. The
// per-user base folders (XDG_DATA_HOME, XDG_CONFIG_HOME) point into that
// root, unless asked not to, while the folder lives (the newest one's, where several do); they are
// as they were once the last one goes.
class TestFolder final
{
public:
    enum class UserFolders {
        InRoot,    // XDG_DATA_HOME and XDG_CONFIG_HOME point into the root
        AsTheyAre, // left to the caller (the extension's tests keep their session's)
    };

    explicit TestFolder(UserFolders userFolders = UserFolders::InRoot);
    ~TestFolder();
    TestFolder(const TestFolder &) = delete;
    TestFolder &operator=(const TestFolder &) = delete;

    ProgramFolder folder() const { return ProgramFolder(m_program); }
    QString path(const QString &relative) const;

    // Writes bytes to a file of the folder, creating its parent folders.
    QString write(const QString &relative, const QByteArray &bytes) const;
    QByteArray read(const QString &relative) const;
    bool exists(const QString &relative) const;
    // Every file and folder below the program folder, relative, sorted.
    QStringList entries() const;
    // The same below the temporary root: the program folder, the files
    // kept beside it and the per-user folders.
    QString rootPath(const QString &relative) const;
    QStringList rootEntries() const;

private:
    void pointUserFoldersHere() const;

    QTemporaryDir m_root;
    QString m_program;
    bool m_ownsUserFolders;
};
