#include "TestFolder.h"

extern "C" {
#include "MenuSwitch.h"
}

#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/stat.h>

// The menus' reader that runs inside Caja, Nemo, Nautilus and Dolphin, on
// every right-click: whatever lies in the per-user menu folder, it returns
// without blocking and without reading more than a menu's worth.
class TestMenuSwitch : public QObject
{
    Q_OBJECT

private slots:
    void hostileFilesNeitherHangNorSwell();

private:
    // Before GLib first reads XDG_CONFIG_HOME, which it keeps for the process.
    TestFolder m_folder;
};

namespace {

QByteArray menuFile(int entries)
{
    QByteArray text = "[Menu]\nCommand=/bin/sh\nSubmenu=Badge\nEntries=";
    for (int i = 0; i < entries; ++i)
        text += QByteArray::number(i) + ';';
    text += '\n';
    for (int i = 0; i < entries; ++i)
        text += "[Entry " + QByteArray::number(i) + "]\nLabel=Badge " + QByteArray::number(i) + "\nArguments=set;1;\n";
    return text;
}

} // namespace

void TestMenuSwitch::hostileFilesNeitherHangNorSwell()
{
    char *found = emblix_menu_switch_folder();
    const QString folder = QFile::decodeName(found);
    g_free(found);
    QVERIFY(folder.startsWith(m_folder.rootPath(QString())));
    QVERIFY(QDir().mkpath(folder));
    const auto write = [&](const char *name, const QByteArray &text) {
        QFile file(folder + u'/' + QLatin1StringView(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    };
    write("emblix-a-menu.ini", menuFile(12));
    // Each of these used to hold the file manager's window: a FIFO nobody
    // writes (forever), a link to one, 20 000 entries (seconds and hundreds
    // of megabytes on every right-click).
    QCOMPARE(::mkfifo(QFile::encodeName(folder + QStringLiteral("/emblix-fifo.ini")).constData(), 0600), 0);
    QVERIFY(QFile::link(folder + QStringLiteral("/emblix-fifo.ini"), folder + QStringLiteral("/emblix-link.ini")));
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/emblix-folder.ini")));
    write("emblix-huge.ini", menuFile(20000));
    write("emblix-many.ini", menuFile(200));

    GPtrArray *sets = emblix_menu_switch_read();
    QStringList owners;
    for (guint i = 0; i < sets->len; ++i) {
        const auto *set = static_cast<const EmblixMenuSet *>(g_ptr_array_index(sets, i));
        owners << QString::fromUtf8(set->owner) + u'=' + QString::number(set->entries->len);
    }
    g_ptr_array_unref(sets);
    // The registration's own menu whole; a long one cut to 64 entries.
    QCOMPARE(owners, QStringList({"emblix-a-menu=12", "emblix-many=64"}));
}

QTEST_GUILESS_MAIN(TestMenuSwitch)
#include "tst_MenuSwitch.moc"
