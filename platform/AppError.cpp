#include "AppError.h"

#include <QDir>

AppError AppError::cannotCreate(const QString &file, const QString &reason)
{
    return AppError(QStringLiteral("Cannot create file \"%1\". %2").arg(QDir::toNativeSeparators(file), reason));
}
