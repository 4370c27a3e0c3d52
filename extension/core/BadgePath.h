#pragma once

#include <QByteArray>
#include <QString>

// A path as the extension records it: absolute, without "." or ".." steps
// or a trailing separator, spelled as the file system spells it. base.ini
// holds it as a key, so some names cannot be recorded at all.
namespace BadgePath {

// The path a command-line argument names: raw bytes from the file manager,
// made absolute against the working folder. Null when the bytes are no text
// this system can spell back (a record under another name would point
// nowhere).
QString fromArgument(const QByteArray &argument);

// Why path cannot be a key of base.ini (a key loses blanks at its ends,
// ends at "=" and at a line break; a line starting with "[" or ";" is no
// key), or an empty text when it can.
QString problemWith(const QString &path);

// Whether a key of base.ini (or of the ledger) names a file at all: an
// absolute path the file system can spell exactly, without the "." and ".."
// steps or doubled separators that GIO resolves by text and the kernel
// through links. Any other key is nobody's record: acting on it would reach
// another file (a NUL byte ends the name early; a relative path depends on
// the working folder).
bool namesAFile(const QString &key);

} // namespace BadgePath
