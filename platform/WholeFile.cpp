#include "WholeFile.h"

#include <QSaveFile>

namespace WholeFile {

bool write(const QString &path, const QByteArray &bytes, QString *reason,
           std::optional<QFileDevice::Permissions> permissions)
{
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()
                         && (!permissions || file.setPermissions(*permissions)) && file.commit();
    if (!written && reason)
        *reason = file.errorString();
    return written;
}

} // namespace WholeFile
