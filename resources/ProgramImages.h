#pragma once

#include <QString>

// Where the program's own images live among the Qt resources.
namespace ProgramImages {

inline QString path(const char *name)
{
    return QStringLiteral(":/images/") + QString::fromLatin1(name) + QStringLiteral(".png");
}

} // namespace ProgramImages
