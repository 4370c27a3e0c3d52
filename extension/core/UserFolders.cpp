#include "UserFolders.h"

#include "ExtensionFacts.h"

#include <QDir>

namespace {

QString baseFolder(const char *variable, const char *fallbackUnderHome)
{
    const QString set = qEnvironmentVariable(variable);
    // The rules say a relative value is invalid and must be ignored.
    if (!set.isEmpty() && QDir::isAbsolutePath(set))
        return QDir::cleanPath(set);
    return QDir::cleanPath(QDir::homePath() + u'/' + QLatin1StringView(fallbackUnderHome));
}

} // namespace

namespace UserFolders {

QString dataHome()
{
    return baseFolder("XDG_DATA_HOME", ".local/share");
}

QString configHome()
{
    return baseFolder("XDG_CONFIG_HOME", ".config");
}

QString stateHome()
{
    return baseFolder("XDG_STATE_HOME", ".local/state");
}

QString stateFolder()
{
    return dataHome() + QStringLiteral("/emblix-manager");
}

QString markIdentities()
{
    return stateFolder() + QStringLiteral("/identities");
}

QString keeperAutostartEntry()
{
    return configHome() + QStringLiteral("/autostart/emblix-keeper.desktop");
}

QString iconTheme()
{
    return dataHome() + QStringLiteral("/icons/hicolor");
}

QString emblemFolder(int size)
{
    return iconTheme() + QStringLiteral("/%1x%1/emblems").arg(size);
}

QString emblemName(int badge)
{
    return QStringLiteral(EMBLIX_EMBLEM_PREFIX "%1").arg(badge);
}

} // namespace UserFolders
