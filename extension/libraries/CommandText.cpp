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
    // The value of a desktop entry key is a string value, with escapes of
    // its own; a "%" is a field code unless doubled.
    return doublePercent(keyFileValue(text));
}

QString keyFileValue(const QString &text)
{
    QString value;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\')
            value += QStringLiteral("\\\\");
        else if (c == u'\n')
            value += QStringLiteral("\\n");
        else if (c == u'\t')
            value += QStringLiteral("\\t");
        else if (c == u'\r')
            value += QStringLiteral("\\r");
        else if (c == u' ' && i == 0)
            value += QStringLiteral("\\s");
        else
            value += c;
    }
    return value;
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
