#include "ThemeName.h"

#include <QRegularExpression>

bool isSafeThemeName(const QString &name)
{
    if (name.isEmpty() || name.size() > 255 || name.toUtf8().size() > 255)
        return false;
    if (name == u"." || name == u"..")
        return false;
#ifndef Q_OS_WIN
    // A leading "." hides the folder here: the list could never show the
    // theme, so it could neither be applied nor deleted.
    if (name.startsWith(u'.'))
        return false;
#endif
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        if (c.unicode() < 32 || QStringView(u"<>:\"/\\|?*").contains(c))
            return false;
        // A lone surrogate has no file-name form on either system.
        if (c.isHighSurrogate() && !(i + 1 < name.size() && name[i + 1].isLowSurrogate()))
            return false;
        if (c.isLowSurrogate() && !(i > 0 && name[i - 1].isHighSurrogate()))
            return false;
    }
    // Windows drops trailing dots and blanks: "Blue." would be "Blue".
    if (name.endsWith(u'.') || name.endsWith(u' '))
        return false;
    // Device names are reserved on Windows with any extension ("NUL.txt" too).
    static const QRegularExpression reserved(QStringLiteral("^(CON|PRN|AUX|NUL|COM[0-9¹²³]|LPT[0-9¹²³])(\\..*)?$"),
                                             QRegularExpression::CaseInsensitiveOption);
    return !reserved.match(name.trimmed()).hasMatch();
}
