#include "RegDLL.h"

#include "platform/AppError.h"
#include "platform/DynamicLibrary.h"

#include <QDir>

namespace {

// The platform's words lose trailing blanks, line breaks and dots.
QString withoutTrailing(QString text)
{
    while (!text.isEmpty()
           && (text.back() == u' ' || text.back() == u'\r' || text.back() == u'\n' || text.back() == u'.'
               || text.back() == u'\t'))
        text.chop(1);
    return text;
}

} // namespace

void RegisterServerLibrary(bool registerLibrary, const QString &path)
{
    QString loadError;
    const std::unique_ptr<DynamicLibrary> library = DynamicLibrary::load(path, loadError);
    const QString shownPath = QDir::toNativeSeparators(path);
    if (!library)
        throw AppError(QStringLiteral("%1: %2").arg(withoutTrailing(loadError), shownPath));

    const char *entryName = registerLibrary ? "DllRegisterServer" : "DllUnregisterServer";
    int errorCode = 0;
    const DynamicLibrary::EntryPoint entry = library->resolve(entryName, errorCode);
    if (!entry) {
        if (errorCode == 0)
            throw AppError(QStringLiteral("A call to an OS function failed"));
        throw AppError(QStringLiteral("System Error.  Code: %1.\r\n%2")
                           .arg(errorCode)
                           .arg(withoutTrailing(DynamicLibrary::errorText(errorCode))));
    }
    // A negative status (high bit set) is a failure.
    if (entry() < 0)
        throw AppError(QString::fromLatin1(entryName) + QStringLiteral(" in ") + shownPath
                       + QStringLiteral(" failed."));
}
