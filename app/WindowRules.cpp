#include "WindowRules.h"

namespace WindowRules {

std::optional<ToolbarChoice> toolbarSetPicked(const QString &set)
{
    if (set == u"Default")
        return std::nullopt;
    return ToolbarChoice{set, 5};
}

std::optional<ToolbarChoice> savedToolbarSet(const QString &saved)
{
    if (saved == u"Default")
        return std::nullopt;
    return ToolbarChoice{saved, 1};
}

std::optional<QString> packageArgument(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return std::nullopt;
    const QString &argument = arguments.first();
    const qsizetype separator = std::max(argument.lastIndexOf(u'/'), argument.lastIndexOf(u'\\'));
    const qsizetype dot = argument.lastIndexOf(u'.');
    if (dot <= separator || argument.sliced(dot).toUpper() != u".VQK")
        return std::nullopt;
    return argument;
}

} // namespace WindowRules
