#include "ThemeName.h"

#include <QRegularExpression>

bool isSafeThemeName(const QString &name)
{
    if (name.isEmpty() || name.size() > 255 || name.toUtf8().size() > 255)
        return false;
    if (name == u"." || name == u"..")
        return false;
    for (QChar c : name) {
        if (c.unicode() < 32 || QStringView(u"<>:\"/\\|?*").contains(c))
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
