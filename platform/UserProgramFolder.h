#pragma once

#include <QString>

// A program installed once for every user of the machine (by a package,
// under /usr) cannot keep anyone's records or settings beside its
// executable: that folder belongs to the system and is the same for all.
// Such an install carries a marker file beside the executable, and each
// user then gets a program folder of their own, made on first start, that
// the program uses as it would the executable's folder: their own
// settings.ini, base.ini, icons and themes, with the shipped programs and
// libraries linked in from the shared folder, so an upgrade reaches every
// user at once.
//
// The shipped data files are brought in as a package's configuration files
// are: a file new in the shared folder is copied, one the user left as it
// was shipped follows the shared folder, and one the user changed or
// deleted stays as they have it.
namespace UserProgramFolder {

// The marker's name in the executable's folder.
inline constexpr QStringView kMarker = u"per-user-program-folder";

// Whether `folder` is an install shared by every user.
bool isShared(const QString &folder);

// $XDG_DATA_HOME/emblix-manager/program, or below ~/.local/share when the
// variable is unset or not absolute.
QString location();

// Makes `user` if need be and brings it up to date with what `shared`
// ships. Cheap when nothing was shipped since the last call: one look at
// each shipped file. False, with the reason in `problem`, when a file could
// not be made; what could be made is made.
bool prepare(const QString &shared, const QString &user, QString *problem = nullptr);

} // namespace UserProgramFolder
