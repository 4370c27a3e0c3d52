#include "BadgeActionPlugin.h"

#include "ExtensionFacts.h"

extern "C" {
#include "MenuSwitch.h"
}

#include <KFileItem>
#include <KFileItemListProperties>
#include <KPluginFactory>

#include <QAction>
#include <QFile>
#include <QIcon>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>

K_PLUGIN_CLASS_WITH_JSON(BadgeActionPlugin, "badgeactions.json")

namespace {

// The badges' own images, as the other file managers show them.
QIcon iconOf(const char *name)
{
    if (!name)
        return {};
    const QString file = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                         + QStringLiteral("/" EMBLIX_DOLPHIN_EMBLEM_FOLDER "/") + QString::fromUtf8(name)
                         + QStringLiteral(".png");
    return QFile::exists(file) ? QIcon(file) : QIcon::fromTheme(QString::fromUtf8(name));
}

// The badge command with the selection on its standard input, as the GTK
// modules start it: no argument limit, and the paths exactly as they are.
void runCommand(const QString &program, const QStringList &arguments, const QByteArray &selection)
{
    auto *command = new QProcess;
    command->setProgram(program);
    command->setArguments(arguments);
    command->setProcessChannelMode(QProcess::ForwardedChannels);
    QObject::connect(command, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), command,
                     &QObject::deleteLater);
    QObject::connect(command, &QProcess::errorOccurred, command, [command](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            command->deleteLater();
    });
    command->start();
    command->write(selection);
    command->closeWriteChannel();
}

QAction *actionFor(const EmblixMenuSet *set, const EmblixMenuEntry *entry, const QByteArray &selection, QObject *parent)
{
    auto *action = new QAction(iconOf(entry->icon), QString::fromUtf8(entry->label), parent);
    char **argv = emblix_menu_switch_argv(set, entry);
    const QString program = QFile::decodeName(argv[0]);
    QStringList arguments;
    for (char **argument = argv + 1; *argument; ++argument)
        arguments.append(QString::fromUtf8(*argument));
    g_strfreev(argv);
    QObject::connect(action, &QAction::triggered, action,
                     [program, arguments, selection] { runCommand(program, arguments, selection); });
    return action;
}

} // namespace

BadgeActionPlugin::BadgeActionPlugin(QObject *parent, const QVariantList &) : KAbstractFileItemActionPlugin(parent) {}

QList<QAction *> BadgeActionPlugin::actions(const KFileItemListProperties &selection, QWidget *parentWidget)
{
    // Each name ended by a NUL, as the command reads "--files0-from -".
    QByteArray paths;
    for (const QUrl &url : selection.urlList()) {
        // A remote location's badge could not be recorded.
        if (!url.isLocalFile())
            return {};
        paths += QFile::encodeName(url.toLocalFile()) + '\0';
    }
    if (paths.isEmpty())
        return {};
    // KFileItemListProperties::isDirectory() holds only when all are.
    const KFileItemList items = selection.items();
    const gboolean anyFolder =
        std::any_of(items.cbegin(), items.cend(), [](const KFileItem &item) { return item.isDir(); });
    QList<QAction *> actions;
    GPtrArray *sets = emblix_menu_switch_read();
    for (guint s = 0; s < sets->len; ++s) {
        const auto *set = static_cast<const EmblixMenuSet *>(g_ptr_array_index(sets, s));
        if (!emblix_menu_switch_offers(set, anyFolder))
            continue;
        if (set->submenu) {
            auto *menu = new QMenu(QString::fromUtf8(set->submenu), parentWidget);
            for (guint e = 0; e < set->entries->len; ++e)
                menu->addAction(actionFor(set, static_cast<const EmblixMenuEntry *>(g_ptr_array_index(set->entries, e)),
                                          paths, menu));
            menu->setIcon(iconOf(EMBLIX_EMBLEM_PREFIX "1"));
            actions.append(menu->menuAction());
        } else {
            for (guint e = 0; e < set->entries->len; ++e)
                actions.append(actionFor(set, static_cast<const EmblixMenuEntry *>(g_ptr_array_index(set->entries, e)),
                                         paths, parentWidget));
        }
    }
    g_ptr_array_unref(sets);
    return actions;
}

#include "BadgeActionPlugin.moc"
