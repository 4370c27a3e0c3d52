// An install shared by every user: each user's own program folder, made at
// the first start and brought up to date by a new version as a package's
// configuration files are.
#include "platform/UserProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <future>

namespace {

void write(const QString &path, const QByteArray &bytes, QFileDevice::Permissions permissions = {})
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();
    if (permissions)
        QFile::setPermissions(path, permissions);
}

QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class tst_UserProgramFolder : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_root.reset(new QTemporaryDir);
        m_shared = m_root->filePath("usr/lib/emblix-manager");
        m_user = m_root->filePath("home/.local/share/emblix-manager/program");
        write(m_shared + "/settings.ini", "[Options]\nLanguage=en-GB\n");
        write(m_shared + "/langs/de.ini", "de 1");
        write(m_shared + "/themes/Pastel/1.ico", "pastel 1");
        write(m_shared + "/themes/Stars/1.ico", "stars 1");
        write(m_shared + "/emblix-badge", "#!/bin/sh\n", QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        write(m_shared + "/SheetExt.dll", "\177ELF library");
        write(m_shared + "/" + UserProgramFolder::kMarker.toString(), "shared");
        QDir().mkpath(m_shared + "/toolbar/Default");
    }

    void firstStartCopiesDataAndLinksPrograms()
    {
        QVERIFY(UserProgramFolder::isShared(m_shared));
        QVERIFY(!UserProgramFolder::isShared(m_root->path()));
        QString problem;
        QVERIFY2(UserProgramFolder::prepare(m_shared, m_user, &problem), qPrintable(problem));
        QCOMPARE(read(m_user + "/settings.ini"), read(m_shared + "/settings.ini"));
        QCOMPARE(read(m_user + "/themes/Stars/1.ico"), QByteArray("stars 1"));
        QVERIFY(!QFileInfo(m_user + "/settings.ini").isSymLink());
        QVERIFY(QFileInfo(m_user + "/toolbar/Default").isDir());
        // Programs and libraries run from the install, so an upgrade
        // reaches every user at once.
        for (const char *program : {"emblix-badge", "SheetExt.dll"}) {
            const QFileInfo link(m_user + "/" + program);
            QVERIFY2(link.isSymLink(), program);
            QCOMPARE(link.symLinkTarget(), m_shared + "/" + program);
        }
        QVERIFY(!QFileInfo::exists(m_user + "/" + UserProgramFolder::kMarker.toString()));
        // The records name the user's files: nobody else reads them.
        QCOMPARE(QFileInfo(m_user).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup),
                 QFileDevice::Permissions());
    }

    void upgradeKeepsWhatTheUserChanged()
    {
        QVERIFY(UserProgramFolder::prepare(m_shared, m_user));
        write(m_user + "/settings.ini", "[Options]\nLanguage=de\n");
        QVERIFY(QFile::remove(m_user + "/themes/Stars/1.ico"));
        write(m_user + "/base.ini", "[Files]\n/home/a=3\n");
        // A new version: every shipped file changes, one theme is new.
        write(m_shared + "/settings.ini", "[Options]\nLanguage=fr\n");
        write(m_shared + "/langs/de.ini", "de 2");
        write(m_shared + "/themes/Stars/1.ico", "stars 2");
        write(m_shared + "/themes/Pastel/1.ico", "pastel 2");
        write(m_shared + "/themes/Glass/1.ico", "glass 1");
        QVERIFY(UserProgramFolder::prepare(m_shared, m_user));
        QCOMPARE(read(m_user + "/settings.ini"), QByteArray("[Options]\nLanguage=de\n"));
        QVERIFY(!QFileInfo::exists(m_user + "/themes/Stars/1.ico"));
        QCOMPARE(read(m_user + "/base.ini"), QByteArray("[Files]\n/home/a=3\n"));
        QCOMPARE(read(m_user + "/langs/de.ini"), QByteArray("de 2"));
        QCOMPARE(read(m_user + "/themes/Pastel/1.ico"), QByteArray("pastel 2"));
        QCOMPARE(read(m_user + "/themes/Glass/1.ico"), QByteArray("glass 1"));
        // The user's changed file stays theirs through later versions too.
        write(m_shared + "/settings.ini", "[Options]\nLanguage=uk\n");
        QVERIFY(UserProgramFolder::prepare(m_shared, m_user));
        QCOMPARE(read(m_user + "/settings.ini"), QByteArray("[Options]\nLanguage=de\n"));
    }

    void startsAtOnceMakeOneCompleteFolder()
    {
        // The manager, the keeper and the badge command may all start first
        // at a login.
        std::vector<std::future<bool>> starts;
        for (int i = 0; i < 4; ++i)
            starts.push_back(
                std::async(std::launch::async, [this] { return UserProgramFolder::prepare(m_shared, m_user); }));
        for (std::future<bool> &start : starts)
            QVERIFY(start.get());
        QCOMPARE(read(m_user + "/themes/Pastel/1.ico"), QByteArray("pastel 1"));
        QVERIFY(QFileInfo(m_user + "/emblix-badge").isSymLink());
        QCOMPARE(QDir(m_user + "/themes/Pastel").entryList(QDir::Files | QDir::Hidden), QStringList{"1.ico"});
    }

private:
    std::unique_ptr<QTemporaryDir> m_root;
    QString m_shared;
    QString m_user;
};

QTEST_GUILESS_MAIN(tst_UserProgramFolder)
#include "tst_UserProgramFolder.moc"
