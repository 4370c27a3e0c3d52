#include "TestFolder.h"

#include "ModuleMenus.h"

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
    void registeredMenusReachTheModules();

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

// The registration writes the menus in Qt, the modules read them in C: what
// one writes is what the other offers, entry by entry, and the menu rule is
// the same in every file manager.
void TestMenuSwitch::registeredMenusReachTheModules()
{
    char *found = emblix_menu_switch_folder();
    QCOMPARE(QFile::decodeName(found), ModuleMenus::folder());
    g_free(found);
    QVERIFY(QDir(ModuleMenus::folder()).removeRecursively());
    const ProgramFolder program(m_folder.path(QString()));
    const QString command = m_folder.write("emblix-badge", "#!/bin/sh\n");
    QVERIFY(QFile::setPermissions(command, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QList<MenuSet> written{MenuItems::badgeMenu(program), MenuItems::propertiesEntry(program)};
    for (const MenuSet &set : written)
        ModuleMenus::install(set);

    GPtrArray *sets = emblix_menu_switch_read();
    QCOMPARE(int(sets->len), written.size());
    for (guint s = 0; s < sets->len; ++s) {
        const auto *read = static_cast<const EmblixMenuSet *>(g_ptr_array_index(sets, s));
        const MenuSet &set = written[s];
        QCOMPARE(QString::fromUtf8(read->owner), set.owner);
        QCOMPARE(QString::fromUtf8(read->submenu ? read->submenu : ""), set.submenu);
        QCOMPARE(QFile::decodeName(read->command), set.badgeCommand);
        QCOMPARE(bool(read->for_folders), set.forFolders);
        QCOMPARE(int(read->entries->len), set.items.size());
        for (guint e = 0; e < read->entries->len; ++e) {
            const auto *entry = static_cast<const EmblixMenuEntry *>(g_ptr_array_index(read->entries, e));
            const MenuItem &item = set.items[e];
            QCOMPARE(QString::fromUtf8(entry->id), item.id);
            QCOMPARE(QString::fromUtf8(entry->label), item.label);
            QCOMPARE(QString::fromUtf8(entry->icon ? entry->icon : ""), item.icon);
            QStringList arguments;
            for (char **argument = entry->arguments; *argument; ++argument)
                arguments << QString::fromUtf8(*argument);
            QCOMPARE(arguments, item.arguments);
        }
        // One folder among the selected files hides the badge dialog.
        QCOMPARE(bool(emblix_menu_switch_offers(read, TRUE)), set.owner == u"emblix-badge-menu");
        QVERIFY(emblix_menu_switch_offers(read, FALSE));
    }
    g_ptr_array_unref(sets);
}

QTEST_GUILESS_MAIN(TestMenuSwitch)
#include "tst_MenuSwitch.moc"
