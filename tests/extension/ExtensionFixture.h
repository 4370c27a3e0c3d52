#pragma once

#include "TestFolder.h"
#include "ZipBuilder.h"

#include "KeeperLock.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

// How long a keeper may take to start and take its lock: seconds on a
// machine busy with a build.
constexpr int kKeeperStartMs = 60000;

// A file manager a test started, ended with the test however it ends.
struct FileManagerProcess final : QProcess {
    ~FileManagerProcess() override
    {
        terminate();
        if (!waitForFinished(10000))
            kill();
        waitForFinished();
    }
};

// A program folder holding the real extension as the build lays it out
// (the badge command, the keeper, icoswap.exe and the two libraries) beside
// ten active icons. The per-user folders stay those the test was started
// with (run-with-session-bus.sh makes them): gvfs, started on the test's
// bus, keeps the emblems there, and every reader of them must look in the
// same place.
struct ExtensionFixture {
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    TestFolder folder{TestFolder::UserFolders::AsTheyAre};
    QString stderrText;

    ExtensionFixture()
    {
        if (dataHome.isEmpty() || configHome.isEmpty())
            qFatal("run through run-with-session-bus.sh: the per-user folders must be the test's own");
        for (const char *name : {"emblix-badge", "emblix-keeper", "icoswap.exe", "emblixmenu.dll", "SheetExt.dll"}) {
            if (!QFile::copy(QStringLiteral(EMBLIX_DEMO_DIR "/") + name, folder.path(name)))
                qFatal("cannot copy %s", name);
        }
        for (int badge = 1; badge <= 10; ++badge)
            folder.write(QStringLiteral("icons/%1.ico").arg(badge), ZipBuilder::icon(badgeColour(badge), 32));
    }
    ~ExtensionFixture() { KeeperLock::stopRunning(); }

    // Unregistering leaves taking the emblems off to a keeper in the
    // background, which removes its lock file last: true once it ended.
    static bool takeOffEnded(int waitMs = 60000)
    {
        return QTest::qWaitFor([] { return !QFileInfo::exists(KeeperLock::fileName()) && !KeeperLock::holder(); },
                               waitMs);
    }

    // A path below the per-user data or configuration folder.
    QString data(const QString &relative) const { return QFile::decodeName(dataHome) + u'/' + relative; }
    QString config(const QString &relative) const { return QFile::decodeName(configHome) + u'/' + relative; }

    static QColor badgeColour(int badge) { return QColor::fromHsv((badge * 36) % 360, 255, 255); }

    // A file (or, ending in "/", a folder) outside the program folder.
    QString item(const QString &name) const
    {
        const QString path = folder.rootPath(QStringLiteral("files/") + name);
        if (name.endsWith(u'/'))
            QDir().mkpath(path);
        else
            folder.write(QStringLiteral("../files/") + name, "x");
        return QDir::cleanPath(path);
    }

    // Runs the badge command; returns its exit code, keeps what it said.
    int badge(const QStringList &arguments, QByteArray *output = nullptr, const QByteArray &input = {})
    {
        QProcess command;
        command.start(folder.path("emblix-badge"), arguments);
        command.write(input);
        command.closeWriteChannel();
        if (!command.waitForFinished(60000))
            return -1;
        stderrText = QString::fromUtf8(command.readAllStandardError());
        if (output)
            *output = command.readAllStandardOutput();
        return command.exitCode();
    }
#ifdef EMBLIX_REGISTER_LIBRARY
    // Calls the menu library's entry point ("register" or "unregister") from
    // a process of its own, as regsvr32 does; its exit code.
    int registerApart(const QString &verb) const
    {
        return QProcess::execute(QStringLiteral(EMBLIX_REGISTER_LIBRARY), {verb, folder.path("emblixmenu.dll")});
    }
#endif
};
