#include "CommandText.h"

namespace {

QString doublePercent(QString text)
{
    return text.replace(u'%', QStringLiteral("%%"));
}

} // namespace

namespace CommandText {

QString shellQuoted(const QString &argument)
{
    QString quoted = argument;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + u'\'';
}

QString desktopExecQuoted(const QString &argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needsQuotes = argument.isEmpty();
    for (QChar c : argument)
        needsQuotes = needsQuotes || reserved.contains(c);
    QString text = argument;
    if (needsQuotes) {
        QString inner;
        for (QChar c : argument) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
                inner += u'\\';
            inner += c;
        }
        text = u'"' + inner + u'"';
    }
    // The value of a desktop entry key escapes its own backslashes.
    text.replace(u'\\', QStringLiteral("\\\\"));
    return doublePercent(text);
}

QString forShell(const QString &program, const QStringList &arguments, bool fieldCodes)
{
    QStringList words{shellQuoted(program)};
    for (const QString &argument : arguments)
        words.append(shellQuoted(argument));
    const QString line = words.join(u' ');
    return fieldCodes ? doublePercent(line) : line;
}

QString forDesktopExec(const QString &program, const QStringList &arguments)
{
    QStringList words{desktopExecQuoted(program)};
    for (const QString &argument : arguments)
        words.append(desktopExecQuoted(argument));
    return words.join(u' ');
}

} // namespace CommandText
