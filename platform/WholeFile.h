#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include <optional>

// Files written whole outside the INI layer (theme files, per-user
// integration files). The bytes go to a temporary file beside the target,
// which takes the target's name only once all of them are written, so a
// reader never meets half a file and a failed write leaves the old one.
namespace WholeFile {

// False, with the system's reason where asked, when the file cannot be
// written. Where permissions are given the file is left with them.
bool write(const QString &path, const QByteArray &bytes, QString *reason = nullptr,
           std::optional<QFileDevice::Permissions> permissions = std::nullopt);

} // namespace WholeFile
