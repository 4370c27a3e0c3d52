#pragma once

#include <QString>

// Where the program's own images live among the Qt resources.
namespace ProgramImages {

inline QString path(const char *name, const char *extension = "png")
{
    return QStringLiteral(":/images/") + QString::fromLatin1(name) + u'.' + QString::fromLatin1(extension);
}

} // namespace ProgramImages
