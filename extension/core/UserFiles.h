#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Writing and removing the per-user files of the integration.
namespace UserFiles {

// Replaces path atomically with content, making its folder; throws AppError
// "Unable to write to <path>" on failure. The file is the user's alone
// (0600, or 0700 for a script the file manager runs), whatever the umask.
void write(const QString &path, const QByteArray &content, bool executable = false);

// Makes folder and its missing parents, each the user's alone (0700);
// false when it cannot, with errno telling why.
bool makeFolder(const QString &folder);

// What the integration writes into each of its files: the owner's mark and
// a line naming the program folder that registered it.
struct Marks {
    QByteArray owner;     // a line of the owner's, e.g. "X-Emblix-Owner=emblix-badge-menu"
    QByteArray folderKey; // what the folder's line begins with, e.g. "X-Emblix-Folder="
    QByteArray folder;    // the folder as the line spells it; empty: any folder
    // The folder's whole line.
    QByteArray folderLine() const { return folderKey + folder + '\n'; }
};

// The text of a program folder in a mark: one line whatever its name holds.
QByteArray folderText(const QString &folder);

// The marks of a key file the integration writes (a desktop entry, a Nemo
// action): an X-Emblix-Owner and an X-Emblix-Folder line.
Marks keyFileMarks(const QString &owner, const QString &folder);
// The keeper's autostart entry carries these: the same for the library that
// writes it and the keeper that looks for it.
Marks keeperEntryMarks(const QString &folder);

// True when path is a regular file holding the owner's mark and naming this
// folder (or none, as files written before folders were named; or any
// folder, when marks.folder is empty).
bool isMarked(const QString &path, const Marks &marks);

// Removes path when it holds the owner's mark and names this folder (or
// none, as files written before folders were named), so a user's own file
// of that name, and another program folder's, stay; then its folder and
// each parent below stopAt, as far as they are left empty. Returns false
// when such a file is still there.
bool removeIfMarked(const QString &path, const Marks &marks, const QString &stopAt);

// Removes path and then the folders it leaves empty, below stopAt; false
// when the file is still there.
bool removeFile(const QString &path, const QString &stopAt);

// Removes folder if it is empty, then each empty parent below stopAt.
void removeEmptyFolders(const QString &folder, const QString &stopAt);

} // namespace UserFiles
