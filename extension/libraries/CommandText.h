#pragma once

#include <QString>
#include <QStringList>

// A command line written into another program's configuration, quoted the
// way that program reads it back, so a program folder with blanks, quotes
// or "%" in its path still runs the right command.
namespace CommandText {

// For a POSIX shell and GLib's g_shell_parse_argv (Thunar, Nemo, scripts).
QString shellQuoted(const QString &argument);
// For the Exec key of a desktop entry: quoted as the desktop entry rules
// say, then escaped as a string value.
QString desktopExecQuoted(const QString &argument);

// text as a string value of a key file (Nemo's actions): blanks, line
// breaks and backslashes escaped, as GLib reads them back.
QString keyFileValue(const QString &text);

// program and arguments as one shell command; "%" doubled when the reader
// expands field codes (Thunar's %F).
QString forShell(const QString &program, const QStringList &arguments, bool fieldCodes);
QString forDesktopExec(const QString &program, const QStringList &arguments);

} // namespace CommandText
