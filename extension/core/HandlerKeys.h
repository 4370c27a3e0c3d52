#pragma once

#include "platform/ProgramFolder.h"
#include "shell/HandlerKeyNames.h"

#include <QStringList>

// The handler keys the manager reads to show whether a library is
// registered: off Windows, folders under the classes root the manager's
// Registry service looks in.
namespace HandlerKeys {

inline const QString kFolderMenu = QString::fromLatin1(HandlerKeyNames::kFolderMenu);
inline const QString kFileMenu = QString::fromLatin1(HandlerKeyNames::kFileMenu);
inline const QString kPropertySheet = QString::fromLatin1(HandlerKeyNames::kPropertySheet);

// Throws AppError when a key cannot be made.
void create(const ProgramFolder &folder, const QStringList &keys);
// Removes the keys and the parents they leave empty.
void remove(const ProgramFolder &folder, const QStringList &keys);
// As the manager sees it.
bool exists(const ProgramFolder &folder, const QString &key);

} // namespace HandlerKeys
