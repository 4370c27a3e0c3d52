#pragma once

#include <QByteArray>
#include <QString>

// Writing and removing the per-user files of the integration.
namespace UserFiles {

// Replaces path atomically with content, making its folder; throws AppError
// "Unable to write to <path>" on failure.
void write(const QString &path, const QByteArray &content, bool executable = false);

// Removes path when it holds mark (what the integration wrote into each of
// its files), so a user's own file of that name stays; then its folder and
// each parent below stopAt, as far as they are left empty.
void removeIfMarked(const QString &path, const QByteArray &mark, const QString &stopAt);

// Removes path and then the folders it leaves empty, below stopAt.
void removeFile(const QString &path, const QString &stopAt);

// Removes folder if it is empty, then each empty parent below stopAt.
void removeEmptyFolders(const QString &folder, const QString &stopAt);

} // namespace UserFiles
